#pragma once

#include <cstdint>
#include <initializer_list>

namespace evidor {

enum TFontStyle : std::uint8_t
{
    fsBold,
    fsItalic,
    fsUnderline,
    fsStrikeOut
};

/// A set of font style flags.
class TFontStyles
{
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle s : styles)
            include(s);
    }

    constexpr bool contains(TFontStyle s) const { return (m_bits & bit(s)) != 0; }
    constexpr void include(TFontStyle s) { m_bits = static_cast<std::uint8_t>(m_bits | bit(s)); }
    constexpr void exclude(TFontStyle s) { m_bits = static_cast<std::uint8_t>(m_bits & ~bit(s)); }
    constexpr bool empty() const { return m_bits == 0; }

    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    static constexpr std::uint8_t bit(TFontStyle s) { return static_cast<std::uint8_t>(1u << s); }
    std::uint8_t m_bits = 0;
};

/// 1 for bold + 10 for italic + 100 for underline; strike-out is not stored.
std::int32_t EncodeFontStyle(TFontStyles styles);

/// The set of one of the codes 0, 1, 10, 11, 100, 101, 110, 111; any other number is regular.
TFontStyles DecodeFontStyle(std::int32_t code);

} // namespace evidor
