#include "charts/WmfWriter.h"

#include "WmfRecords.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace evidor;
using evidor::test::parseWmf;

namespace {

constexpr std::uint16_t kCreateFont = 0x02FB;
constexpr std::uint16_t kTextOut = 0x0521;
constexpr std::uint16_t kExtTextOut = 0x0A32;
constexpr std::uint16_t kRectangle = 0x041B;
constexpr std::uint16_t kPolygon = 0x0324;

std::string bytesOf(const std::string& s, std::size_t from, std::size_t n)
{
    return s.substr(from, n);
}

} // namespace

TEST(WmfWriterTest, PlaceablePrefixAndHeaderDescribeTheFile)
{
    WmfWriter w(651, 400, 96);
    const int pen = w.createPen(WmfWriter::PenStyle::Solid, 2, {64, 0, 64});
    w.selectObject(pen);
    w.rectangle(10, 20, 110, 220);
    const std::string bytes = w.finish();

    ASSERT_EQ(bytes.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
    const auto f = parseWmf(bytes);
    ASSERT_TRUE(f.valid) << f.error;
    EXPECT_EQ(f.key, 0x9AC6CDD7u);
    EXPECT_EQ(f.box[0], 0);
    EXPECT_EQ(f.box[1], 0);
    EXPECT_EQ(f.box[2], 651);
    EXPECT_EQ(f.box[3], 400);
    EXPECT_EQ(f.unitsPerInch, 96);
    EXPECT_EQ(f.checksum, f.computedChecksum);
    EXPECT_EQ(f.objects, 1);

    // Mapping mode, window origin and extent equal to the bounding box come first.
    ASSERT_GE(f.records.size(), 3u);
    EXPECT_EQ(f.records[0].function, 0x0103);
    EXPECT_EQ(f.records[0].word(0), 8);
    EXPECT_EQ(f.records[1].function, 0x020B);
    EXPECT_EQ(f.records[2].function, 0x020C);
    EXPECT_EQ(f.records[2].word(0), 400);
    EXPECT_EQ(f.records[2].word(1), 651);

    const auto rects = f.all(kRectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->word(0), 220); // bottom, right, top, left
    EXPECT_EQ(rects[0]->word(1), 110);
    EXPECT_EQ(rects[0]->word(2), 20);
    EXPECT_EQ(rects[0]->word(3), 10);
}

TEST(WmfWriterTest, ObjectsTakeTheLowestFreeSlot)
{
    WmfWriter w(100, 100);
    EXPECT_EQ(w.createPen(WmfWriter::PenStyle::Solid, 1, {}), 0);
    EXPECT_EQ(w.createBrush(WmfWriter::BrushStyle::Solid, {255, 0, 0}), 1);
    w.deleteObject(0);
    EXPECT_EQ(w.createFont({}), 0);
    EXPECT_EQ(w.createPen(WmfWriter::PenStyle::Null, 0, {}), 2);
    EXPECT_EQ(w.liveObjects(), 3);
    w.deleteObject(1);
    w.deleteObject(2);
    EXPECT_EQ(w.liveObjects(), 1);
    const auto f = parseWmf(w.finish());
    ASSERT_TRUE(f.valid) << f.error;
    EXPECT_EQ(f.objects, 3); // highest slot ever used + 1
}

TEST(WmfWriterTest, FontCarriesCharsetRotationAndFace)
{
    WmfWriter w(100, 100);
    WmfFont font;
    font.height = -13;
    font.escapement = 900;
    font.weight = 700;
    font.faceName = "Arial";
    w.createFont(font);
    const auto f = parseWmf(w.finish());
    ASSERT_TRUE(f.valid) << f.error;
    const auto fonts = f.all(kCreateFont);
    ASSERT_EQ(fonts.size(), 1u);
    const auto& p = fonts[0]->params;
    ASSERT_EQ(p.size(), 50u);
    EXPECT_EQ(fonts[0]->word(0), -13);
    EXPECT_EQ(fonts[0]->word(2), 900); // escapement
    EXPECT_EQ(fonts[0]->word(3), 900); // orientation
    EXPECT_EQ(fonts[0]->word(4), 700);
    EXPECT_EQ(static_cast<unsigned char>(p[13]), 238);
    EXPECT_EQ(bytesOf(p, 18, 6), std::string("Arial\0", 6));
}

TEST(WmfWriterTest, TextIsPaddedButKeepsItsLength)
{
    WmfWriter w(200, 100);
    const std::string dna = "Nede\xBE"
                            "a"; // "Nedeľa" in Windows-1250, six bytes
    w.textOut(5, 7, "Pia");
    w.extTextOut(9, 11, dna, {7, 7, 7, 7, 4, 7});
    const auto f = parseWmf(w.finish());
    ASSERT_TRUE(f.valid) << f.error;

    const auto t = f.all(kTextOut);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0]->word(0), 3);
    EXPECT_EQ(t[0]->params.substr(2, 4), std::string("Pia\0", 4));
    EXPECT_EQ(t[0]->word(3), 7); // y
    EXPECT_EQ(t[0]->word(4), 5); // x

    const auto e = f.all(kExtTextOut);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0]->word(0), 11);
    EXPECT_EQ(e[0]->word(1), 9);
    EXPECT_EQ(e[0]->word(2), 6);
    EXPECT_EQ(e[0]->word(3), 0);
    EXPECT_EQ(e[0]->params.substr(8, 6), dna);
    EXPECT_EQ(e[0]->word(7 + 4), 4); // the advance of "ľ"
    EXPECT_EQ(e[0]->params.size(), 8u + 6u + 12u);
}

TEST(WmfWriterTest, CoordinatesBeyondSixteenBitsAreClamped)
{
    WmfWriter w(100, 100);
    w.polygon({{-70000, 5}, {70000, 5}, {0, 40000}});
    const auto f = parseWmf(w.finish());
    ASSERT_TRUE(f.valid) << f.error;
    const auto p = f.all(kPolygon);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0]->word(0), 3);
    EXPECT_EQ(p[0]->word(1), -32767);
    EXPECT_EQ(p[0]->word(3), 32767);
    EXPECT_EQ(p[0]->word(6), 32767);
}

TEST(WmfWriterTest, FinishedWriterRefusesMoreRecords)
{
    WmfWriter w(10, 10);
    w.finish();
    EXPECT_THROW(w.rectangle(0, 0, 1, 1), std::logic_error);
}

// libwmf is an independent reader: it must take every record the chart uses.
TEST(WmfWriterTest, LibwmfReadsEveryKindOfRecord)
{
    if (std::system("command -v wmf2svg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "wmf2svg (libwmf-bin) is not installed";
    WmfWriter w(300, 200, 96);
    w.setBkMode(true);
    w.setPolyFillMode(WmfWriter::FillMode::Winding);
    const int pen = w.createPen(WmfWriter::PenStyle::Solid, 1, {0, 0, 0});
    const int brush = w.createBrush(WmfWriter::BrushStyle::Solid, {255, 255, 191});
    w.selectObject(pen);
    w.selectObject(brush);
    w.rectangle(0, 0, 300, 200);
    w.saveDC();
    w.intersectClipRect(20, 20, 280, 180);
    w.ellipse(30, 30, 90, 60);
    w.polygon({{100, 100}, {150, 40}, {200, 100}});
    w.polyline({{10, 190}, {60, 150}, {110, 170}});
    w.roundRect(200, 120, 260, 170, 10, 10);
    w.restoreDC();
    w.moveTo(0, 0);
    w.lineTo(299, 199);
    WmfFont font;
    font.escapement = 900;
    const int f1 = w.createFont(font);
    w.selectObject(f1);
    w.setTextColor({0, 0, 255});
    w.setTextAlign(WmfWriter::AlignBaseline);
    w.extTextOut(20, 150, "Sekundy", {6, 6, 6, 6, 6, 6, 6});
    w.textOut(100, 20, "\x8Atvrtok");
    w.deleteObject(f1);
    w.deleteObject(brush);
    w.deleteObject(pen);

    evidor::test::TempDir dir;
    dir.write("t.wmf", w.finish());
    const std::string cmd =
        "wmf2svg -o '" + dir.file("t.svg") + "' '" + dir.file("t.wmf") + "' 2>'" + dir.file("err.txt") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << dir.read("err.txt");
    const std::string svg = dir.read("t.svg");
    EXPECT_NE(svg.find("<ellipse"), std::string::npos);
    EXPECT_NE(svg.find("<polygon"), std::string::npos);
    // With advances given, libwmf places each letter on its own: seven of them, then one text.
    std::size_t texts = 0;
    for (auto at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1))
        ++texts;
    EXPECT_EQ(texts, 8u);
    EXPECT_NE(svg.find(">S</text>"), std::string::npos);
    EXPECT_NE(svg.find("tvrtok</text>"), std::string::npos);
    EXPECT_EQ(dir.read("err.txt").find("ERROR"), std::string::npos) << dir.read("err.txt");
}
