#include "tariff/Sviatky.h"

#include "platform/Cp1250.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace evidor;
using evidor::test::RecordingPrompts;
using evidor::test::TempDir;

namespace {

std::vector<std::string> displayLines(const std::vector<TSviatok>& entries)
{
    std::vector<std::string> lines;
    for (const auto& e : entries)
        lines.push_back(e.displayLine());
    return lines;
}

} // namespace

TEST(SviatkyTest, EmptyListIsAnEmptyFile)
{
    TempDir dir;
    RecordingPrompts prompts;
    ASSERT_TRUE(UlozSviatky(sviatkyPath(dir.path()), {}, prompts));
    EXPECT_EQ(dir.read("sviatky.dat"), "");
    EXPECT_TRUE(NacitajSviatky(sviatkyPath(dir.path()), prompts).empty());
    EXPECT_TRUE(prompts.events.empty());
}

TEST(SviatkyTest, ReadingTakesTheDateWordAndTheTrimmedRest)
{
    const std::string name49(49, 'x');
    struct Case
    {
        const char* name;
        std::string bytes;
        std::vector<TSviatok> expected;
    };
    const Case cases[] = {
        {"well formed",
         "01.01.2001   Deň vzniku SR\r\n06.01.2001   Traja králi\r\n",
         {{"01.01.2001", "Deň vzniku SR"}, {"06.01.2001", "Traja králi"}}},
        {"name of 49 characters", "24.12.2001   " + name49 + "\r\n", {{"24.12.2001", name49}}},
        {"blanks around the name",
         "  05.07.2001 \t    Cyril a Metod  \t \r\n",
         {{"05.07.2001", "Cyril a Metod"}}},
        {"line feeds only",
         "01.05.2001   Sviatok práce\n08.05.2001   Deň víťazstva\n",
         {{"01.05.2001", "Sviatok práce"}, {"08.05.2001", "Deň víťazstva"}}},
        {"blank lines are no entries",
         "\r\n01.01.2001   A\r\n   \r\n\n02.01.2001   B\r\n\r\n",
         {{"01.01.2001", "A"}, {"02.01.2001", "B"}}},
        {"unterminated last line",
         "01.01.2001   A\r\n02.01.2001   B",
         {{"01.01.2001", "A"}, {"02.01.2001", "B"}}},
        {"date only", "01.01.2001\r\n02.01.2001   \r\n", {{"01.01.2001", ""}, {"02.01.2001", ""}}},
        {"a word that is not a date is kept",
         "1/1/2001   X\r\nzajtra\r\n",
         {{"1/1/2001", "X"}, {"zajtra", ""}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseSviatky(*utf8ToCp1250(c.bytes)), c.expected);
    }
}

TEST(SviatkyTest, DisplayLineHasThreeSpaces)
{
    const auto entries = parseSviatky(*utf8ToCp1250("01.11.2001 \t Sviatok všetkých svätých  \r\n"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].displayLine(), "01.11.2001   Sviatok všetkých svätých");
}

TEST(SviatkyTest, ReadThenWriteReproducesAWellFormedFile)
{
    const std::string file = *utf8ToCp1250("01.01.2001   Deň vzniku Slovenskej republiky\r\n"
                                           "13.04.2001   Veľký piatok\r\n"
                                           "16.04.2001   Veľkonočný pondelok\r\n"
                                           "17.11.2001   Deň boja za slobodu a demokraciu\r\n"
                                           "01.01.2001   Deň vzniku Slovenskej republiky\r\n"
                                           "24.12.2001   \r\n");
    TempDir dir;
    dir.write("sviatky.dat", file);
    RecordingPrompts prompts;
    const auto entries = NacitajSviatky(sviatkyPath(dir.path()), prompts);
    EXPECT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[1].nazov, "Veľký piatok");
    ASSERT_TRUE(UlozSviatky(sviatkyPath(dir.path()), displayLines(entries), prompts));
    EXPECT_EQ(dir.read("sviatky.dat"), file);
    EXPECT_TRUE(prompts.events.empty());
}

TEST(SviatkyTest, MissingFileGivesAnEmptyListAndTheMessage)
{
    TempDir dir;
    RecordingPrompts prompts;
    EXPECT_TRUE(NacitajSviatky(sviatkyPath(dir.path()), prompts).empty());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Neexistuje subor sviatky.dat"}));
    EXPECT_EQ(prompts.shown[0].caption, "");
}

TEST(SviatkyTest, FailedWriteKeepsTheOldList)
{
    TempDir dir;
    RecordingPrompts prompts;
    EXPECT_FALSE(UlozSviatky(dir.file("missing/sviatky.dat"), {"01.01.2001   A"}, prompts));
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Neexistuje subor sviatky.dat"}));

    dir.write("sviatky.dat", "01.01.2001   A\r\n");
    prompts = {};
    EXPECT_FALSE(UlozSviatky(sviatkyPath(dir.path()), {"01.01.2001   A", "02.01.2001   日本"}, prompts));
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(dir.read("sviatky.dat"), "01.01.2001   A\r\n");
}
