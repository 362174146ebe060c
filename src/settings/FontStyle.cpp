#include "FontStyle.h"

namespace evidor {

std::int32_t EncodeFontStyle(TFontStyles styles)
{
    return (styles.contains(fsBold) ? 1 : 0) + (styles.contains(fsItalic) ? 10 : 0) +
           (styles.contains(fsUnderline) ? 100 : 0);
}

TFontStyles DecodeFontStyle(std::int32_t code)
{
    if (code < 0 || code > 111)
        return {};
    const int underline = code / 100;
    const int italic = code / 10 % 10;
    const int bold = code % 10;
    if (bold > 1 || italic > 1)
        return {};
    TFontStyles styles;
    if (bold)
        styles.include(fsBold);
    if (italic)
        styles.include(fsItalic);
    if (underline)
        styles.include(fsUnderline);
    return styles;
}

} // namespace evidor
