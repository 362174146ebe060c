#include "settings/FontStyle.h"

#include <gtest/gtest.h>

using namespace evidor;

TEST(FontStyleTest, EncodesBoldItalicUnderlineAsDigits)
{
    const struct
    {
        TFontStyles styles;
        int code;
    } cases[] = {
        {{}, 0},
        {{fsBold}, 1},
        {{fsItalic}, 10},
        {{fsBold, fsUnderline}, 101},
        {{fsBold, fsItalic, fsUnderline}, 111},
        {{fsStrikeOut}, 0},
        {{fsItalic, fsStrikeOut}, 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeFontStyle(c.styles), c.code);
}

TEST(FontStyleTest, DecodesTheEightCodesAndNothingElse)
{
    const struct
    {
        int code;
        TFontStyles styles;
    } cases[] = {
        {0, {}},
        {1, {fsBold}},
        {10, {fsItalic}},
        {11, {fsBold, fsItalic}},
        {100, {fsUnderline}},
        {101, {fsBold, fsUnderline}},
        {110, {fsItalic, fsUnderline}},
        {111, {fsBold, fsItalic, fsUnderline}},
        {2, {}},
        {12, {}},
        {112, {}},
        {-1, {}},
        {1000, {}},
        {1001, {}},
        {-101, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeFontStyle(c.code), c.styles) << c.code;
}
