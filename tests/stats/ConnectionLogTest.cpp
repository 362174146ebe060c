#include "stats/ConnectionLog.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <cctype>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

using namespace evidor;
using T = TConnectionRecord;

namespace {

const char* kLine1 = "01.05.2000 10:20:00 So 0:30:00 500 5 1000 2000 33600 45 Slovanet a.s.\n";
const char* kLine2 = "02.05.2000 21:00:00 Ne 1:00:00 1200 12 3000 4000 28800 60 EuroWeb\n";

std::vector<std::string> isps(const ConnectionLog& log)
{
    std::vector<std::string> v;
    for (const auto& r : log.Records)
        v.emplace_back(log.text(r, T::Isp));
    return v;
}

} // namespace

TEST(ConnectionLogTest, ReadsFieldsInLogOrder)
{
    const auto log = ConnectionLog::parse(kLine1);
    ASSERT_EQ(log.RecordCount, 1);
    const auto& r = log.Records[0];
    EXPECT_EQ(log.text(r, T::Date), "01.05.2000");
    EXPECT_EQ(log.text(r, T::Time), "10:20:00");
    EXPECT_EQ(log.text(r, T::Day), "So");
    EXPECT_EQ(log.text(r, T::Duration), "0:30:00");
    EXPECT_EQ(r.Price, 500);
    EXPECT_EQ(r.Impulses, 5);
    EXPECT_EQ(r.Sent, 1000);     // field 7
    EXPECT_EQ(r.Received, 2000); // field 8
    EXPECT_EQ(r.Speed, 33600);
    EXPECT_EQ(log.text(r, T::Utilisation), "45");
    EXPECT_EQ(log.text(r, T::Isp), "Slovanet a.s.");
    EXPECT_EQ(r.RowRecord, 0);
}

TEST(ConnectionLogTest, LinesBlanksAndTheUnfinishedLastLine)
{
    const std::string l1 = kLine1, l2 = kLine2;
    std::string unterminated = l2.substr(0, l2.size() - 1);
    struct Case
    {
        const char* name;
        std::string bytes;
        std::vector<std::string> isps;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"only blank lines", "\n\n\r\n", {}},
        {"two lines", l1 + l2, {"Slovanet a.s.", "EuroWeb"}},
        {"crlf line ends", "01.05.2000 10:20:00 So 0:30:00 500 5 1000 2000 33600 45 Isp X\r\n", {"Isp X"}},
        {"blank line between", l1 + "\n" + l2, {"Slovanet a.s.", "EuroWeb"}},
        {"blank line at the end", l1 + l2 + "\n", {"Slovanet a.s.", "EuroWeb"}},
        {"unterminated last line", l1 + unterminated, {"Slovanet a.s."}},
        {"unterminated last line after a blank line", l1 + "\n" + unterminated, {"Slovanet a.s."}},
        {"only an unterminated line", unterminated, {}},
        {"nothing after field ten",
         "01.05.2000 10:20:00 So 0:30:00 500 5 1000 2000 33600 45\n" + l2,
         {"", "EuroWeb"}},
        {"blanks around the provider",
         "01.05.2000 10:20:00 So 0:30:00 500 5 1 2 3 45 \t  Net  Provider \t \n",
         {"Net  Provider"}},
        {"fields taken across lines",
         "01.05.2000 10:20:00 So 0:30:00 500\n5 1000 2000 33600 45 Split\n",
         {"Split"}},
    };
    for (const auto& c : cases) {
        const auto log = ConnectionLog::parse(c.bytes);
        EXPECT_EQ(isps(log), c.isps) << c.name;
        EXPECT_EQ(log.RecordCount, static_cast<int>(c.isps.size())) << c.name;
        EXPECT_EQ(log.skippedCount, 0) << c.name;
    }
}

TEST(ConnectionLogTest, OverlongFieldsAreCutAndStayInStepWithTheLines)
{
    const std::string longIsp(100, 'P');
    const std::string bytes =
        "01.05.2000XXXXX 10:20:00:99 Sobota 0:30:00 500 5 1 2 3 45678901234 " + longIsp + " tail\n" + kLine2;
    const auto log = ConnectionLog::parse(bytes);
    ASSERT_EQ(log.RecordCount, 2);
    EXPECT_EQ(log.text(0, T::Date), "01.05.2000X");
    EXPECT_EQ(log.text(0, T::Time), "10:20:00");
    EXPECT_EQ(log.text(0, T::Day), "So");
    EXPECT_EQ(log.text(0, T::Utilisation), "4567890");
    EXPECT_EQ(log.text(0, T::Isp), std::string(47, 'P')); // 48 bytes with the blank before it
    EXPECT_EQ(log.text(1, T::Isp), "EuroWeb");
}

TEST(ConnectionLogTest, LinesWithBadNumbersAreSkippedAndNamedOnce)
{
    const std::string bytes = std::string(kLine1) + "03.05.2000 10:00:00 Ut 0:01:00 12x 1 1 1 1 1 Bad\n" +
                              kLine2 + "04.05.2000 10:00:00 St 0:01:00 1 1 1 1 99999999999 1 Big\n";
    const auto log = ConnectionLog::parse(bytes);
    EXPECT_EQ(isps(log), (std::vector<std::string>{"Slovanet a.s.", "EuroWeb"}));
    EXPECT_EQ(log.Records[1].RowRecord, 1);
    EXPECT_EQ(log.skippedCount, 2);
    EXPECT_EQ(log.firstSkipped.lineNumber, 2);
    EXPECT_EQ(log.firstSkipped.text, "12x");
    EXPECT_EQ(
        skippedLinesMessage(log),
        "Niektoré riadky súboru evidor.log majú chybné číslo alebo neúplný záznam a boli vynechané (2). "
        "Prvý z nich je riadok 2: \"12x\"");
}

TEST(ConnectionLogTest, AnIncompleteLastRecordIsNamedByWhatItHolds)
{
    const auto log = ConnectionLog::parse(std::string(kLine1) + "\n02.05.2000 21:00:00 Ne 1:00:00\n");
    EXPECT_EQ(log.RecordCount, 1);
    EXPECT_EQ(log.skippedCount, 1);
    EXPECT_EQ(log.firstSkipped.lineNumber, 3);
    EXPECT_EQ(log.firstSkipped.text, "02.05.2000 21:00:00 Ne 1:00:00");
}

TEST(ConnectionLogTest, LoadLogReportsAMissingLogAndSkippedLines)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    auto log = LoadLog(dir.path(), prompts);
    EXPECT_EQ(log.RecordCount, 0);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Neexistuje subor evidor.log"});

    dir.write("evidor.log", "");
    prompts.shown.clear();
    log = LoadLog(dir.path(), prompts);
    EXPECT_EQ(log.RecordCount, 0);
    EXPECT_TRUE(prompts.shown.empty());

    dir.write("evidor.log", std::string(kLine1) + "x x x x y 1 1 1 1 1 z\n");
    log = LoadLog(dir.path(), prompts);
    EXPECT_EQ(log.RecordCount, 1);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find("riadok 2: \"y\""), std::string::npos);
}

namespace {

// A plain reading of the format, kept apart from the loader's fast path: fields as tokens across
// lines, the rest of the line up to 48 bytes with its line break, only terminated lines.
struct RefRecord
{
    std::vector<std::string> texts; // Date, Day, Time, Duration, Utilisation, Isp
    std::vector<std::int64_t> numbers;
};

std::vector<RefRecord> referenceParse(const std::string& bytes, std::int64_t& skipped)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const std::size_t end = bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1;
    std::vector<RefRecord> out;
    std::size_t pos = 0;
    skipped = 0;
    for (;;) {
        while (pos < end && blank(bytes[pos]))
            ++pos;
        if (pos >= end)
            break;
        std::vector<std::string> tokens;
        while (tokens.size() < 10) {
            while (pos < end && blank(bytes[pos]))
                ++pos;
            if (pos >= end)
                break;
            const std::size_t s = pos;
            while (pos < end && !blank(bytes[pos]))
                ++pos;
            tokens.push_back(bytes.substr(s, pos - s));
        }
        if (tokens.size() < 10) {
            ++skipped;
            break;
        }
        const std::size_t lf = bytes.find('\n', pos);
        std::string rest = bytes.substr(pos, std::min<std::size_t>(lf + 1 - pos, 48));
        pos = lf + 1;
        while (!rest.empty() && blank(rest.front()))
            rest.erase(0, 1);
        while (!rest.empty() && blank(rest.back()))
            rest.pop_back();
        RefRecord r;
        bool ok = true;
        for (int f : {4, 5, 6, 7, 8}) {
            const std::string& t = tokens[static_cast<std::size_t>(f)];
            char* stop = nullptr;
            const long long v = std::strtoll(t.c_str(), &stop, 10);
            ok = ok && *stop == 0 && !t.empty() && t != "-" && t != "+" && v >= INT32_MIN && v <= INT32_MAX &&
                 t.size() <= 11 && !std::isspace(static_cast<unsigned char>(t[0]));
            r.numbers.push_back(v);
        }
        if (!ok) {
            ++skipped;
            continue;
        }
        auto cut = [](const std::string& s, std::size_t n) { return s.substr(0, n); };
        r.texts = {cut(tokens[0], 11), cut(tokens[2], 2), cut(tokens[1], 8),
                   cut(tokens[3], 11), cut(tokens[9], 7), rest};
        out.push_back(r);
    }
    return out;
}

} // namespace

TEST(ConnectionLogTest, AgreesWithAPlainReadingOnRandomLogs)
{
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const std::string seps[] = {" ", " ", " ", "  ", "\t", " \t "};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int lines = 1 + pick(12);
        for (int l = 0; l < lines; ++l) {
            if (pick(10) == 0) {
                bytes += pick(2) ? "\n" : "  \r\n";
                continue;
            }
            const int fields = 8 + pick(4) + (pick(8) == 0 ? 0 : 2);
            if (pick(3) == 0)
                bytes += seps[pick(6)];
            for (int f = 0; f < fields; ++f) {
                if (f)
                    bytes += seps[pick(6)];
                const int len = 1 + (pick(6) == 0 ? pick(140) : pick(12));
                for (int c = 0; c < len; ++c)
                    bytes +=
                        pick(5) == 0 ? static_cast<char>('a' + pick(26)) : static_cast<char>('0' + pick(10));
                if (pick(20) == 0)
                    bytes.insert(bytes.size() - static_cast<std::size_t>(len), "-");
            }
            if (pick(2))
                bytes += " Provider " + std::string(static_cast<std::size_t>(pick(70)), 'x') + seps[pick(6)];
            bytes += pick(4) == 0 ? "\r\n" : "\n";
        }
        if (pick(3) == 0)
            bytes += "01.01.2000 10:00:00 Po 0:00:01 1 1 1 1 1 1 unterminated";
        std::int64_t refSkipped = 0;
        const auto ref = referenceParse(bytes, refSkipped);
        const auto log = ConnectionLog::parse(bytes);
        ASSERT_EQ(log.RecordCount, static_cast<std::int32_t>(ref.size())) << bytes;
        EXPECT_EQ(log.skippedCount, refSkipped) << bytes;
        for (std::size_t i = 0; i < ref.size(); ++i) {
            const auto& r = log.Records[i];
            for (int t = 0; t < T::TextCount; ++t)
                ASSERT_EQ(log.text(r, static_cast<T::Text>(t)), ref[i].texts[static_cast<std::size_t>(t)])
                    << bytes;
            EXPECT_EQ(r.Price, ref[i].numbers[0]);
            EXPECT_EQ(r.Impulses, ref[i].numbers[1]);
            EXPECT_EQ(r.Sent, ref[i].numbers[2]);
            EXPECT_EQ(r.Received, ref[i].numbers[3]);
            EXPECT_EQ(r.Speed, ref[i].numbers[4]);
        }
    }
}
