#include "platform/Regional.h"

#include <gtest/gtest.h>

using namespace evidor;

TEST(RegionalTest, FormatsNumbersWithSlovakSeparators)
{
    const auto sk = slovakRegional();
    struct Case
    {
        double value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {0.0, 2, "0,00"},
        {999.0, 2, "999,00"},
        {1000.0, 2, "1 000,00"},
        {1234567.891, 2, "1 234 567,89"},
        {-1234.5, 2, "-1 234,50"},
        {12345.0, 0, "12 345"},
        {0.005, 2, "0,01"},
        {0.125, 2, "0,13"},
        {0.625, 2, "0,63"},
        {-0.125, 2, "-0,13"},
        {999.995, 2, "1 000,00"},
        {99.5, 0, "100"},
        {2.5, 0, "3"},
        {1.005, 2, "1,01"},
        {1e15, 2, "1 000 000 000 000 000,00"},
        {-0.001, 2, "0,00"},
        {100.0, 0, "100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.decimals, sk), c.expected) << c.value;

    RegionalSettings en;
    en.decimalSeparator = ".";
    en.thousandSeparator = ",";
    EXPECT_EQ(formatNumber(1234567.5, 2, en), "1,234,567.50");
}

TEST(RegionalTest, FormatsHoursMinutesSeconds)
{
    EXPECT_EQ(formatHms(0), "00:00:00");
    EXPECT_EQ(formatHms(3661), "01:01:01");
    EXPECT_EQ(formatHms(100 * 3600), "100:00:00");
    EXPECT_EQ(formatTwoDigits(7), "07");
    EXPECT_EQ(formatTwoDigits(123), "123");
}

TEST(RegionalTest, ReadsDurations)
{
    const auto sk = slovakRegional();
    struct Case
    {
        const char* text;
        std::optional<std::int64_t> seconds;
    };
    const Case cases[] = {
        {"0:00:00", 0}, {"1:02:03", 3723}, {"23:59:59", 86399}, {"25:00:00", 90000},
        {"0:05", 300},  {"0:60:00", {}},   {"0:00:60", {}},     {"", {}},
        {"abc", {}},    {"1:2a:00", {}},   {"-1:00:00", {}},    {"1.00.00", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDurationSeconds(c.text, sk), c.seconds) << c.text;

    RegionalSettings dot = sk;
    dot.timeSeparator = '.';
    EXPECT_EQ(parseDurationSeconds("1.00.00", dot), 3600);
}

TEST(RegionalTest, ReadsDatesAndWeekdays)
{
    const auto sk = slovakRegional();
    EXPECT_EQ(parseDate("01.01.2001", sk), (CivilDate{2001, 1, 1}));
    EXPECT_EQ(parseDate("1.1.2001", sk), (CivilDate{2001, 1, 1}));
    EXPECT_EQ(parseDate("29.02.2000", sk), (CivilDate{2000, 2, 29}));
    EXPECT_FALSE(parseDate("29.02.2001", sk));
    EXPECT_FALSE(parseDate("32.01.2001", sk));
    EXPECT_FALSE(parseDate("01/01/2001", sk));
    EXPECT_FALSE(parseDate("x", sk));

    // 1.1.2001 was a Monday (2), 1.1.2002 a Tuesday (3), 20.5.2000 a Saturday (7).
    EXPECT_EQ(weekdayNumber(daysFromCivil({2001, 1, 1})), 2);
    EXPECT_EQ(weekdayNumber(daysFromCivil({2002, 1, 1})), 3);
    EXPECT_EQ(weekdayNumber(daysFromCivil({2000, 5, 20})), 7);
    EXPECT_EQ(civilFromDays(daysFromCivil({1999, 12, 31}) + 1), (CivilDate{2000, 1, 1}));
}

TEST(RegionalTest, ReadsStrictInt32)
{
    EXPECT_EQ(parseInt32("0"), 0);
    EXPECT_EQ(parseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseInt32("2147483647"), INT32_MAX);
    EXPECT_EQ(parseInt32("+5"), 5);
    EXPECT_FALSE(parseInt32("2147483648"));
    EXPECT_FALSE(parseInt32("12x"));
    EXPECT_FALSE(parseInt32(""));
    EXPECT_FALSE(parseInt32("-"));
    EXPECT_FALSE(parseInt32("1.5"));
    EXPECT_FALSE(parseInt32("+-5"));
}
