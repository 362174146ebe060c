#include "settings/Color.h"

#include <gtest/gtest.h>

using namespace evidor;

TEST(ColorTest, NamesNamedColoursAndWritesOthersAsHex)
{
    const struct
    {
        TColor color;
        const char* text;
    } cases[] = {
        {0x00808000, "clTeal"},      {0x0090B8A8, "$0090B8A8"}, {0x8000000F, "clBtnFace"},
        {0x00000000, "clBlack"},     {0x00FFFFFF, "clWhite"},   {0x1FFFFFFF, "clNone"},
        {0x80000000, "clScrollBar"}, {0x80000018, "clInfoBk"},  {0x80000015, "cl3DDkShadow"},
        {0x80000019, "$80000019"},   {0x0088B098, "$0088B098"}, {0x00000001, "$00000001"},
        {0xFFFFFFFF, "$FFFFFFFF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToText(c.color), c.text);
}

TEST(ColorTest, ReadsNamesInAnyCaseAndNumbers)
{
    const struct
    {
        const char* text;
        TColor color;
    } cases[] = {
        {"clTeal", 0x00808000},
        {"CLTEAL", 0x00808000},
        {"cLtEaL", 0x00808000},
        {"clbtnface", 0x8000000F},
        {"$0090B8A8", 0x0090B8A8},
        {"$0090b8a8", 0x0090B8A8},
        {"$ff", 0x000000FF},
        {"12345", 12345},
        {"+12345", 12345},
        {"-1", 0xFFFFFFFF},
        {"0", 0},
        {"$00000000FF", 0xFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToColor(c.text), c.color) << c.text;
}

TEST(ColorTest, RefusesOtherTexts)
{
    for (const char* text : {"blue", "", "$", "$12345678 ", " 5", "12a", "0x10", "$1FFFFFFFF", "2147483648",
                             "+-5", "clTeal ", "cl Teal"})
        EXPECT_FALSE(TextToColor(text)) << text;
    EXPECT_EQ(notValidIntegerMessage("blue"), "'blue' is not a valid integer value");
}

TEST(ColorTest, EveryTextItWritesReadsBack)
{
    for (TColor c : {clBlack, clTeal, clNone, systemColor(0), systemColor(24), TColor{0x0090B8A8},
                     TColor{0x7FFFFFFF}, TColor{0x80000019}, TColor{0xFFFFFFFF}})
        EXPECT_EQ(TextToColor(ColorToText(c)), c) << ColorToText(c);
}
