#include "charts/ChartStatistics.h"
#include "charts/ChartFormat.h"
#include "stats/Period.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/ImpulseComputation.h"
#include "tariff/Tarifa.h"

#include <gtest/gtest.h>

using namespace evidor;

namespace {

constexpr int kSunday = 1, kMonday = 2, kTuesday = 3, kWednesday = 4, kThursday = 5, kSaturday = 7;

std::int64_t at(int day, int h, int m, int s)
{
    return static_cast<std::int64_t>(day) * 86400 + h * 3600 + m * 60 + s;
}

struct SlotCase
{
    const char* name;
    std::int64_t start, end;
    int weekday;
    std::vector<std::pair<int, std::int32_t>> slots;    // hour, seconds; all others 0
    std::vector<std::pair<int, std::int32_t>> weekdays; // weekday, seconds; all others 0
};

class ConnectionTimeTest : public ::testing::TestWithParam<SlotCase>
{
};

} // namespace

TEST_P(ConnectionTimeTest, SplitsOverHoursAndDays)
{
    const auto& c = GetParam();
    ChartStatistics st;
    st.addConnectionSeconds(c.start, c.end, c.weekday);
    for (int h = 0; h < ChartStatistics::kHourSlots; ++h) {
        std::int32_t want = 0;
        for (const auto& [slot, sec] : c.slots)
            if (slot == h)
                want = sec;
        EXPECT_EQ(st.hourSlot(h), want) << "slot " << h;
    }
    for (int w = 1; w <= 7; ++w) {
        std::int32_t want = 0;
        for (const auto& [day, sec] : c.weekdays)
            if (day == w)
                want = sec;
        EXPECT_EQ(st.weekdayTime(w), want) << "weekday " << w;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionTimeTest,
    ::testing::Values(
        SlotCase{"ThreeSlots",
                 at(10, 10, 20, 0),
                 at(10, 12, 5, 30),
                 kThursday,
                 {{10, 2400}, {11, 3600}, {12, 330}},
                 {{kThursday, 6330}}},
        SlotCase{"OneSlot", at(10, 10, 20, 0), at(10, 10, 50, 0), kMonday, {{10, 1800}}, {{kMonday, 1800}}},
        SlotCase{"OverMidnight",
                 at(10, 22, 15, 30),
                 at(11, 1, 20, 10),
                 kTuesday,
                 {{22, 2670}, {23, 3600}, {0, 3600}, {1, 1210}},
                 {{kTuesday, 6270}, {kWednesday, 4810}}},
        SlotCase{"EndsAtMidnight",
                 at(10, 23, 30, 0),
                 at(11, 0, 0, 0),
                 kSaturday,
                 {{23, 1800}},
                 {{kSaturday, 1800}}},
        SlotCase{"SaturdayIntoSunday",
                 at(10, 23, 59, 0),
                 at(11, 0, 1, 0),
                 kSaturday,
                 {{23, 60}, {0, 60}},
                 {{kSaturday, 60}, {kSunday, 60}}},
        SlotCase{"ZeroDuration", at(10, 8, 0, 0), at(10, 8, 0, 0), kMonday, {}, {}},
        // A day and more crosses two midnights: every day gets its own share.
        SlotCase{"TwentySixHours",
                 at(10, 23, 0, 0),
                 at(12, 1, 0, 0),
                 kMonday,
                 {{23, 7200}, {0, 7200},  {1, 3600},  {2, 3600},  {3, 3600},  {4, 3600},
                  {5, 3600},  {6, 3600},  {7, 3600},  {8, 3600},  {9, 3600},  {10, 3600},
                  {11, 3600}, {12, 3600}, {13, 3600}, {14, 3600}, {15, 3600}, {16, 3600},
                  {17, 3600}, {18, 3600}, {19, 3600}, {20, 3600}, {21, 3600}, {22, 3600}},
                 {{kMonday, 3600}, {kTuesday, 86400}, {kWednesday, 3600}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChartStatisticsTest, ImpulsesGoToTheirDayAndMonth)
{
    ChartStatistics st;
    st.AddImpulse(kMonday, 3, 150);
    st.AddImpulse(kMonday, 3, 150);
    st.AddImpulse(kSunday, 12, 90);
    EXPECT_EQ(st.weekdayPrice(kMonday), 300);
    EXPECT_EQ(st.weekdayImpulses(kMonday), 2);
    EXPECT_EQ(st.weekdayPrice(kSunday), 90);
    EXPECT_EQ(st.weekdayImpulses(kSunday), 1);
    EXPECT_EQ(st.monthPrice(3), 300);
    EXPECT_EQ(st.monthPrice(12), 90);
    EXPECT_EQ(st.weekdayTime(kMonday), 0);

    st.ClearStatistics();
    EXPECT_EQ(st.weekdayPrice(kMonday), 0);
    EXPECT_EQ(st.weekdayImpulses(kSunday), 0);
    EXPECT_EQ(st.monthPrice(3), 0);
}

TEST(ChartStatisticsTest, CountersStopAtTheirLimitInsteadOfTurningNegative)
{
    ChartStatistics st;
    st.AddImpulse(kMonday, 1, 2'000'000'000);
    st.AddImpulse(kMonday, 1, 2'000'000'000);
    EXPECT_EQ(st.weekdayPrice(kMonday), 2'147'483'647);
    EXPECT_EQ(st.monthPrice(1), 2'147'483'647);
}

TEST(ChartStatisticsTest, EachKindHasItsTitlesSeriesAndPoints)
{
    struct Want
    {
        const char* title;
        const char* axis;
        ChartSeriesId series;
        std::optional<MarksStyle> marks;
        std::size_t points;
        const char* firstLabel;
        const char* lastLabel;
    };
    const Want want[] = {
        {"Profil dňa", "sekundy", ChartSeriesId::Series2, std::nullopt, 25, "0", "24"},
        {"Dĺžka pripojenia v jednotlivých dňoch", "Sekundy", ChartSeriesId::Series1, MarksStyle::Percent, 7,
         "Pondelok", "Nedeľa"},
        {"Cena pripojení v jednotlivých dňoch", "Cena [Sk]", ChartSeriesId::Series1, MarksStyle::Value, 7,
         "Pondelok", "Nedeľa"},
        {"Počet impulzov v jednotlivých dňoch", "Impulzy", ChartSeriesId::Series1, MarksStyle::Value, 7,
         "Pondelok", "Nedeľa"},
        {"Cena za jednotlivé mesiace", "Cena [Sk]", ChartSeriesId::Series1, MarksStyle::Value, 12, "Január",
         "December"},
    };
    ChartStatistics st;
    for (int kind = 0; kind < kChartKindCount; ++kind) {
        SCOPED_TRACE(kind);
        const auto d = st.BuildChart(kind);
        const auto& w = want[kind];
        EXPECT_EQ(d.kind, kind);
        EXPECT_EQ(d.titleLines, std::vector<std::string>{w.title});
        EXPECT_EQ(d.leftAxisTitle, w.axis);
        EXPECT_EQ(d.activeSeries, w.series);
        EXPECT_EQ(d.marksStyle, w.marks);
        ASSERT_EQ(d.points.size(), w.points);
        EXPECT_EQ(d.points.front().label, w.firstLabel);
        EXPECT_EQ(d.points.back().label, w.lastLabel);
    }
    const auto months = st.BuildChart(KindMonthPrice);
    EXPECT_EQ(months.points[9].label, "Okóber"); // the program's own spelling
}

TEST(ChartStatisticsTest, SundayOnlyPeriodFillsTheLastBar)
{
    ChartStatistics st;
    st.addConnectionSeconds(at(3, 9, 0, 0), at(3, 9, 30, 0), kSunday);
    st.AddImpulse(kSunday, 5, 120);
    st.AddImpulse(kSunday, 5, 120);
    for (int kind : {KindWeekdayTime, KindWeekdayPrice, KindWeekdayImpulses}) {
        SCOPED_TRACE(kind);
        const auto d = st.BuildChart(kind);
        ASSERT_EQ(d.points.size(), 7u);
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_EQ(d.points[i].value, 0.0) << d.points[i].label;
        EXPECT_EQ(d.points[6].label, "Nedeľa");
    }
    EXPECT_EQ(st.BuildChart(KindWeekdayTime).points[6].value, 1800.0);
    EXPECT_EQ(st.BuildChart(KindWeekdayPrice).points[6].value, 2.4);
    EXPECT_EQ(st.BuildChart(KindWeekdayImpulses).points[6].value, 2.0);
    EXPECT_EQ(st.BuildChart(KindMonthPrice).points[4].value, 2.4);
}

TEST(ChartStatisticsTest, ProfilePointsAreTheHourSlots)
{
    ChartStatistics st;
    st.addConnectionSeconds(at(1, 10, 20, 0), at(1, 12, 5, 30), kMonday);
    const auto d = st.BuildChart(KindDayProfile);
    EXPECT_EQ(d.points[10].value, 2400.0);
    EXPECT_EQ(d.points[11].value, 3600.0);
    EXPECT_EQ(d.points[12].value, 330.0);
    EXPECT_EQ(d.points[24].value, 0.0);
}

TEST(ChartStatisticsTest, ProfileMarksShowOnlyRises)
{
    ChartStatistics st;
    const std::pair<double, const char*> cases[] = {
        {0, ""}, {300, "00:05:00"}, {300, ""}, {7200, "02:00:00"}, {100, ""}, {0, ""}, {90061.7, "25:01:01"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(st.Series2GetMarkText(value), text) << value;
}

TEST(ChartStatisticsTest, PriceMarksAppendCrowns)
{
    ChartStatistics st;
    st.AddImpulse(kMonday, 1, 12345);
    const auto d = st.BuildChart(KindWeekdayPrice);
    EXPECT_DOUBLE_EQ(d.points[0].value, 123.45);
    const auto sk = slovakRegional();
    const std::string proposed = formatChartValue(d.points[0].value, sk);
    EXPECT_EQ(ChartStatistics::Series1GetMarkText(KindWeekdayPrice, proposed), "123,45 Sk");
    EXPECT_EQ(ChartStatistics::Series1GetMarkText(KindMonthPrice, "7"), "7 Sk");
    EXPECT_EQ(ChartStatistics::Series1GetMarkText(KindWeekdayTime, "12,5 %"), "12,5 %");
    EXPECT_EQ(ChartStatistics::Series1GetMarkText(KindWeekdayImpulses, "3"), "3");
}

TEST(ChartFormatTest, ValueAndPercentPatterns)
{
    const auto sk = slovakRegional();
    const std::pair<double, const char*> values[] = {{0, "0"},
                                                     {7, "7"},
                                                     {123.45, "123,45"},
                                                     {1234.5, "1 234,5"},
                                                     {1234567.891, "1 234 567,891"},
                                                     {0.0004, "0"},
                                                     {2.0005, "2,001"},
                                                     {-1500, "-1 500"}};
    for (const auto& [v, text] : values)
        EXPECT_EQ(formatChartValue(v, sk), text) << v;
    EXPECT_EQ(formatChartPercent(100, sk), "100 %");
    EXPECT_EQ(formatChartPercent(12.345, sk), "12,35 %");
    EXPECT_EQ(formatChartPercent(50, sk), "50 %");

    RegionalSettings us;
    us.decimalSeparator = ".";
    us.thousandSeparator = ",";
    EXPECT_EQ(formatChartValue(1234.5, us), "1,234.5");
}

// The period pass feeds the statistics through its hooks.
TEST(ChartStatisticsTest, PeriodPassFillsTheStatistics)
{
    test::TempDir dir;
    TTarifa t;
    t.popis = "test";
    t.pasma = {{timeOfDay(0, 0, 0), timeOfDay(23, 59, 59), 100, 60, false}, {0, 0, 50, 60, true}};
    dir.write("t.tfa", *encodeTarifa(t, 2));
    dir.write("sviatky.dat", "");
    // Tuesday 4 April 2000 22:15:30 for 3:04:40, into Wednesday; Saturday 8 April for a day and two hours.
    auto log = ConnectionLog::parse("04.04.2000 22:15:30 Ut 3:04:40 18450 185 1 1 1 1 Isp\n"
                                    "08.04.2000 23:00:00 So 26:00:00 0 0 1 1 1 1 Isp\n");
    const auto sk = slovakRegional();
    const auto period = ShowPeriod(log, 4, 2000, sk);
    ASSERT_EQ(period.rows, 2);
    LogPeriodHost host(dir.path(), "t.tfa", log, period.rows, false);
    test::RecordingPrompts prompts;
    ChartStatistics st;
    st.AddImpulse(kMonday, 1, 999); // cleared by the pass
    ImpulseComputation comp(prompts, st);
    comp.RunPeriodPass(host, sk);
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().text;

    EXPECT_EQ(st.monthPrice(1), 0);
    EXPECT_EQ(st.weekdayTime(kTuesday), 6270);
    EXPECT_EQ(st.weekdayTime(kWednesday), 4810);
    EXPECT_EQ(st.weekdayImpulses(kTuesday), 105);  // 22:15:30 ... 23:59:30
    EXPECT_EQ(st.weekdayImpulses(kWednesday), 80); // 00:00:30 ... 01:19:30
    EXPECT_EQ(st.weekdayPrice(kTuesday), 10500);
    EXPECT_EQ(st.hourSlot(22), 2670 + 3600);
    EXPECT_EQ(st.hourSlot(1), 1210 + 3600);
    // The long connection: Saturday's last hour, all of Sunday, Monday's first hour.
    EXPECT_EQ(st.weekdayTime(kSaturday), 3600);
    EXPECT_EQ(st.weekdayTime(kSunday), 86400);
    EXPECT_EQ(st.weekdayTime(kMonday), 3600);
    EXPECT_EQ(st.weekdayImpulses(kMonday), 61); // 00:00:00 ... 01:00:00, the end counts
    EXPECT_EQ(st.weekdayPrice(kMonday), 6100);
    EXPECT_EQ(st.hourSlot(23), 3600 + 3600 + 3600);
    EXPECT_EQ(st.hourSlot(24), 0);
    EXPECT_EQ(st.monthPrice(4), st.weekdayPrice(kTuesday) + st.weekdayPrice(kWednesday) +
                                    st.weekdayPrice(kSaturday) + st.weekdayPrice(kSunday) +
                                    st.weekdayPrice(kMonday));
}
