#include "platform/FileHive.h"
#include "platform/AtomicFile.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

using namespace evidor;

namespace {

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

/// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(FileHiveTest, KeysAndValuesBehaveAsInTheRegistry)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    FileHive hive(dir.file("Linkora/registry.reg"), prompts); // the folder is made on the first change
    const std::string spy = "Software\\Linkora\\Spy";

    EXPECT_TRUE(hive.keyExists(""));
    EXPECT_FALSE(hive.keyExists("Software"));
    EXPECT_FALSE(hive.readValue(spy, "kontrola"));
    EXPECT_FALSE(hive.writeString(spy, "kontrola", "1")); // no such key

    EXPECT_TRUE(hive.createKey("\\Software\\Linkora\\Spy\\"));
    EXPECT_TRUE(hive.keyExists("software\\LINKORA"));
    EXPECT_TRUE(hive.writeString(spy, "kontrola", "0"));
    EXPECT_TRUE(hive.writeString(spy, "KONTROLA", "1"));
    const auto v = hive.readValue("SOFTWARE\\linkora\\spy", "Kontrola");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, HiveType::String);
    EXPECT_EQ(v->text, "1");
    EXPECT_TRUE(hive.writeString(spy, "prazdny", ""));
    EXPECT_EQ(hive.readValue(spy, "prazdny")->text, "");
    EXPECT_FALSE(hive.readValue(spy, "nic"));

    EXPECT_TRUE(hive.createKey(spy + "\\Vzhlad\\Hlbsie"));
    EXPECT_TRUE(hive.createKey(spy + "\\Prenos"));
    EXPECT_EQ(hive.subkeyNames(spy), (std::vector<std::string>{"Prenos", "Vzhlad"}));
    EXPECT_TRUE(hive.subkeyNames("Software\\Nic").empty());

    EXPECT_TRUE(hive.deleteKey(spy + "\\vzhlad"));
    EXPECT_FALSE(hive.keyExists(spy + "\\Vzhlad\\Hlbsie"));
    EXPECT_FALSE(hive.deleteKey(spy + "\\Vzhlad"));
    EXPECT_FALSE(hive.deleteKey(""));
    EXPECT_TRUE(hive.deleteValue(spy, "kontrola"));
    EXPECT_FALSE(hive.deleteValue(spy, "kontrola"));
    EXPECT_FALSE(hive.deleteValue("Software\\Nic", "x"));

    // Another hive on the same file (another process) sees the same at once.
    FileHive other(hive.filePath(), prompts);
    EXPECT_TRUE(other.keyExists(spy + "\\Prenos"));
    EXPECT_EQ(other.readValue(spy, "prazdny")->text, "");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(FileHiveTest, KeepsValuesOfOtherTypesAndReadsExpandStringsAsText)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    const std::string original = "Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Linkora]\r\n"
                                 "\"Pocet\"=dword:00000007\r\n"
                                 "\"Cesta\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
                                 "\"Data\"=hex:de,ad\r\n\r\n";
    dir.write("registry.reg", original);
    FileHive hive(dir.file("registry.reg"), prompts);

    const auto dword = hive.readValue("Software\\Linkora", "Pocet");
    ASSERT_TRUE(dword);
    EXPECT_EQ(dword->type, HiveType::Dword);
    EXPECT_EQ(dword->text, "");
    const auto expand = hive.readValue("Software\\Linkora", "Cesta");
    EXPECT_EQ(expand->type, HiveType::ExpandString);
    EXPECT_EQ(expand->text, "%TMP%");

    EXPECT_TRUE(hive.writeString("Software\\Linkora", "Novy", "x"));
    const std::string after = dir.read("registry.reg");
    EXPECT_EQ(after, original.substr(0, original.size() - 2) + "\"Novy\"=\"x\"\r\n\r\n");
}

TEST(FileHiveTest, SetsAsideAFileThatDoesNotParseAndNeverOverwritesIt)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    const std::string broken = "Windows Registry Editor Version 5.00\n"
                               "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\n"
                               "\"lCenaLeft\"=53\n";
    dir.write("registry.reg", broken);
    FileHive hive(dir.file("registry.reg"), prompts);

    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(hive.readValue("Software\\Linkora\\Spy\\Vzhlad", "lCenaLeft"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    auto files = filesIn(dir.path());
    ASSERT_EQ(files.size(), 2u); // the lock file and the broken file under its new name
    const std::string aside = files[1].find("poskodeny") != std::string::npos ? files[1] : files[0];
    EXPECT_EQ(aside.rfind("registry.poskodeny-", 0), 0u) << aside;
    EXPECT_EQ(aside.substr(aside.size() - 4), ".reg");
    EXPECT_EQ(dir.read(aside), broken);
    const std::string& text = prompts.shown[0].text;
    EXPECT_NE(text.find(dir.file("registry.reg") + " je poškodený (riadok 3)"), std::string::npos) << text;
    EXPECT_NE(text.find(dir.file(aside)), std::string::npos) << text;

    // The store goes on empty, and a new file does not touch the old one.
    EXPECT_TRUE(hive.createKey("Software\\Linkora"));
    EXPECT_TRUE(parseRegText(dir.read("registry.reg")));
    EXPECT_EQ(dir.read(aside), broken);

    // A second broken file gets a name of its own.
    dir.write("registry.reg", "\x01\x02");
    EXPECT_FALSE(hive.keyExists("Software\\Linkora"));
    EXPECT_EQ(prompts.shown.size(), 2u);
    files = filesIn(dir.path());
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(dir.read(aside), broken);
}

TEST(FileHiveTest, AChangeToABrokenFileSetsItAsideFirst)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    dir.write("registry.reg", "nie je to hive");
    FileHive hive(dir.file("registry.reg"), prompts);
    EXPECT_TRUE(hive.createKey("Software"));
    EXPECT_EQ(prompts.shown.size(), 1u);
    int asides = 0;
    for (const auto& name : filesIn(dir.path()))
        if (name.find("poskodeny") != std::string::npos) {
            ++asides;
            EXPECT_EQ(dir.read(name), "nie je to hive");
        }
    EXPECT_EQ(asides, 1);
    EXPECT_TRUE(hive.keyExists("Software"));
}

TEST(FileHiveTest, RemovesTemporariesOfWritersThatDied)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    dir.write(".registry.reg.Ab12Cd", "Windows Registry Editor Ver");
    dir.write(".registry.reg.keep-me", "not ours");
    FileHive hive(dir.file("registry.reg"), prompts);
    EXPECT_TRUE(hive.createKey("Software"));
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{".registry.reg.keep-me", "registry.reg", "registry.reg.lock"}));
}

TEST(FileHiveTest, RefusesNamesAndTextsAFileCannotHold)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    FileHive hive(dir.file("registry.reg"), prompts);
    EXPECT_FALSE(hive.createKey("Software\\a\nb"));
    ASSERT_TRUE(hive.createKey("Software"));
    EXPECT_FALSE(hive.writeString("Software", "a\rb", "x"));
    EXPECT_FALSE(hive.writeString("Software", "a", "\xC3"));
    EXPECT_TRUE(hive.writeString("Software", "a", "riadok\r\nďalší"));
    EXPECT_EQ(hive.readValue("Software", "a")->text, "riadok\r\nďalší");
}

TEST(FileHiveTest, LivesInTheUsersConfigFolder)
{
    const struct
    {
        std::optional<std::string> xdg;
        std::string expected;
    } cases[] = {
        {"/x/cfg", "/x/cfg/Linkora/registry.reg"},
        {"/x/cfg/", "/x/cfg/Linkora/registry.reg"},
        {"", "/home/jano/.config/Linkora/registry.reg"},
        {"relativne", "/home/jano/.config/Linkora/registry.reg"},
        {std::nullopt, "/home/jano/.config/Linkora/registry.reg"},
    };
    ScopedEnv home("HOME", "/home/jano");
    for (const auto& c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(userHiveFilePath(), c.expected) << c.xdg.value_or("(unset)");
    }
}

TEST(FileHiveTest, TheUsersHiveIsTheFileInTheConfigFolder)
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.path());
    const auto hive = openUserHive(prompts);
    ASSERT_TRUE(hive->createKey("Software\\Linkora\\Spy"));
    const auto text = readWholeFile(dir.file("Linkora/registry.reg"));
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("[HKEY_CURRENT_USER\\Software\\Linkora\\Spy]\r\n"), std::string::npos);
}
