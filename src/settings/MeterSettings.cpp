#include "MeterSettings.h"

#include "platform/AtomicFile.h"
#include "settings/RegIniFile.h"

#include <utility>

namespace evidor {

namespace {

constexpr std::string_view kVzhlad = "Vzhlad";
constexpr std::string_view kPrenos = "Prenos";
constexpr std::string_view kTarifa = "Tarifa";

std::string name(std::string_view prefix, std::string_view field)
{
    return std::string(prefix) + std::string(field);
}

class ConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

TColor readColor(const TRegIniFile& ini, std::string_view ident, TColor def)
{
    const std::string text = ini.readString(kVzhlad, ident, ColorToText(def));
    const auto color = TextToColor(text);
    if (!color)
        throw ConvertError(notValidIntegerMessage(text));
    return *color;
}

void readGlyph(const TRegIniFile& ini, std::string_view prefix, TGlyphElement& g)
{
    g.Zobraz = ini.readBool(kVzhlad, name(prefix, "Zobraz"), g.Zobraz);
    g.Left = ini.readInteger(kVzhlad, name(prefix, "Left"), g.Left);
    g.Top = ini.readInteger(kVzhlad, name(prefix, "Top"), g.Top);
}

void writeGlyph(TRegIniFile& ini, std::string_view prefix, const TGlyphElement& g)
{
    ini.writeBool(kVzhlad, name(prefix, "Zobraz"), g.Zobraz);
    ini.writeInteger(kVzhlad, name(prefix, "Left"), g.Left);
    ini.writeInteger(kVzhlad, name(prefix, "Top"), g.Top);
}

/// Fills `s` in the order the values are saved, so that a failure leaves exactly the values
/// after it at their defaults.
void readAll(const TRegIniFile& ini, TMeterSettings& s)
{
    s.kontrola = ini.readBool(kVzhlad, "kontrola", s.kontrola);
    s.Zdrzanie = ini.readInteger(kPrenos, "Zdrzanie", s.Zdrzanie);
    for (auto& e : s.TextElements) {
        e.Zobraz = ini.readBool(kVzhlad, name(e.Name, "Zobraz"), e.Zobraz);
        e.Left = ini.readInteger(kVzhlad, name(e.Name, "Left"), e.Left);
        e.Top = ini.readInteger(kVzhlad, name(e.Name, "Top"), e.Top);
        e.FontName = ini.readString(kVzhlad, name(e.Name, "FontName"), e.FontName);
        e.FontSize = ini.readInteger(kVzhlad, name(e.Name, "FontSize"), e.FontSize);
        e.FontColor = readColor(ini, name(e.Name, "FontColor"), e.FontColor);
        e.FontStyle = DecodeFontStyle(
            ini.readInteger(kVzhlad, name(e.Name, "FontStyle"), EncodeFontStyle(e.FontStyle)));
    }
    s.Shape.Zobraz = ini.readBool(kVzhlad, "ShapeZobraz", s.Shape.Zobraz);
    s.Shape.Left = ini.readInteger(kVzhlad, "ShapeLeft", s.Shape.Left);
    s.Shape.Top = ini.readInteger(kVzhlad, "ShapeTop", s.Shape.Top);
    s.Shape.Height = ini.readInteger(kVzhlad, "ShapeHeight", s.Shape.Height);
    s.Shape.LightColor = readColor(ini, "ShapeLightColor", s.Shape.LightColor);
    s.Shape.Color = readColor(ini, "ShapeColor", s.Shape.Color);
    readGlyph(ini, "Image1", s.Image1);
    readGlyph(ini, "Image2", s.Image2);
    const std::int32_t mode =
        ini.readInteger(kVzhlad, "PanelColorPrepinac", static_cast<std::int32_t>(s.Panel.ColorPrepinac));
    // An unknown mode reads as one colour, so there is always a mode to show and to save.
    s.Panel.ColorPrepinac =
        mode >= 0 && mode <= 2 ? static_cast<TBackgroundMode>(mode) : TBackgroundMode::bmColour;
    s.Panel.Color = readColor(ini, "PanelColor", s.Panel.Color);
    s.Panel.StartColor = readColor(ini, "PanelStartColor", s.Panel.StartColor);
    s.Panel.EndColor = readColor(ini, "PanelEndColor", s.Panel.EndColor);
    s.Panel.ColorPrechod = ini.readBool(kVzhlad, "PanelColorPrechod", s.Panel.ColorPrechod);
    s.Panel.BMP = ini.readString(kVzhlad, "PanelBMP", s.Panel.BMP);
    s.SuborWAV = ini.readString(kVzhlad, "SuborWAV", s.SuborWAV);
    s.SpustitPoStarte = ini.readBool(kPrenos, "SpustitPoStarte", s.SpustitPoStarte);
    s.Tarif = ini.readString(kTarifa, "Tarif", s.Tarif);
}

void writeAppearanceAndOptions(TRegIniFile& ini, const TMeterSettings& s)
{
    ini.writeBool(kVzhlad, "kontrola", s.kontrola);
    ini.writeInteger(kPrenos, "Zdrzanie", s.Zdrzanie);
    for (const auto& e : s.TextElements) {
        ini.writeBool(kVzhlad, name(e.Name, "Zobraz"), e.Zobraz);
        ini.writeInteger(kVzhlad, name(e.Name, "Left"), e.Left);
        ini.writeInteger(kVzhlad, name(e.Name, "Top"), e.Top);
        ini.writeString(kVzhlad, name(e.Name, "FontName"), e.FontName);
        ini.writeInteger(kVzhlad, name(e.Name, "FontSize"), e.FontSize);
        ini.writeString(kVzhlad, name(e.Name, "FontColor"), ColorToText(e.FontColor));
        ini.writeInteger(kVzhlad, name(e.Name, "FontStyle"), EncodeFontStyle(e.FontStyle));
    }
    ini.writeBool(kVzhlad, "ShapeZobraz", s.Shape.Zobraz);
    ini.writeInteger(kVzhlad, "ShapeLeft", s.Shape.Left);
    ini.writeInteger(kVzhlad, "ShapeTop", s.Shape.Top);
    ini.writeInteger(kVzhlad, "ShapeHeight", s.Shape.Height);
    ini.writeString(kVzhlad, "ShapeLightColor", ColorToText(s.Shape.LightColor));
    ini.writeString(kVzhlad, "ShapeColor", ColorToText(s.Shape.Color));
    writeGlyph(ini, "Image1", s.Image1);
    writeGlyph(ini, "Image2", s.Image2);
    ini.writeInteger(kVzhlad, "PanelColorPrepinac", static_cast<std::int32_t>(s.Panel.ColorPrepinac));
    // The other modes' values stay as stored, so switching back brings them back.
    switch (s.Panel.ColorPrepinac) {
    case TBackgroundMode::bmColour:
        ini.writeString(kVzhlad, "PanelColor", ColorToText(s.Panel.Color));
        break;
    case TBackgroundMode::bmGradient:
        ini.writeString(kVzhlad, "PanelStartColor", ColorToText(s.Panel.StartColor));
        ini.writeString(kVzhlad, "PanelEndColor", ColorToText(s.Panel.EndColor));
        ini.writeBool(kVzhlad, "PanelColorPrechod", s.Panel.ColorPrechod);
        break;
    case TBackgroundMode::bmPicture:
        ini.writeString(kVzhlad, "PanelBMP", s.Panel.BMP);
        break;
    }
    ini.writeString(kVzhlad, "SuborWAV", s.SuborWAV);
}

} // namespace

const std::array<TextElementInfo, kTextElementCount> kTextElements{{
    {"lCasImpulzu", "Čas do konca impulzu ", "00:00", 7, 6, "MS Sans Serif", 8},
    {"lCena", "Cena", "0,00 Sk", 53, 5, "Tahoma", 8},
    {"lCasSpojenia", "Celkovy čas", "00:00:00", 98, 5, "Tahoma", 8},
    {"Impulzy", "Impulzy", "0", 136, 17, "MS Serif", 6},
    {"lOdoslane", "Odoslané", "O:", 8, 32, "Tahoma", 8},
    {"Odoslane", "Odoslané", "12,3 kB", 23, 32, "Tahoma", 8},
    {"lPrijate", "Prijaté", "P:", 9, 46, "Tahoma", 8},
    {"Prijate", "Prijaté", "123,4 kB", 23, 46, "Tahoma", 8},
    {"lTarifa", "Aktuálna tarifa", "019xy A", 116, 32, "Tahoma", 8},
    {"Speed", "Rýchlosť spojenia", "33600", 126, 46, "Tahoma", 8},
}};

std::array<TTextElement, kTextElementCount> defaultTextElements()
{
    std::array<TTextElement, kTextElementCount> elements;
    for (std::size_t i = 0; i < kTextElementCount; ++i) {
        const auto& info = kTextElements[i];
        auto& e = elements[i];
        e.Name = std::string(info.Name);
        e.Left = info.Left;
        e.Top = info.Top;
        e.FontName = std::string(info.FontName);
        e.FontSize = info.FontSize;
    }
    return elements;
}

TTextElement* TMeterSettings::textElement(std::string_view elementName)
{
    return const_cast<TTextElement*>(std::as_const(*this).textElement(elementName));
}

const TTextElement* TMeterSettings::textElement(std::string_view elementName) const
{
    for (const auto& e : TextElements)
        if (e.Name == elementName)
            return &e;
    return nullptr;
}

TMeterSettings LoadMeterSettings(IHive& hive, IPrompts& prompts)
{
    TMeterSettings settings;
    const TRegIniFile ini = OpenSettingsKey(hive, prompts);
    try {
        readAll(ini, settings);
    } catch (const std::runtime_error& e) {
        prompts.message(e.what());
    }
    return settings;
}

bool SaveMeterSettings(IHive& hive, IPrompts& prompts, const TMeterSettings& settings,
                       std::string_view programDir)
{
    try {
        {
            TRegIniFile ini = OpenSettingsKey(hive, prompts);
            writeAppearanceAndOptions(ini, settings);
        }
        if (!SetAutostart(hive, prompts, settings.SpustitPoStarte, programDir))
            return false;
        TRegIniFile ini = OpenSettingsKey(hive, prompts);
        ini.writeBool(kPrenos, "SpustitPoStarte", settings.SpustitPoStarte);
        return true;
    } catch (const ERegistryException& e) {
        prompts.message(e.what());
        return false;
    }
}

bool SetAutostart(IHive& hive, IPrompts& prompts, bool start, std::string_view programDir)
{
    try {
        TRegIniFile ini(hive, kRunKey);
        if (start)
            ini.writeString("Run", "Linkora", joinPath(std::string(programDir), "Linkora.exe"));
        else if (!ini.readString("Run", "Linkora", {}).empty())
            ini.deleteValue("Run", "Linkora");
        return true;
    } catch (const ERegistryException& e) {
        prompts.message(e.what());
        return false;
    }
}

bool EraseAppearance(IHive& hive)
{
    TRegIniFile ini(hive, kSettingsKey);
    return ini.eraseSection(kVzhlad) || !hive.keyExists(joinKeyPath(kSettingsKey, kVzhlad));
}

bool readKontrola(IHive& hive, IPrompts& prompts)
{
    const TRegIniFile ini = OpenSettingsKey(hive, prompts);
    try {
        return ini.readBool(kVzhlad, "kontrola", true);
    } catch (const ERegistryException& e) {
        prompts.message(e.what());
        return true;
    }
}

std::string readTarif(IHive& hive, IPrompts& prompts)
{
    const TRegIniFile ini = OpenSettingsKey(hive, prompts);
    try {
        return ini.readString(kTarifa, "Tarif", {});
    } catch (const ERegistryException& e) {
        prompts.message(e.what());
        return {};
    }
}

} // namespace evidor
