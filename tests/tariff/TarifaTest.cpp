#include "tariff/Tarifa.h"

#include "platform/Cp1250.h"

#include "support/RecordingPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace evidor;
using evidor::test::RecordingPrompts;
using evidor::test::TempDir;

namespace {

std::string bytesOf(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

TPasmo band(int h1, int m1, int s1, int h2, int m2, int s2, int length, int price, bool weekend = false)
{
    return {timeOfDay(h1, m1, s1), timeOfDay(h2, m2, s2), price, length, weekend};
}

const std::string kWorkday = bytesOf({0xFF, 8, 0, 0, 16, 59, 59, 1, 30, 1, 20});
const std::string kWeekend = bytesOf({0xFE, 0, 0, 0, 23, 59, 59, 5, 0, 0, 90});

} // namespace

TEST(TarifaTest, TemplateIsTheNewTariff)
{
    EXPECT_EQ(kTarifaTemplate, "nova" + bytesOf({0xFF, 0, 0, 0, 0x17, 0x3B, 0x3B, 0, 0, 0, 0}) +
                                   bytesOf({0xFE, 0, 0, 0, 0x17, 0x3B, 0x3B, 0, 0, 0, 0}));
    TempDir dir;
    VytvorTarifu(dir.file("nova.tfa"));
    EXPECT_EQ(dir.read("nova.tfa"), kTarifaTemplate);

    RecordingPrompts prompts;
    const auto r = NacitajTarifu(dir.file("nova.tfa"), prompts);
    ASSERT_TRUE(r);
    EXPECT_TRUE(prompts.events.empty());
    EXPECT_EQ(r->tarifa.popis, "nova");
    EXPECT_EQ(r->bandCount, 2);
    EXPECT_EQ(r->decoded, 2);
    ASSERT_EQ(r->tarifa.pasma.size(), 2u);
    EXPECT_EQ(r->tarifa.pasma[0], band(0, 0, 0, 23, 59, 59, 0, 0, false));
    EXPECT_EQ(r->tarifa.pasma[1], band(0, 0, 0, 23, 59, 59, 0, 0, true));
}

TEST(TarifaTest, BandIsElevenBytes)
{
    const TTarifa t{"", {band(8, 0, 0, 16, 59, 59, 90, 120)}};
    EXPECT_EQ(encodeTarifa(t, 1),
              bytesOf({0xFF, 0x08, 0x00, 0x00, 0x10, 0x3B, 0x3B, 0x01, 0x1E, 0x01, 0x14}));
    EXPECT_EQ(formatBandTime(t.pasma[0].koniec), "16:59:59");
}

TEST(TarifaTest, WritesOnlyTheGivenBandCount)
{
    const TTarifa t{"x", {band(8, 0, 0, 16, 59, 59, 90, 120), band(0, 0, 0, 23, 59, 59, 300, 90, true)}};
    EXPECT_EQ(encodeTarifa(t, 1), "x" + kWorkday);
    EXPECT_EQ(encodeTarifa(t, 2), "x" + kWorkday + kWeekend);
    EXPECT_EQ(encodeTarifa(t, 0), "x");
}

TEST(TarifaTest, DecodingFollowsTheMetersReading)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string popis;
        int bandCount;
        int decoded;
        bool formatError;
    };
    const Case cases[] = {
        {"empty file", "", "", 1, 0, false},
        {"no 0xFF at all", "just text", "just text", 1, 0, false},
        {"empty description", kWorkday + kWeekend, "", 2, 2, false},
        {"well formed", "Tarifa" + kWorkday + kWorkday + kWeekend, "Tarifa", 3, 3, false},
        // The weekend record ends decoding; the markers after it still count.
        {"records after the weekend band", "d" + kWorkday + kWeekend + kWorkday + kWorkday, "d", 4, 2, false},
        // Counted but never decoded: a file without a weekend band.
        {"no weekend record", "d" + kWorkday, "d", 2, 1, false},
        {"ends with a marker", "d" + kWorkday + bytesOf({0xFF}), "d", 3, 1, false},
        {"hour 24", "d" + kWorkday + bytesOf({0xFF, 24, 0, 0, 23, 0, 0, 1, 0, 1, 0}) + kWeekend, "d", 3, 1,
         true},
        {"minute 60 in the end time", "d" + bytesOf({0xFF, 8, 0, 0, 9, 60, 0, 1, 0, 1, 0}), "d", 2, 0, true},
        {"data byte of 128", "d" + kWorkday + bytesOf({0xFF, 8, 0, 0, 9, 0, 0, 1, 0, 0x80, 0}), "d", 3, 1,
         true},
        {"record cut short", "d" + kWorkday + bytesOf({0xFF, 8, 0, 0}), "d", 3, 1, true},
        {"weekend marker at the very end", "d" + kWorkday + bytesOf({0xFE}), "d", 2, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TarifaReading r = decodeTarifa(c.bytes);
        EXPECT_EQ(r.tarifa.popis, c.popis);
        EXPECT_EQ(r.bandCount, c.bandCount);
        EXPECT_EQ(r.tarifa.pasma.size(), static_cast<std::size_t>(c.bandCount));
        EXPECT_EQ(r.decoded, c.decoded);
        EXPECT_EQ(r.formatError, c.formatError);
        // Bands that were counted but not decoded are all zero.
        for (std::size_t i = static_cast<std::size_t>(r.decoded); i < r.tarifa.pasma.size(); ++i)
            EXPECT_EQ(r.tarifa.pasma[i], TPasmo{});
    }
}

TEST(TarifaTest, AnyOtherMarkerReadsAsAWorkingDayBand)
{
    const std::string other = bytesOf({0x00, 19, 0, 0, 23, 59, 59, 4, 0, 1, 0});
    const TarifaReading r = decodeTarifa("d" + kWorkday + kWorkday + other + kWeekend);
    // Only the two 0xFF bytes count, so the tariff has three bands and the fourth record read,
    // the weekend band, has no place in it.
    EXPECT_EQ(r.bandCount, 3);
    EXPECT_EQ(r.decoded, 3);
    EXPECT_FALSE(r.formatError);
    EXPECT_EQ(r.tarifa.pasma[2], band(19, 0, 0, 23, 59, 59, 240, 100));
}

TEST(TarifaTest, DamagedFileShowsTheFileErrorBoxAndKeepsWhatWasRead)
{
    TempDir dir;
    dir.write("a.tfa", "d" + kWorkday + bytesOf({0xFF, 24, 0, 0, 23, 0, 0, 1, 0, 1, 0}) + kWeekend);
    RecordingPrompts prompts;
    const auto r = NacitajTarifu(dir.file("a.tfa"), prompts);
    ASSERT_TRUE(r);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Can't perform one of the following file operations: Open, Seek, Read, Close.");
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_EQ(prompts.shown[0].buttons, IPrompts::Buttons::OkCancel);
    EXPECT_EQ(r->bandCount, 3);
    EXPECT_EQ(r->tarifa.pasma[0], band(8, 0, 0, 16, 59, 59, 90, 120));
}

TEST(TarifaTest, MissingFileBeepsAndWarns)
{
    TempDir dir;
    RecordingPrompts prompts;
    EXPECT_FALSE(NacitajTarifu(dir.file("gone.tfa"), prompts));
    EXPECT_FALSE(NacitajTarifu(dir.path(), prompts)); // a folder is not a tariff
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.events, (std::vector<std::string>{"tone", "box", "tone", "box"}));
    EXPECT_EQ(prompts.shown[0].text, "Chyba pri otvorení súboru s tarifou !");
    EXPECT_EQ(prompts.shown[0].caption, "Varovanie");
    EXPECT_EQ(prompts.shown[0].icon, IPrompts::Icon::Warning);
    EXPECT_EQ(prompts.shown[0].buttons, IPrompts::Buttons::Ok);
}

TEST(TarifaTest, MoreThanThirtyBandsAreCutAndTheUserIsTold)
{
    std::string file = "long";
    for (int i = 0; i < 34; ++i)
        file += bytesOf({0xFF, i % 24, 0, 0, i % 24, 59, 59, 1, 0, 1, i});
    file += kWeekend;
    TempDir dir;
    dir.write("long.tfa", file);
    RecordingPrompts prompts;
    const auto r = NacitajTarifu(dir.file("long.tfa"), prompts);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->bandsInFile, 35);
    EXPECT_EQ(r->bandCount, MaxPasiem);
    EXPECT_EQ(r->decoded, MaxPasiem);
    EXPECT_EQ(r->tarifa.pasma[29].cenaImpulzu, 129);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Súbor s tarifou long.tfa má 35 pásiem, tarifa ich môže mať najviac 30. "
                                     "Načítalo sa prvých 30 pásiem.");
}

TEST(TarifaTest, FullTariffRoundTrips)
{
    TTarifa t;
    t.popis = "Slovak Telecom – špička, ľahko čítateľná";
    for (int i = 0; i < MaxPasiem - 1; ++i)
        t.pasma.push_back(band(i % 24, (i * 7) % 60, (i * 13) % 60, 23 - i % 24, 59 - i, i, i * 200 + i % 60,
                               i * 333 % 10000));
    t.pasma.push_back(band(0, 0, 0, 23, 59, 59, 99 * 60 + 59, 9999, true));

    TempDir dir;
    RecordingPrompts prompts;
    std::ostringstream errors;
    ASSERT_TRUE(UlozTarifu(dir.file("full.tfa"), t, MaxPasiem, prompts, errors));
    const std::string written = dir.read("full.tfa");
    EXPECT_EQ(written.size(), utf8ToCp1250(t.popis)->size() + 11u * MaxPasiem);

    const auto r = NacitajTarifu(dir.file("full.tfa"), prompts);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->tarifa.popis, t.popis);
    EXPECT_EQ(r->bandCount, MaxPasiem);
    for (int i = 0; i < MaxPasiem; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r->tarifa.pasma[static_cast<std::size_t>(i)], t.pasma[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(encodeTarifa(r->tarifa, r->bandCount), written);
    EXPECT_TRUE(prompts.events.empty());
    EXPECT_TRUE(errors.str().empty());
}

TEST(TarifaTest, ValuesTheFormatCannotHoldAreRefused)
{
    const TTarifa good{"d", {band(8, 0, 0, 16, 59, 59, 90, 120)}};
    EXPECT_TRUE(encodeTarifa(good, 1));
    struct Case
    {
        const char* name;
        TTarifa tarifa;
    };
    const Case cases[] = {
        {"description with the 0xFF character", {"bod˙", good.pasma}},
        {"description outside Windows-1250", {"日本", good.pasma}},
        {"impulse length of 100 minutes", {"d", {band(8, 0, 0, 9, 0, 0, 6000, 1)}}},
        {"price of 100 crowns", {"d", {band(8, 0, 0, 9, 0, 0, 60, 10000)}}},
        {"negative price", {"d", {band(8, 0, 0, 9, 0, 0, 60, -1)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(encodeTarifa(c.tarifa, 1));
    }
    EXPECT_FALSE(popisFits("bod˙"));
    EXPECT_TRUE(popisFits("Žilina"));
}

TEST(TarifaTest, FailedSavesLeaveTheOldFile)
{
    TempDir dir;
    dir.write("a.tfa", kTarifaTemplate);
    const TTarifa bad{"bod˙", {band(8, 0, 0, 9, 0, 0, 60, 1)}};

    RecordingPrompts prompts;
    std::ostringstream errors;
    EXPECT_FALSE(UlozTarifu(dir.file("a.tfa"), bad, 1, prompts, errors));
    EXPECT_EQ(dir.read("a.tfa"), kTarifaTemplate);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");

    // A folder that does not exist cannot take the file: only the line on standard error.
    prompts = {};
    const TTarifa good{"d", {band(8, 0, 0, 9, 0, 0, 60, 1)}};
    EXPECT_FALSE(UlozTarifu(dir.file("missing/a.tfa"), good, 1, prompts, errors));
    EXPECT_EQ(errors.str(), "Cannot open output file.\n");
    EXPECT_TRUE(prompts.events.empty());

    // A folder in the file's place cannot be replaced.
    std::filesystem::create_directory(dir.file("b.tfa"));
    errors.str("");
    EXPECT_FALSE(UlozTarifu(dir.file("b.tfa"), good, 1, prompts, errors));
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].caption, "File Error");
    EXPECT_TRUE(errors.str().empty());

    // Nothing is left behind by the failed saves.
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a.tfa", "b.tfa"}));
}

TEST(TarifaTest, ListsTariffFilesOnly)
{
    TempDir dir;
    dir.write("Slovak Telecom.tfa", kTarifaTemplate);
    dir.write("STARA.TFA", kTarifaTemplate);
    dir.write(".hidden.tfa", kTarifaTemplate);
    dir.write("notes.txt", "x");
    dir.write("tfa", "x");
    std::filesystem::create_directory(dir.file("folder.tfa"));
    auto names = ZoznamTarif(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"STARA.TFA", "Slovak Telecom.tfa"}));
    EXPECT_TRUE(ZoznamTarif(dir.file("no such folder")).empty());
}

TEST(TarifaTest, CreateAndDeleteReportNothing)
{
    TempDir dir;
    dir.write("a.tfa", "old contents, longer than the template by a good margin");
    VytvorTarifu(dir.file("a.tfa"));
    EXPECT_EQ(dir.read("a.tfa"), kTarifaTemplate);
    ZmazTarifu(dir.file("a.tfa"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.tfa")));
    ZmazTarifu(dir.file("a.tfa"));
    VytvorTarifu(dir.file("missing/b.tfa"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(TarifaTest, TimesOfDay)
{
    EXPECT_DOUBLE_EQ(timeOfDay(12, 0, 0), 0.5);
    EXPECT_EQ(secondsOfDay(timeOfDay(23, 59, 59)), 86399);
    EXPECT_EQ(secondsOfDay(36526.75), 18 * 3600); // the date part plays no part
    EXPECT_EQ(secondsOfDay(1.0 - 1e-12), 86399);
    EXPECT_EQ(formatBandTime(timeOfDay(7, 5, 9)), "07:05:09");
}
