#include "settings/RegIniFile.h"
#include "ScriptedHive.h"
#include "platform/FileHive.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace evidor;

namespace {

struct Fixture
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    FileHive file{dir.file("registry.reg"), prompts};
    test::ScriptedHive hive{file};
};

std::string messageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "(none)";
}

} // namespace

TEST(RegIniFileTest, ReadsIntegersAndBooleansFromStrings)
{
    const struct
    {
        const char* stored; // nullptr: no value
        std::int32_t asInteger;
        bool asBoolTrueDefault;
        bool asBoolFalseDefault;
    } cases[] = {
        {nullptr, 7, true, false}, {"0", 0, false, false},         {"1", 1, true, true},
        {"5", 5, true, true},      {"-3", -3, true, true},         {"abc", 7, true, false},
        {"", 7, true, false},      {" 1", 7, true, false},         {"1.0", 7, true, false},
        {"+2", 2, true, true},     {"2147483648", 7, true, false},
    };
    for (const auto& c : cases) {
        Fixture f;
        TRegIniFile ini(f.hive, "Software\\Linkora\\Spy");
        if (c.stored)
            ini.writeString("Vzhlad", "v", c.stored);
        EXPECT_EQ(ini.readInteger("Vzhlad", "v", 7), c.asInteger) << (c.stored ? c.stored : "(none)");
        EXPECT_EQ(ini.readBool("Vzhlad", "v", true), c.asBoolTrueDefault) << (c.stored ? c.stored : "(none)");
        EXPECT_EQ(ini.readBool("Vzhlad", "v", false), c.asBoolFalseDefault)
            << (c.stored ? c.stored : "(none)");
        EXPECT_TRUE(f.prompts.shown.empty());
    }
}

TEST(RegIniFileTest, ReadsStringsAndRefusesOtherTypes)
{
    Fixture f;
    f.dir.write("registry.reg", "Windows Registry Editor Version 5.00\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\r\n"
                                "\"prazdny\"=\"\"\r\n"
                                "\"cesta\"=hex(2):43,00,3a,00,5c,00,00,00\r\n"
                                "\"lCenaLeft\"=dword:00000035\r\n");
    TRegIniFile ini(f.hive, "Software\\Linkora\\Spy");
    EXPECT_EQ(ini.readString("Vzhlad", "prazdny", "x"), "");
    EXPECT_EQ(ini.readString("Vzhlad", "cesta", "x"), "C:\\");
    EXPECT_EQ(ini.readString("Vzhlad", "nic", "x"), "x");
    EXPECT_EQ(ini.readString("Nic", "prazdny", "x"), "x");
    EXPECT_EQ(messageOf([&] { ini.readInteger("Vzhlad", "lCenaLeft", 1); }),
              "Invalid data type for 'lCenaLeft'");
}

TEST(RegIniFileTest, WritesMakeTheSectionAndUseTheTextEncodings)
{
    Fixture f;
    TRegIniFile ini(f.hive, "\\Software\\Linkora\\Spy");
    ini.writeInteger("Prenos", "Zdrzanie", -12);
    ini.writeBool("Prenos", "a", true);
    ini.writeBool("Prenos", "b", false);
    ini.writeString("Prenos", "c", "Čas");
    EXPECT_EQ(f.hive.writes, (std::vector<std::string>{"Software\\Linkora\\Spy\\Prenos|Zdrzanie=-12",
                                                       "Software\\Linkora\\Spy\\Prenos|a=1",
                                                       "Software\\Linkora\\Spy\\Prenos|b=0",
                                                       "Software\\Linkora\\Spy\\Prenos|c=Čas"}));
    EXPECT_EQ(ini.readString("Prenos", "c", ""), "Čas");
}

TEST(RegIniFileTest, WriteFailuresSayWhat)
{
    Fixture f;
    f.hive.failCreateUnder = "Software\\Linkora\\Spy\\Vzhlad";
    f.hive.failWriteOf = "lCenaTop";
    TRegIniFile ini(f.hive, "Software\\Linkora\\Spy");
    EXPECT_EQ(messageOf([&] { ini.writeString("Vzhlad", "x", "1"); }),
              "Failed to create key Software\\Linkora\\Spy\\Vzhlad");
    EXPECT_EQ(messageOf([&] { ini.writeInteger("Prenos", "lCenaTop", 1); }),
              "Failed to set data for 'lCenaTop'");
    EXPECT_EQ(messageOf([&] { ini.writeInteger("Prenos", "lCenaLeft", 1); }), "(none)");
}

TEST(RegIniFileTest, OpensSubkeysWithAndWithoutCreating)
{
    Fixture f;
    TRegIniFile ini(f.hive, "Software\\Linkora");
    EXPECT_TRUE(f.hive.keyExists("Software\\Linkora"));
    EXPECT_FALSE(ini.openKey("Spy", false));
    EXPECT_EQ(ini.currentPath(), "Software\\Linkora");
    EXPECT_TRUE(ini.openKey("Spy", true));
    EXPECT_EQ(ini.currentPath(), "Software\\Linkora\\Spy");
    EXPECT_TRUE(ini.createKey("Vzhlad"));
    EXPECT_TRUE(f.hive.keyExists("Software\\Linkora\\Spy\\Vzhlad"));
    EXPECT_TRUE(ini.openKey("\\Software\\Linkora", false)); // from the root
    EXPECT_EQ(ini.currentPath(), "Software\\Linkora");
}

TEST(RegIniFileTest, ErasesSectionsAndDeletesValues)
{
    Fixture f;
    TRegIniFile ini(f.hive, "Software\\Linkora\\Spy");
    ini.writeString("Vzhlad", "a", "1");
    ini.writeString("Prenos", "b", "2");
    EXPECT_TRUE(ini.deleteValue("Prenos", "b"));
    EXPECT_FALSE(ini.deleteValue("Prenos", "b"));
    EXPECT_TRUE(f.hive.keyExists("Software\\Linkora\\Spy\\Prenos"));
    EXPECT_TRUE(ini.eraseSection("Vzhlad"));
    EXPECT_FALSE(f.hive.keyExists("Software\\Linkora\\Spy\\Vzhlad"));
    EXPECT_FALSE(ini.eraseSection("Vzhlad"));
    EXPECT_FALSE(ini.eraseSection(""));
    EXPECT_TRUE(f.hive.keyExists("Software\\Linkora\\Spy"));
}

TEST(RegIniFileTest, OpensTheSettingsKeyByTheRule)
{
    {
        Fixture f; // nothing there: both keys are made, nothing is said
        const TRegIniFile ini = OpenSettingsKey(f.hive, f.prompts);
        EXPECT_EQ(ini.currentPath(), "Software\\Linkora\\Spy");
        EXPECT_TRUE(f.hive.keyExists("Software\\Linkora\\Spy"));
        EXPECT_TRUE(f.prompts.shown.empty());
    }
    {
        Fixture f; // Spy cannot be made
        f.hive.failCreateUnder = "Software\\Linkora\\Spy";
        TRegIniFile ini = OpenSettingsKey(f.hive, f.prompts);
        EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Error in Opening Created Key"});
        // Still aimed at Spy: reads give defaults, writes fail there rather than land elsewhere.
        EXPECT_EQ(ini.currentPath(), "Software\\Linkora\\Spy");
        EXPECT_EQ(ini.readString("Vzhlad", "kontrola", "d"), "d");
        EXPECT_EQ(messageOf([&] { ini.writeBool("Vzhlad", "kontrola", true); }),
                  "Failed to create key Software\\Linkora\\Spy\\Vzhlad");
        EXPECT_TRUE(f.hive.subkeyNames("Software\\Linkora").empty());
    }
}
