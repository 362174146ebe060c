#include "platform/Cp1250.h"

#include <gtest/gtest.h>

using namespace evidor;

TEST(Cp1250Test, SlovakLettersBothWays)
{
    const std::string cp =
        "\xE1\xE4\xE8\xEF\xE9\xED\xE5\xBE\xF2\xF3\xF4\xE0\x9A\x9D\xFA\xFD\x9E\xC8\xBC\x8A\x8D\x8E";
    const std::string utf = "áäčďéíĺľňóôŕšťúýžČĽŠŤŽ";
    EXPECT_EQ(cp1250ToUtf8(cp), utf);
    EXPECT_EQ(utf8ToCp1250(utf), cp);
}

TEST(Cp1250Test, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1250(cp1250ToUtf8(all)), all);
}

TEST(Cp1250Test, RefusesWhatItCannotHold)
{
    EXPECT_FALSE(utf8ToCp1250("日本"));
    EXPECT_FALSE(utf8ToCp1250("\xC3"));     // cut-off UTF-8
    EXPECT_FALSE(utf8ToCp1250("\xFF\xFE")); // not UTF-8 at all
    EXPECT_TRUE(fitsCp1250("Žilina"));
}
