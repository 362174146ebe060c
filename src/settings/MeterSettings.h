#pragma once

#include "platform/Hive.h"
#include "platform/Prompts.h"
#include "settings/Color.h"
#include "settings/FontStyle.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace evidor {

/// One text element of the meter window. Positions are pixels from the top-left corner of the
/// window's 162 x 64 client area; the registry names of its values are `Name` followed by the
/// field name (`lCenaLeft`), all in section `Vzhlad`.
struct TTextElement
{
    std::string Name;
    bool Zobraz = true; ///< the meter shows the element
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::string FontName;
    std::int32_t FontSize = 8; ///< points
    TColor FontColor = clBlack;
    TFontStyles FontStyle;

    friend bool operator==(const TTextElement&, const TTextElement&) = default;
};

/// The fixed description of a text element: its name, what the layout preview says it shows,
/// the sample text the preview puts in it, and its default place and font.
struct TextElementInfo
{
    std::string_view Name;
    std::string_view Shows;
    std::string_view Sample;
    std::int32_t Left;
    std::int32_t Top;
    std::string_view FontName;
    std::int32_t FontSize;
};

inline constexpr std::size_t kTextElementCount = 10;
/// The ten text elements, in their fixed order.
extern const std::array<TextElementInfo, kTextElementCount> kTextElements;

/// The meter window's thin progress bar (registry prefix `Shape`); its width is not stored.
struct TBarElement
{
    bool Zobraz = true;
    std::int32_t Left = 8;
    std::int32_t Top = 20;
    std::int32_t Height = 4;
    TColor LightColor = clTeal; ///< the filled part
    TColor Color = 0x0088B098;  ///< the unfilled part

    friend bool operator==(const TBarElement&, const TBarElement&) = default;
};

/// One of the two small fixed pictures (`Image1`, `Image2`).
struct TGlyphElement
{
    bool Zobraz = true;
    std::int32_t Left = 147;
    std::int32_t Top = 5;

    friend bool operator==(const TGlyphElement&, const TGlyphElement&) = default;
};

enum class TBackgroundMode : std::int32_t
{
    bmColour = 0,
    bmGradient = 1,
    bmPicture = 2
};

/// The meter window's background (registry prefix `Panel`).
struct TWindowBackground
{
    TBackgroundMode ColorPrepinac = TBackgroundMode::bmColour;
    TColor Color = 0x0090B8A8;      ///< mode bmColour
    TColor StartColor = 0x0090B8A8; ///< mode bmGradient: left or top edge
    TColor EndColor = 0x0090B8A8;   ///< mode bmGradient: right or bottom edge
    bool ColorPrechod = false;      ///< mode bmGradient: false horizontal, true vertical
    std::string BMP;                ///< mode bmPicture: full path of a bitmap tiled from the top left

    friend bool operator==(const TWindowBackground&, const TWindowBackground&) = default;
};

std::array<TTextElement, kTextElementCount> defaultTextElements();

/// Everything the meter reads from the settings key. A new record holds every default.
struct TMeterSettings
{
    bool kontrola = true;      ///< impulses and prices are checked against the tariffs
    std::int32_t Zdrzanie = 0; ///< login correction, seconds, 0 to 99
    bool SpustitPoStarte = false;
    std::string SuborWAV; ///< WAV played before the end of an impulse
    std::string Tarif;    ///< tariff file name with ".tfa"; only ever read here
    std::array<TTextElement, kTextElementCount> TextElements = defaultTextElements();
    TBarElement Shape;
    TGlyphElement Image1{true, 147, 5};
    TGlyphElement Image2{true, 147, 16};
    TWindowBackground Panel;

    /// The text element of that name, or null.
    TTextElement* textElement(std::string_view name);
    const TTextElement* textElement(std::string_view name) const;

    friend bool operator==(const TMeterSettings&, const TMeterSettings&) = default;
};

/// Reads every value of the settings key with its default. A colour text that does not convert
/// stops the reading there ("'<text>' is not a valid integer value"), as does a value of a
/// non-string type ("Invalid data type for '<name>'"); what was not read yet keeps its default.
/// A stored background mode outside 0 to 2 reads as one colour.
TMeterSettings LoadMeterSettings(IHive& hive, IPrompts& prompts);

/// Writes every value but `Tarif`: `kontrola`, `Zdrzanie`, the text elements in order, the bar,
/// the pictures, the background mode and only that mode's own values, `SuborWAV`; then
/// SetAutostart, then `SpustitPoStarte`. The first failure is shown and ends the saving (what
/// was written stays written); the result tells whether everything was saved.
/// `programDir` is this program's directory, for the autostart entry.
bool SaveMeterSettings(IHive& hive, IPrompts& prompts, const TMeterSettings& settings,
                       std::string_view programDir);

/// Adds (`start`) or removes the value `Linkora` under the current user's Windows `Run` key,
/// whose data is `programDir` and "Linkora.exe" joined with the platform's separator. Removing
/// an absent entry does nothing. A failure is shown; the result tells whether it succeeded.
bool SetAutostart(IHive& hive, IPrompts& prompts, bool start, std::string_view programDir);

/// Erases the section `Vzhlad` (the appearance, `kontrola` and `SuborWAV`) at once. True when
/// the section is gone afterwards.
bool EraseAppearance(IHive& hive);

/// The validation flag `kontrola` as the main window reads it at start: true when absent or not
/// an integer.
bool readKontrola(IHive& hive, IPrompts& prompts);

/// The name of the tariff file the meter uses (`Tarif` of section `Tarifa`), empty by default.
std::string readTarif(IHive& hive, IPrompts& prompts);

inline constexpr std::string_view kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion";

} // namespace evidor
