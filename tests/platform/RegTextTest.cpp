#include "platform/RegText.h"
#include "platform/Hive.h"

#include <gtest/gtest.h>

using namespace evidor;

namespace {

std::string crlf(std::string_view lf)
{
    std::string out;
    for (char c : lf) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string utf16(std::u16string_view s)
{
    std::string out;
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

} // namespace

TEST(RegTextTest, ReadsWhatRegeditWritesAndKeepsEveryType)
{
    // Mixed line ends, a comment, a wrapped hex(2) value, the default value, escapes.
    const std::string text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; exported\n"
                             "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\r\n"
                             "\"PanelBMP\"=\"C:\\\\Pozadie \\\"modr\xC3\xA9\\\".bmp\"\r\n"
                             "@=\"default\"\n"
                             "\"Pocet\"=dword:0000002a\r\n"
                             "\"Obraz\"=hex:01,ff,\\\r\n"
                             "  10\r\n"
                             "\"Cesta\"=hex(2):25,00,54,00,\\\n"
                             "  4d,00,50,00,25,00,00,00\n"
                             "\"Velke\"=hex(b):01,00,00,00,00,00,00,00\n";
    RegTextError error;
    const auto root = parseRegText(text, &error);
    ASSERT_TRUE(root) << error.line << ": " << error.reason;
    const RegKey* key = root->find(splitKeyPath("Software\\Linkora\\Spy\\Vzhlad"));
    ASSERT_TRUE(key);
    ASSERT_EQ(key->values.size(), 6u);
    EXPECT_EQ(regStringToUtf8(key->findValue("PanelBMP")->data), "C:\\Pozadie \"modr\xC3\xA9\".bmp");
    EXPECT_EQ(regStringToUtf8(key->findValue("")->data), "default");
    EXPECT_EQ(key->findValue("pocet")->type, HiveType::Dword);
    EXPECT_EQ(key->findValue("Pocet")->data, std::string("\x2a\0\0\0", 4));
    EXPECT_EQ(key->findValue("Obraz")->data, "\x01\xff\x10");
    EXPECT_EQ(key->findValue("Cesta")->type, HiveType::ExpandString);
    EXPECT_EQ(regStringToUtf8(key->findValue("Cesta")->data), "%TMP%");
    EXPECT_EQ(key->findValue("Velke")->type, HiveType::Qword);

    EXPECT_EQ(writeRegText(*root), crlf("Windows Registry Editor Version 5.00\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Linkora]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy]\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\n"
                                        "\"PanelBMP\"=\"C:\\\\Pozadie \\\"modr\xC3\xA9\\\".bmp\"\n"
                                        "@=\"default\"\n"
                                        "\"Pocet\"=dword:0000002a\n"
                                        "\"Obraz\"=hex:01,ff,10\n"
                                        "\"Cesta\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\n"
                                        "\"Velke\"=hex(b):01,00,00,00,00,00,00,00\n"
                                        "\n"));
    EXPECT_EQ(writeRegText(*parseRegText(writeRegText(*root))), writeRegText(*root));
}

TEST(RegTextTest, StringsThatCannotBeQuotedGoAsHexAndComeBack)
{
    RegKey root;
    RegKey& key = root.subkey("Software");
    const std::string cases[] = {"riadok 1\r\nriadok 2", "tab\there", "\xF0\x9F\x98\x80 mimo BMP", ""};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        key.setValue("v" + std::to_string(i), HiveType::String, *utf8ToRegString(cases[i]));
    key.setValue("raw", HiveType::String, utf16(u"ab\0cd")); // a NUL inside stays as it was
    const std::string text = writeRegText(root);
    EXPECT_NE(text.find("\"v0\"=hex(1):"), std::string::npos);
    EXPECT_NE(text.find("\"v2\"=\"\xF0\x9F\x98\x80 mimo BMP\""), std::string::npos);
    EXPECT_NE(text.find("\"v3\"=\"\""), std::string::npos);
    const auto back = parseRegText(text);
    ASSERT_TRUE(back);
    const RegKey* read = back->findSubkey("SOFTWARE");
    ASSERT_TRUE(read);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(regStringToUtf8(read->findValue("v" + std::to_string(i))->data), cases[i]);
    EXPECT_EQ(read->findValue("raw")->data, key.findValue("raw")->data);
    EXPECT_EQ(regStringToUtf8(read->findValue("raw")->data), "ab");
}

TEST(RegTextTest, KeysAndValuesIgnoreLetterCaseAndKeepRegistryOrder)
{
    const auto root = parseRegText("Windows Registry Editor Version 5.00\n"
                                   "[HKEY_CURRENT_USER\\software\\Zeta]\n"
                                   "[hkey_current_user\\SOFTWARE\\alfa]\n"
                                   "\"X\"=\"1\"\n"
                                   "\"y\"=\"2\"\n"
                                   "[HKEY_CURRENT_USER\\Software\\ALFA]\n"
                                   "\"x\"=\"3\"\n"
                                   "[HKEY_CURRENT_USER\\Software\\_b]\n");
    ASSERT_TRUE(root);
    const RegKey* software = root->findSubkey("Software");
    ASSERT_TRUE(software);
    ASSERT_EQ(software->subkeys.size(), 3u);
    // Upper-cased comparison puts letters before '_', as the registry orders them.
    EXPECT_EQ(software->subkeys[0].name, "alfa");
    EXPECT_EQ(software->subkeys[1].name, "Zeta");
    EXPECT_EQ(software->subkeys[2].name, "_b");
    const RegKey& alfa = software->subkeys[0];
    ASSERT_EQ(alfa.values.size(), 2u);
    EXPECT_EQ(alfa.values[0].name, "X"); // first place and name, last data
    EXPECT_EQ(regStringToUtf8(alfa.values[0].data), "3");
}

TEST(RegTextTest, EmptyTextIsAnEmptyHive)
{
    for (std::string_view text : {"", "\r\n", "\xEF\xBB\xBF", "Windows Registry Editor Version 5.00\r\n"}) {
        const auto root = parseRegText(text);
        ASSERT_TRUE(root) << text;
        EXPECT_TRUE(root->subkeys.empty());
        EXPECT_TRUE(root->values.empty());
    }
    EXPECT_EQ(writeRegText(RegKey{}), "Windows Registry Editor Version 5.00\r\n\r\n");
}

TEST(RegTextTest, RefusesWhatIsNotAHiveFile)
{
    const std::string head = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n";
    const struct
    {
        std::string text;
        int line;
    } cases[] = {
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n", 1},
        {"garbage", 1},
        {"Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n", 2},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n", 2},
        {"Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\A]\n", 2},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\\\\B]\n", 2},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\n", 2},
        {head + "\"a\"=-\n", 3},
        {head + "\"a\"=\"C:\\Meter\"\n", 3},
        {head + "\"a\"=\"open\n", 3},
        {head + "\"a\"=\"x\" y\n", 3},
        {head + "\"a\"\"x\"\n", 3},
        {head + "\"a\"=dword:123456789\n", 3},
        {head + "\"a\"=dword:xyz\n", 3},
        {head + "\"a\"=hex:01,2g\n", 3},
        {head + "\"a\"=hex:01,,02\n", 3},
        {head + "\"a\"=hex(zz):01\n", 3},
        {head + "\"a\"=hex:01,\\", 3},
        {head + "b=\"x\"\n", 3},
        {head + "\"a\"=\"\xC3\x28\"\n", 0},
    };
    for (const auto& c : cases) {
        RegTextError error;
        EXPECT_FALSE(parseRegText(c.text, &error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
    }
}

TEST(RegTextTest, ConvertsBetweenUtf8AndRegistryStrings)
{
    EXPECT_EQ(utf8ToRegString("A\xC4\x8D"), utf16(u"A\u010D") + std::string(2, '\0'));
    EXPECT_EQ(regStringToUtf8(utf16(u"\U0001F600")), "\xF0\x9F\x98\x80");
    EXPECT_EQ(regStringToUtf8(utf16(u"a") + "\x3D\xD8" + utf16(u"b")), "a\xEF\xBF\xBD"
                                                                       "b"); // lone surrogate
    EXPECT_EQ(regStringToUtf8(utf16(u"ab") + "c"), "ab");                    // stray odd byte
    for (std::string_view bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
        EXPECT_FALSE(utf8ToRegString(bad)) << bad;
}

TEST(RegTextTest, SplitsAndJoinsKeyPaths)
{
    EXPECT_EQ(splitKeyPath("\\Software\\\\Microsoft\\"), (std::vector<std::string>{"Software", "Microsoft"}));
    EXPECT_TRUE(splitKeyPath("").empty());
    EXPECT_EQ(joinKeyPath("\\Software\\Linkora", "Spy\\"), "Software\\Linkora\\Spy");
    EXPECT_EQ(joinKeyPath("", "Vzhlad"), "Vzhlad");
    EXPECT_TRUE(sameHiveName("kontrola", "KONTROLA"));
    EXPECT_FALSE(sameHiveName("kontrola", "kontrol"));
}
