#include "stats/Period.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace evidor;

namespace {

std::string line(const std::string& date, const std::string& duration, std::int64_t price, std::int64_t sent,
                 std::int64_t received, int speed = 1, const std::string& isp = "Isp")
{
    return date + " 10:00:00 Po " + duration + " " + std::to_string(price) + " 1 " + std::to_string(sent) +
           " " + std::to_string(received) + " " + std::to_string(speed) + " 50 " + isp + "\n";
}

} // namespace

TEST(PeriodTest, LabelsOfThePeriod)
{
    EXPECT_EQ(periodLabel(5, 2000), "Máj  2000");
    EXPECT_EQ(periodLabel(0, 2000), "Celý rok 2000");
    EXPECT_EQ(periodLabel(12, 1999), "December  1999");
}

TEST(PeriodTest, SelectsMonthOrYearInFileOrder)
{
    auto log = ConnectionLog::parse(
        line("15.05.2000", "0:01:00", 1, 0, 0, 1, "a") + line("15.06.2000", "0:01:00", 1, 0, 0, 1, "b") +
        line("15.05.2001", "0:01:00", 1, 0, 0, 1, "c") + line("31.05.2000", "0:01:00", 1, 0, 0, 1, "d") +
        line("2000-05-15", "0:01:00", 1, 0, 0, 1, "bad form") +
        line("1.5.2000", "0:01:00", 1, 0, 0, 1, "short form"));
    const auto sk = slovakRegional();
    auto rowsOf = [&](std::uint16_t m, std::uint16_t y) {
        const auto res = ShowPeriod(log, m, y, sk);
        std::string out;
        for (int r = 1; r <= res.rows; ++r)
            out += std::string(log.text(recordOfRow(log, r), TConnectionRecord::Isp));
        return out;
    };
    EXPECT_EQ(rowsOf(5, 2000), "ad");
    EXPECT_EQ(rowsOf(0, 2000), "abd");
    EXPECT_EQ(rowsOf(5, 2001), "c");
    EXPECT_EQ(rowsOf(7, 2000), "");
}

TEST(PeriodTest, TotalsAndTheirTexts)
{
    const auto sk = slovakRegional();
    struct Case
    {
        const char* name;
        std::string log;
        PeriodLabels expected;
        int rows;
    };
    const Case cases[] = {
        {"empty period", "", {"00:00:00", "0", "0,00 Sk", "0,00 kB", "0,00 kB", "0 bps"}, 0},
        {"received at the switch point",
         line("01.05.2000", "0:00:01", 1234, 0, 1022976, 33600),
         {"00:00:01", "1", "12,34 Sk", "999,00 kB", "0,00 kB", "33 600 bps"},
         1},
        {"one byte more",
         line("01.05.2000", "0:00:01", 0, 0, 1022977, 100),
         {"00:00:01", "1", "0,00 Sk", "0,98 MB", "0,00 kB", "100 bps"},
         1},
        {"sent stays in kB",
         line("01.05.2000", "0:00:00", 0, 5 * 1048576, 0, 0),
         {"00:00:00", "1", "0,00 Sk", "0,00 kB", "5 120,00 kB", "0 bps"},
         1},
        {"100 hours",
         line("01.05.2000", "50:00:00", 0, 0, 0, 1) + line("02.05.2000", "50:00:00", 0, 0, 0, 2),
         {"100:00:00", "2", "0,00 Sk", "0,00 kB", "0,00 kB", "1 bps"},
         2},
        {"more than 2 GB received",
         line("01.05.2000", "1:00:00", 0, 0, 2000000000, 1) +
             line("02.05.2000", "1:00:00", 0, 0, 2000000000, 1),
         {"02:00:00", "2", "0,00 Sk", "3 814,70 MB", "0,00 kB", "1 bps"},
         2},
        {"bad duration adds nothing",
         line("01.05.2000", "x:00", 0, 0, 0, 1),
         {"00:00:00", "1", "0,00 Sk", "0,00 kB", "0,00 kB", "1 bps"},
         1},
    };
    for (const auto& c : cases) {
        auto log = ConnectionLog::parse(c.log);
        const auto res = ShowPeriod(log, 5, 2000, sk);
        EXPECT_EQ(res.rows, c.rows) << c.name;
        EXPECT_EQ(res.labels.lCelkovyCas, c.expected.lCelkovyCas) << c.name;
        EXPECT_EQ(res.labels.Impulzy, c.expected.Impulzy) << c.name;
        EXPECT_EQ(res.labels.CelkovaSuma, c.expected.CelkovaSuma) << c.name;
        EXPECT_EQ(res.labels.CelkovoPrijate, c.expected.CelkovoPrijate) << c.name;
        EXPECT_EQ(res.labels.CelkovoOdoslane, c.expected.CelkovoOdoslane) << c.name;
        EXPECT_EQ(res.labels.PriemRychlost, c.expected.PriemRychlost) << c.name;
    }
}

TEST(PeriodTest, GridCells)
{
    auto log = ConnectionLog::parse(
        "01.05.2000 10:20:00 So 0:30:00 123456 5 1024 2097152 33600 45 Slovanet \xE8\x9A\n");
    const auto sk = slovakRegional();
    const std::vector<std::string> expected = {
        "01.05.2000 10:20:00", "So",      "0:30:00", "1 234,56 Sk", "5",
        "2 048,00 kB",         "1,00 kB", "33600",   "45 %",        "Slovanet čš"};
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(gridCell(log, 0, c, sk), expected[static_cast<std::size_t>(c)]) << c;
}

TEST(PeriodTest, RowDetails)
{
    const auto sk = slovakRegional();
    struct Case
    {
        std::string log;
        StatusTexts expected;
    };
    const Case cases[] = {
        {line("01.05.2000", "0:00:10", 1000, 1048576, 1048576),
         {" Celkovo prenesené : 2 048,00 kB", " Cena za 1MB : 5,00 Sk", " Priemerný tok dát : 204,80 kB/s"}},
        {line("01.05.2000", "0:00:01", 0, 5000000, 5238976),
         {" Celkovo prenesené : 9 999,00 kB", " Cena za 1MB : 0,00 Sk",
          " Priemerný tok dát : 9 999,00 kB/s"}},
        {line("01.05.2000", "0:00:01", 0, 5000000, 5238977),
         {" Celkovo prenesené : 9,76 MB", " Cena za 1MB : 0,00 Sk", " Priemerný tok dát : 9 999,00 kB/s"}},
        {line("01.05.2000", "0:01:00", 300, 0, 0),
         {" Celkovo prenesené : 0,00 kB", " Cena za 1MB : - ", " Priemerný tok dát : 0,00 kB/s"}},
        {line("01.05.2000", "0:00:00", 300, 10, 0),
         {" Celkovo prenesené : 0,01 kB", " Cena za 1MB : 314 572,80 Sk", " Priemerný tok dát : - "}},
    };
    for (const auto& c : cases) {
        const auto log = ConnectionLog::parse(c.log);
        EXPECT_EQ(rowDetails(log, 0, sk), c.expected) << c.log;
    }
}

TEST(PeriodTest, WidestCellCandidatesHoldEveryColumnsLongestText)
{
    std::string bytes;
    const char* isps[] = {"A", "Slovanet a.s.", "WWW", "iii", "Nextra"};
    for (int i = 0; i < 40; ++i)
        bytes += line("0" + std::to_string(1 + i % 9) + ".05.2000",
                      i % 7 == 0 ? "12:00:00" : "0:0" + std::to_string(i % 10) + ":00",
                      (i * 7919) % 100000 - (i == 13 ? 500000 : 0), i * 1000, (i * 104729) % 3000000, i * 100,
                      isps[i % 5]);
    auto log = ConnectionLog::parse(bytes);
    const auto sk = slovakRegional();
    const auto rows = ShowPeriod(log, 5, 2000, sk).rows;
    ASSERT_EQ(rows, 40);
    const auto candidates = widestCellCandidates(log, rows, sk);
    for (int c = 0; c < 10; ++c) {
        std::size_t longest = 0, longestCandidate = 0;
        for (int r = 1; r <= rows; ++r)
            longest = std::max(longest, gridCell(log, recordOfRow(log, r), c, sk).size());
        for (const auto& t : candidates[static_cast<std::size_t>(c)])
            longestCandidate = std::max(longestCandidate, t.size());
        EXPECT_EQ(longestCandidate, longest) << c;
    }
    // Every provider name is there: they are few, and glyphs differ in width.
    for (const char* isp : isps)
        EXPECT_NE(std::find(candidates[9].begin(), candidates[9].end(), isp), candidates[9].end()) << isp;
}
