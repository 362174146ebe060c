#include "Color.h"

#include "platform/Hive.h"
#include "platform/Regional.h"

#include <array>
#include <cstdio>

namespace evidor {

namespace {

struct NamedColor
{
    std::string_view name;
    TColor value;
};

// Fixed colours first, then the system colours in their numbering order.
constexpr std::array<NamedColor, 42> kNamedColors{{
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clNone", clNone},
    {"clScrollBar", systemColor(0)},
    {"clBackground", systemColor(1)},
    {"clActiveCaption", systemColor(2)},
    {"clInactiveCaption", systemColor(3)},
    {"clMenu", systemColor(4)},
    {"clWindow", systemColor(5)},
    {"clWindowFrame", systemColor(6)},
    {"clMenuText", systemColor(7)},
    {"clWindowText", systemColor(8)},
    {"clCaptionText", systemColor(9)},
    {"clActiveBorder", systemColor(10)},
    {"clInactiveBorder", systemColor(11)},
    {"clAppWorkSpace", systemColor(12)},
    {"clHighlight", systemColor(13)},
    {"clHighlightText", systemColor(14)},
    {"clBtnFace", systemColor(15)},
    {"clBtnShadow", systemColor(16)},
    {"clGrayText", systemColor(17)},
    {"clBtnText", systemColor(18)},
    {"clInactiveCaptionText", systemColor(19)},
    {"clBtnHighlight", systemColor(20)},
    {"cl3DDkShadow", systemColor(21)},
    {"cl3DLight", systemColor(22)},
    {"clInfoText", systemColor(23)},
    {"clInfoBk", systemColor(24)},
}};

} // namespace

std::string ColorToText(TColor color)
{
    for (const auto& named : kNamedColors)
        if (named.value == color)
            return std::string(named.name);
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(color));
    return buf;
}

std::optional<TColor> TextToColor(std::string_view text)
{
    for (const auto& named : kNamedColors)
        if (sameHiveName(named.name, text))
            return named.value;
    if (!text.empty() && text.front() == '$') {
        text.remove_prefix(1);
        if (text.empty())
            return std::nullopt;
        std::uint64_t value = 0;
        for (char c : text) {
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return static_cast<TColor>(value);
    }
    if (const auto n = parseInt32(text))
        return static_cast<TColor>(*n);
    return std::nullopt;
}

std::string notValidIntegerMessage(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

} // namespace evidor
