#include "settings/MeterSettings.h"
#include "ScriptedHive.h"
#include "platform/FileHive.h"
#include "settings/RegIniFile.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace evidor;

namespace {

const std::string kVzhlad = "Software\\Linkora\\Spy\\Vzhlad";
const std::string kPrenos = "Software\\Linkora\\Spy\\Prenos";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kProgramDir = "/opt/Linkora";

struct Fixture
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    FileHive file{dir.file("registry.reg"), prompts};
    test::ScriptedHive hive{file};

    /// Stores values as the meter (or an older version) left them.
    void store(const std::string& key, std::initializer_list<std::pair<const char*, const char*>> values)
    {
        ASSERT_TRUE(file.createKey(key));
        for (const auto& [name, text] : values)
            ASSERT_TRUE(file.writeString(key, name, text));
    }
    std::optional<std::string> stored(const std::string& key, const char* name)
    {
        const auto v = file.readValue(key, name);
        return v ? std::optional<std::string>(v->text) : std::nullopt;
    }
};

/// Appearance values only: what EraseAppearance brings back to the defaults.
TMeterSettings appearanceOf(TMeterSettings s)
{
    const TMeterSettings defaults;
    s.Zdrzanie = defaults.Zdrzanie;
    s.SpustitPoStarte = defaults.SpustitPoStarte;
    s.Tarif = defaults.Tarif;
    return s;
}

TMeterSettings known()
{
    TMeterSettings s;
    s.kontrola = false;
    s.Zdrzanie = 12;
    s.SpustitPoStarte = true;
    s.SuborWAV = "\"C:\\Program Files\\Zvuky\\pípnutie.wav\"";
    s.Tarif = "nezapise.tfa";
    TTextElement& cena = *s.textElement("lCena");
    cena.Left = 50;
    cena.FontColor = clRed;
    cena.FontStyle = {fsBold, fsUnderline};
    TTextElement& impulzy = *s.textElement("Impulzy");
    impulzy.Zobraz = false;
    impulzy.FontColor = 0x0090B8A8;
    impulzy.FontStyle = {fsItalic, fsStrikeOut};
    s.textElement("Speed")->FontColor = clBtnFace;
    s.textElement("lTarifa")->FontName = "Arial Narrow";
    s.Shape.Height = 5;
    s.Shape.LightColor = clNavy;
    s.Image2.Zobraz = false;
    s.Panel.ColorPrepinac = TBackgroundMode::bmGradient;
    s.Panel.Color = clYellow; // not this mode's: not written
    s.Panel.StartColor = 0x00102030;
    s.Panel.EndColor = clWhite;
    s.Panel.ColorPrechod = true;
    s.Panel.BMP = "C:\\nezapise.bmp";
    return s;
}

} // namespace

TEST(MeterSettingsTest, AnEmptyHiveGivesTheDefaultsAndOnlyTheTwoKeys)
{
    Fixture f;
    const TMeterSettings s = LoadMeterSettings(f.hive, f.prompts);
    EXPECT_EQ(s, TMeterSettings{});
    EXPECT_TRUE(f.prompts.shown.empty());
    EXPECT_TRUE(f.hive.writes.empty());
    EXPECT_EQ(f.file.subkeyNames(""), std::vector<std::string>{"Software"});
    EXPECT_EQ(f.file.subkeyNames("Software"), std::vector<std::string>{"Linkora"});
    EXPECT_EQ(f.file.subkeyNames("Software\\Linkora"), std::vector<std::string>{"Spy"});
    EXPECT_TRUE(f.file.subkeyNames("Software\\Linkora\\Spy").empty());

    // The defaults of the record, spot-checked against the tables.
    EXPECT_TRUE(s.kontrola);
    EXPECT_EQ(s.Zdrzanie, 0);
    EXPECT_FALSE(s.SpustitPoStarte);
    ASSERT_TRUE(s.textElement("lCasImpulzu"));
    EXPECT_EQ(s.TextElements[0].Name, "lCasImpulzu");
    EXPECT_EQ(s.TextElements[9].Name, "Speed");
    EXPECT_EQ(s.textElement("Impulzy")->FontName, "MS Serif");
    EXPECT_EQ(s.textElement("Impulzy")->FontSize, 6);
    EXPECT_EQ(s.textElement("lTarifa")->Left, 116);
    EXPECT_EQ(s.Shape.Color, 0x0088B098u);
    EXPECT_EQ(s.Image2.Top, 16);
    EXPECT_EQ(s.Panel.EndColor, 0x0090B8A8u);
    EXPECT_FALSE(s.textElement("Nic"));
}

TEST(MeterSettingsTest, WritesTheFileTheMeterReads)
{
    Fixture f;
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, known(), kProgramDir));
    EXPECT_TRUE(f.prompts.shown.empty());

    const std::string actual = f.dir.read("registry.reg");
    const std::string golden = std::string(EVIDOR_TEST_DATA) + "/settings/meter-settings.reg";
    std::ifstream in(golden, std::ios::binary);
    std::stringstream expected;
    expected << in.rdbuf();
    if (actual != expected.str()) {
        std::ofstream(golden + ".actual", std::ios::binary) << actual;
        ADD_FAILURE() << "written file differs from " << golden << "; see " << golden
                      << ".actual (diff -u the two)";
    }
}

TEST(MeterSettingsTest, SavesInTheOrderTheMeterExpects)
{
    Fixture f;
    TMeterSettings s;
    s.Panel.ColorPrepinac = TBackgroundMode::bmPicture;
    s.SpustitPoStarte = true;
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, s, kProgramDir));

    std::vector<std::string> expected{"kontrola", "Zdrzanie"};
    for (const auto& e : kTextElements)
        for (const char* field : {"Zobraz", "Left", "Top", "FontName", "FontSize", "FontColor", "FontStyle"})
            expected.push_back(std::string(e.Name) + field);
    for (const char* name :
         {"ShapeZobraz", "ShapeLeft", "ShapeTop", "ShapeHeight", "ShapeLightColor", "ShapeColor",
          "Image1Zobraz", "Image1Left", "Image1Top", "Image2Zobraz", "Image2Left", "Image2Top",
          "PanelColorPrepinac", "PanelBMP", "SuborWAV", "Linkora", "SpustitPoStarte"})
        expected.push_back(name);
    EXPECT_EQ(f.hive.writtenNames(), expected);
    EXPECT_EQ(f.hive.writes.front(), kVzhlad + "|kontrola=1");
    EXPECT_EQ(f.hive.writes[1], kPrenos + "|Zdrzanie=0");
    EXPECT_EQ(f.hive.writes[f.hive.writes.size() - 2], kRun + "|Linkora=" + kProgramDir + "/Linkora.exe");
    EXPECT_EQ(f.hive.writes.back(), kPrenos + "|SpustitPoStarte=1");
}

TEST(MeterSettingsTest, SavingInPictureModeKeepsTheOtherModesValues)
{
    Fixture f;
    auto panelWrites = [&f] {
        std::vector<std::string> panel;
        for (const auto& name : f.hive.writtenNames())
            if (name.rfind("Panel", 0) == 0)
                panel.push_back(name);
        f.hive.writes.clear();
        return panel;
    };
    TMeterSettings s;
    s.Panel.Color = clMaroon;
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, s, kProgramDir));
    EXPECT_EQ(panelWrites(), (std::vector<std::string>{"PanelColorPrepinac", "PanelColor"}));
    s.Panel.ColorPrepinac = TBackgroundMode::bmGradient;
    s.Panel.StartColor = clGreen;
    s.Panel.EndColor = clOlive;
    s.Panel.ColorPrechod = true;
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, s, kProgramDir));
    EXPECT_EQ(panelWrites(), (std::vector<std::string>{"PanelColorPrepinac", "PanelStartColor",
                                                       "PanelEndColor", "PanelColorPrechod"}));

    TMeterSettings picture; // other modes' values at their defaults: they must not be written
    picture.Panel.ColorPrepinac = TBackgroundMode::bmPicture;
    picture.Panel.BMP = "/home/jano/pozadie.bmp";
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, picture, kProgramDir));
    EXPECT_EQ(panelWrites(), (std::vector<std::string>{"PanelColorPrepinac", "PanelBMP"}));

    const TMeterSettings loaded = LoadMeterSettings(f.hive, f.prompts);
    EXPECT_EQ(loaded.Panel.ColorPrepinac, TBackgroundMode::bmPicture);
    EXPECT_EQ(loaded.Panel.BMP, "/home/jano/pozadie.bmp");
    EXPECT_EQ(loaded.Panel.Color, clMaroon);
    EXPECT_EQ(loaded.Panel.StartColor, clGreen);
    EXPECT_EQ(loaded.Panel.EndColor, clOlive);
    EXPECT_TRUE(loaded.Panel.ColorPrechod);
    EXPECT_EQ(f.stored(kVzhlad, "PanelColor"), "clMaroon");
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(MeterSettingsTest, ReadsBackWhatItSavesButNeverWritesTarif)
{
    Fixture f;
    f.store("Software\\Linkora\\Spy\\Tarifa", {{"Tarif", "019xy.tfa"}});
    TMeterSettings s = known();
    s.Panel.Color = TMeterSettings{}.Panel.Color;
    s.Panel.BMP.clear();
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, s, kProgramDir));
    const TMeterSettings loaded = LoadMeterSettings(f.hive, f.prompts);
    s.Tarif = "019xy.tfa";
    s.textElement("Impulzy")->FontStyle = {fsItalic}; // strike-out is not stored
    EXPECT_EQ(loaded, s);
    EXPECT_EQ(readTarif(f.hive, f.prompts), "019xy.tfa");
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(MeterSettingsTest, ReadsStoredTextsByTheirEncodings)
{
    Fixture f;
    f.store(kVzhlad, {
                         {"kontrola", "5"},
                         {"lCenaZobraz", "0"},
                         {"ShapeZobraz", "abc"},
                         {"PanelColorPrechod", "5"},
                         {"lCasImpulzuFontStyle", "101"},
                         {"lCenaFontStyle", "10"},
                         {"lCasSpojeniaFontStyle", "112"},
                         {"ImpulzyFontStyle", "-1"},
                         {"lCasImpulzuFontColor", "CLTEAL"},
                         {"lCenaFontColor", "$0090B8A8"},
                         {"lCasSpojeniaFontColor", "clbtnface"},
                         {"ImpulzyFontColor", "12345"},
                         {"lCenaLeft", "-4"},
                         {"lCenaTop", "x"},
                         {"PanelColorPrepinac", "7"},
                     });
    f.store(kPrenos, {{"Zdrzanie", "abc"}, {"SpustitPoStarte", "1"}});
    const TMeterSettings s = LoadMeterSettings(f.hive, f.prompts);
    EXPECT_TRUE(f.prompts.shown.empty());
    EXPECT_TRUE(s.kontrola);
    EXPECT_FALSE(s.textElement("lCena")->Zobraz);
    EXPECT_TRUE(s.Shape.Zobraz);
    EXPECT_TRUE(s.Panel.ColorPrechod);
    EXPECT_EQ(s.textElement("lCasImpulzu")->FontStyle, (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(s.textElement("lCena")->FontStyle, TFontStyles{fsItalic});
    EXPECT_EQ(s.textElement("lCasSpojenia")->FontStyle, TFontStyles{});
    EXPECT_EQ(s.textElement("Impulzy")->FontStyle, TFontStyles{});
    EXPECT_EQ(s.textElement("lCasImpulzu")->FontColor, clTeal);
    EXPECT_EQ(s.textElement("lCena")->FontColor, 0x0090B8A8u);
    EXPECT_EQ(s.textElement("lCasSpojenia")->FontColor, clBtnFace);
    EXPECT_EQ(s.textElement("Impulzy")->FontColor, 12345u);
    EXPECT_EQ(s.textElement("lCena")->Left, -4);
    EXPECT_EQ(s.textElement("lCena")->Top, 5);
    EXPECT_EQ(s.Panel.ColorPrepinac, TBackgroundMode::bmColour);
    EXPECT_EQ(s.Zdrzanie, 0);
    EXPECT_TRUE(s.SpustitPoStarte);
}

TEST(MeterSettingsTest, AColourThatDoesNotConvertStopsTheLoading)
{
    Fixture f;
    f.store(kVzhlad, {{"lCasImpulzuLeft", "1"},
                      {"lCenaLeft", "2"},
                      {"lCenaFontColor", "blue"},
                      {"lCenaFontStyle", "1"},
                      {"lCasSpojeniaLeft", "3"},
                      {"SuborWAV", "x.wav"}});
    f.store(kPrenos, {{"Zdrzanie", "9"}});
    const TMeterSettings s = LoadMeterSettings(f.hive, f.prompts);
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"'blue' is not a valid integer value"});
    EXPECT_EQ(f.prompts.shown[0].caption, ""); // a plain message
    EXPECT_EQ(s.Zdrzanie, 9);
    EXPECT_EQ(s.textElement("lCasImpulzu")->Left, 1);
    EXPECT_EQ(s.textElement("lCena")->Left, 2);
    EXPECT_EQ(s.textElement("lCena")->FontColor, clBlack);
    EXPECT_EQ(s.textElement("lCena")->FontStyle, TFontStyles{});
    EXPECT_EQ(s.textElement("lCasSpojenia")->Left, 98);
    EXPECT_EQ(s.SuborWAV, "");
}

TEST(MeterSettingsTest, AValueOfAnotherTypeStopsTheLoading)
{
    Fixture f;
    f.dir.write("registry.reg", "Windows Registry Editor Version 5.00\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\r\n"
                                "\"lCasImpulzuLeft\"=\"1\"\r\n"
                                "\"lCenaTop\"=dword:00000001\r\n"
                                "\"lCasSpojeniaLeft\"=\"3\"\r\n");
    const TMeterSettings s = LoadMeterSettings(f.hive, f.prompts);
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Invalid data type for 'lCenaTop'"});
    EXPECT_EQ(s.textElement("lCasImpulzu")->Left, 1);
    EXPECT_EQ(s.textElement("lCasSpojenia")->Left, 98);
}

TEST(MeterSettingsTest, AFailedWriteEndsTheSaving)
{
    Fixture f;
    f.hive.failWriteOf = "lCenaTop";
    EXPECT_FALSE(SaveMeterSettings(f.hive, f.prompts, TMeterSettings{}, kProgramDir));
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Failed to set data for 'lCenaTop'"});
    EXPECT_EQ(f.stored(kVzhlad, "lCenaLeft"), "53"); // what was written stays written
    EXPECT_FALSE(f.stored(kVzhlad, "SuborWAV"));
    EXPECT_FALSE(f.stored(kPrenos, "SpustitPoStarte"));
    EXPECT_FALSE(f.file.keyExists(kRun));
}

TEST(MeterSettingsTest, ASettingsKeyThatCannotBeMadeIsReported)
{
    Fixture f;
    f.hive.failCreateUnder = "Software\\Linkora\\Spy";
    EXPECT_EQ(LoadMeterSettings(f.hive, f.prompts), TMeterSettings{});
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Error in Opening Created Key"});

    f.prompts.shown.clear();
    EXPECT_FALSE(SaveMeterSettings(f.hive, f.prompts, TMeterSettings{}, kProgramDir));
    EXPECT_EQ(f.prompts.texts(),
              (std::vector<std::string>{"Error in Opening Created Key", "Failed to create key " + kVzhlad}));
    EXPECT_TRUE(f.hive.writes.empty());

    f.prompts.shown.clear();
    EXPECT_TRUE(readKontrola(f.hive, f.prompts));
    EXPECT_EQ(readTarif(f.hive, f.prompts), "");
    EXPECT_EQ(f.prompts.texts(),
              (std::vector<std::string>{"Error in Opening Created Key", "Error in Opening Created Key"}));
}

TEST(MeterSettingsTest, ErasingTheAppearanceBringsBackItsDefaults)
{
    Fixture f;
    TMeterSettings s = known();
    s.Tarif.clear();
    ASSERT_TRUE(SaveMeterSettings(f.hive, f.prompts, s, kProgramDir));
    EXPECT_TRUE(EraseAppearance(f.hive));
    EXPECT_FALSE(f.file.keyExists(kVzhlad));
    EXPECT_TRUE(EraseAppearance(f.hive)); // nothing left to erase is still erased

    const TMeterSettings loaded = LoadMeterSettings(f.hive, f.prompts);
    EXPECT_EQ(appearanceOf(loaded), appearanceOf(TMeterSettings{}));
    EXPECT_TRUE(loaded.kontrola);
    EXPECT_EQ(loaded.SuborWAV, "");
    EXPECT_EQ(loaded.Zdrzanie, 12);
    EXPECT_TRUE(loaded.SpustitPoStarte);
    EXPECT_TRUE(readKontrola(f.hive, f.prompts));
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(MeterSettingsTest, SetsAndClearsTheAutostartEntry)
{
    Fixture f;
    const std::string before = "Windows Registry Editor Version 5.00\r\n\r\n";
    f.dir.write("registry.reg", before);

    EXPECT_TRUE(SetAutostart(f.hive, f.prompts, false, kProgramDir));
    EXPECT_TRUE(f.hive.deletions.empty());
    EXPECT_TRUE(f.hive.writes.empty());
    EXPECT_TRUE(f.prompts.shown.empty());
    EXPECT_FALSE(f.stored(kRun, "Linkora"));

    EXPECT_TRUE(SetAutostart(f.hive, f.prompts, true, kProgramDir));
#ifdef _WIN32
    EXPECT_EQ(f.stored(kRun, "Linkora"), "/opt/Linkora\\Linkora.exe");
#else
    EXPECT_EQ(f.stored(kRun, "Linkora"), "/opt/Linkora/Linkora.exe");
#endif
    EXPECT_TRUE(SetAutostart(f.hive, f.prompts, false, kProgramDir));
    EXPECT_FALSE(f.stored(kRun, "Linkora"));
    EXPECT_TRUE(f.file.keyExists(kRun));
    EXPECT_EQ(f.hive.deletions, std::vector<std::string>{kRun + "|Linkora"});

    // An empty entry counts as none and stays.
    f.store(kRun, {{"Linkora", ""}, {"Iny", "x"}});
    f.hive.deletions.clear();
    EXPECT_TRUE(SetAutostart(f.hive, f.prompts, false, kProgramDir));
    EXPECT_TRUE(f.hive.deletions.empty());
    EXPECT_EQ(f.stored(kRun, "Iny"), "x");
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(MeterSettingsTest, AutostartFailuresAreReportedAndEndTheSaving)
{
    Fixture f;
    f.hive.failWriteOf = "Linkora";
    EXPECT_FALSE(SaveMeterSettings(f.hive, f.prompts, known(), kProgramDir));
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Failed to set data for 'Linkora'"});
    EXPECT_EQ(f.stored(kVzhlad, "SuborWAV"), known().SuborWAV);
    EXPECT_FALSE(f.stored(kPrenos, "SpustitPoStarte"));
}

TEST(MeterSettingsTest, ReadsTheValidationFlagAsTheMainWindowStarts)
{
    const struct
    {
        const char* stored; // nullptr: no value
        bool kontrola;
    } cases[] = {
        {nullptr, true}, {"0", false}, {"1", true}, {"5", true}, {"-1", true}, {"abc", true}, {"", true},
    };
    for (const auto& c : cases) {
        Fixture f;
        if (c.stored)
            f.store(kVzhlad, {{"kontrola", c.stored}});
        EXPECT_EQ(readKontrola(f.hive, f.prompts), c.kontrola) << (c.stored ? c.stored : "(none)");
        EXPECT_TRUE(f.prompts.shown.empty());
    }

    Fixture f;
    f.dir.write("registry.reg", "Windows Registry Editor Version 5.00\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\r\n"
                                "\"kontrola\"=dword:00000000\r\n");
    EXPECT_TRUE(readKontrola(f.hive, f.prompts));
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Invalid data type for 'kontrola'"});
}

TEST(MeterSettingsTest, ReadsTheTariffName)
{
    Fixture f;
    EXPECT_EQ(readTarif(f.hive, f.prompts), "");
    f.store("Software\\Linkora\\Spy\\Tarifa", {{"Tarif", "Slovak Telecom 2000.tfa"}});
    EXPECT_EQ(readTarif(f.hive, f.prompts), "Slovak Telecom 2000.tfa");
    EXPECT_TRUE(f.prompts.shown.empty());
}
