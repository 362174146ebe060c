#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace evidor {

/// A colour as the meter stores it: $00BBGGRR for an RGB colour (red in the lowest byte),
/// $80000000 + n for the desktop's system colour n, $1FFFFFFF for no colour.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clOlive = 0x00008080;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clTeal = 0x00808000;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clFuchsia = 0x00FF00FF;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;

/// System colour n of the desktop, n = 0 (clScrollBar) ... 24 (clInfoBk).
inline constexpr TColor systemColor(int n)
{
    return 0x80000000u + static_cast<TColor>(n);
}
inline constexpr TColor clBtnFace = systemColor(15);
inline constexpr TColor clWindow = systemColor(5);
inline constexpr TColor clWindowText = systemColor(8);

inline constexpr bool isSystemColor(TColor c)
{
    return (c & 0xFF000000u) == 0x80000000u;
}

/// The name of a named colour ("clTeal", "clBtnFace"), else "$" and eight upper-case hex digits.
std::string ColorToText(TColor color);

/// A colour name in any letter case, a decimal int32 with an optional sign, or "$" and hex
/// digits (at most 32 bits). Nothing for any other text.
std::optional<TColor> TextToColor(std::string_view text);

/// The error text of a colour text that TextToColor refuses.
std::string notValidIntegerMessage(std::string_view text);

} // namespace evidor
