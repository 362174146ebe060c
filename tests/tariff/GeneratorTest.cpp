#include "SampleData.h"

#include "stats/Period.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/ImpulseComputation.h"

#include <gtest/gtest.h>

#include <set>

using namespace evidor;
using evidor::test::RecordingPrompts;
using evidor::test::TempDir;

TEST(GeneratorTest, EasterAndTheHolidays)
{
    EXPECT_EQ(sample::easterSunday(2000), (CivilDate{2000, 4, 23}));
    EXPECT_EQ(sample::easterSunday(2001), (CivilDate{2001, 4, 15}));
    EXPECT_EQ(sample::easterSunday(2024), (CivilDate{2024, 3, 31}));
    EXPECT_EQ(sample::easterSunday(2025), (CivilDate{2025, 4, 20}));

    const auto h = sample::slovakHolidays(2001, 2001);
    ASSERT_EQ(h.size(), 15u);
    EXPECT_EQ(h[0].displayLine(), "01.01.2001   Deň vzniku Slovenskej republiky");
    EXPECT_EQ(h[2].displayLine(), "13.04.2001   Veľký piatok");
    EXPECT_EQ(h[3].displayLine(), "16.04.2001   Veľkonočný pondelok");
    EXPECT_EQ(h.back().datum, "26.12.2001");
    for (const auto& e : h)
        EXPECT_LE(e.nazov.size(), 49u * 2); // at most 49 characters, in UTF-8 bytes at most twice that
}

TEST(GeneratorTest, LogAgreesWithTheTariffButForTheWrongRows)
{
    TempDir dir;
    RecordingPrompts prompts;
    sample::Options options;
    options.dir = dir.path();
    options.years = 2;
    options.end = {2002, 3, 10};
    options.seed = 7;
    const sample::Result result = sample::generate(options, prompts);
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(prompts.events.empty());
    EXPECT_EQ(result.first, (CivilDate{2000, 3, 11}));
    ASSERT_EQ(result.wrongLines.size(), 5u);

    ConnectionLog log = LoadLog(dir.path(), prompts);
    ASSERT_EQ(log.RecordCount, result.lines);
    EXPECT_GT(log.RecordCount, 1000);
    EXPECT_TRUE(prompts.events.empty());

    // The validation over every year finds exactly the wrong rows; two of them in the last month.
    std::vector<std::int64_t> reported;
    int inLastMonth = 0;
    std::int64_t impulses = 0;
    const auto rs = slovakRegional();
    for (std::uint16_t year = 2000; year <= 2002; ++year) {
        const PeriodResult period = ShowPeriod(log, 0, year, rs);
        LogPeriodHost host(dir.path(), sample::kTariffName, log, period.rows, true);
        RecordingPrompts seen;
        ImpulseComputation comp(seen);
        const PassSummary sum = comp.RunPeriodPass(host, rs);
        impulses += sum.impulses;
        EXPECT_EQ(sum.unreadable, 0);
        for (std::int32_t row : host.rowsMadeCurrent()) {
            const std::int32_t k = recordOfRow(log, row);
            reported.push_back(k + 1);
            inLastMonth += log.text(k, TConnectionRecord::Date).substr(3) == "03.2002";
        }
        EXPECT_EQ(seen.shown.size(), host.rowsMadeCurrent().size());
    }
    EXPECT_EQ(reported, result.wrongLines);
    EXPECT_EQ(inLastMonth, 2);
    EXPECT_EQ(impulses, result.impulses);

    // What a dial-up user's log has in it.
    std::set<std::string> providers;
    int zeroLength = 0, overMidnight = 0;
    for (std::int32_t k = 0; k < log.RecordCount; ++k) {
        providers.insert(std::string(log.text(k, TConnectionRecord::Isp)));
        const auto span = connectionSpan(log, k, rs);
        ASSERT_TRUE(span);
        zeroLength += span->first == span->second;
        overMidnight += span->second.day > span->first.day;
    }
    EXPECT_GE(providers.size(), 4u);
    EXPECT_TRUE(providers.count("Slovak Telecom"));
    EXPECT_GT(zeroLength, 0);
    EXPECT_GT(overMidnight, 5);
}

TEST(GeneratorTest, SameSeedSameFilesAndExactLineCounts)
{
    TempDir a, b;
    RecordingPrompts prompts;
    sample::Options options;
    options.years = 10;
    options.end = {2009, 12, 31};
    options.lines = 10000;
    options.seed = 42;
    options.dir = a.path();
    const auto ra = sample::generate(options, prompts);
    options.dir = b.path();
    const auto rb = sample::generate(options, prompts);
    EXPECT_EQ(ra.lines, 10000);
    EXPECT_EQ(a.read("evidor.log"), b.read("evidor.log"));
    EXPECT_EQ(a.read("sviatky.dat"), b.read("sviatky.dat"));
    EXPECT_EQ(a.read("Slovak Telecom.tfa"), b.read("Slovak Telecom.tfa"));

    // Another seed, another log, over b's files.
    options.seed = 43;
    const auto rc = sample::generate(options, prompts);
    EXPECT_EQ(rc.lines, 10000);
    EXPECT_NE(a.read("evidor.log"), b.read("evidor.log"));
}
