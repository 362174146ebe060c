#include "widgets/Chart.h"

#include "charts/WmfRecords.h"
#include "support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace evidor;

namespace {

constexpr std::uint16_t kCreateFont = 0x02FB;
constexpr std::uint16_t kCreatePen = 0x02FA;
constexpr std::uint16_t kCreateBrush = 0x02FC;
constexpr std::uint16_t kDeleteObject = 0x01F0;
constexpr std::uint16_t kExtTextOut = 0x0A32;
constexpr std::uint16_t kPolygon = 0x0324;
constexpr std::uint16_t kSaveDC = 0x001E;
constexpr std::uint16_t kRestoreDC = 0x0127;
constexpr std::uint16_t kIntersectClipRect = 0x0416;

struct ChartFixture
{
    Chart chart;
    BarSeries* bars;
    LineSeries* line;

    ChartFixture()
    {
        chart.resize(600, 400);
        bars = chart.scene().addBarSeries("Series1");
        line = chart.scene().addLineSeries("Series2");
        line->setColor(QColor(64, 0, 64));
        line->setActive(false);
        chart.setZoomAnimated(false);
    }
    QImage shown()
    {
        chart.show();
        QImage image = chart.grab().toImage();
        return image;
    }
};

bool near(QColor a, QColor b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int countColor(const QImage& image, QColor c, int tolerance = 6)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += near(image.pixelColor(x, y), c, tolerance) ? 1 : 0;
    return n;
}

// Texts of the ExtTextOut records, as Windows-1250 bytes.
std::vector<std::string> texts(const test::WmfFile& f)
{
    std::vector<std::string> out;
    for (const auto* r : f.all(kExtTextOut)) {
        const auto len = static_cast<std::size_t>(r->word(2));
        out.push_back(r->params.substr(8, len));
    }
    return out;
}

} // namespace

TEST(ChartTest, BarsTakeThePaletteInTurnAndSixtyPercentOfTheirSlot)
{
    ChartFixture f;
    f.bars->setMarksVisible(false);
    for (double v : {10.0, 20.0, 30.0})
        f.bars->add(v, "x");
    const QImage img = f.shown();
    const QRect plot = f.chart.plotRect();
    ASSERT_FALSE(plot.isEmpty());
    const double slot = plot.width() / 3.0;
    const int y = plot.bottom() - 5;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QColor want = ChartScene::palette()[static_cast<std::size_t>(i)];
        EXPECT_EQ(f.bars->point(i).color, want);
        const int cx = static_cast<int>(plot.left() + slot * (i + 0.5));
        EXPECT_TRUE(near(img.pixelColor(cx, y), want)) << img.pixelColor(cx, y).name().toStdString();
        int width = 0;
        for (int x = static_cast<int>(plot.left() + slot * i); x < plot.left() + slot * (i + 1); ++x)
            width += near(img.pixelColor(x, y), want) ? 1 : 0;
        EXPECT_NEAR(width, slot * 0.6, 3.0);
    }
    // The tallest bar reaches the top of the axis; the first is a third of it.
    const int cx0 = static_cast<int>(plot.left() + slot * 0.5);
    EXPECT_TRUE(near(img.pixelColor(cx0, plot.bottom() - plot.height() / 3 + 4), ChartScene::palette()[0]));
    EXPECT_FALSE(near(img.pixelColor(cx0, plot.bottom() - plot.height() / 3 - 4), ChartScene::palette()[0]));
}

TEST(ChartTest, MarkTextsAreAskedOncePerPointInOrder)
{
    ChartFixture f;
    f.bars->add(1234.5, "a");
    f.bars->add(0, "b");
    f.bars->add(3702.75, "c");
    std::vector<std::pair<int, QString>> asked;
    f.bars->setOnGetMarkText([&](ChartSeries& s, int i, QString& text) {
        EXPECT_EQ(&s, f.bars);
        asked.emplace_back(i, text);
        text += " Sk";
    });
    f.line->setOnGetMarkText([&](ChartSeries&, int, QString&) { ADD_FAILURE() << "inactive series asked"; });
    f.chart.toImage();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], std::make_pair(0, QString("1 234,5")));
    EXPECT_EQ(asked[1], std::make_pair(1, QString("0")));
    EXPECT_EQ(asked[2], std::make_pair(2, QString("3 702,75")));

    asked.clear();
    f.bars->setMarksStyle(ChartSeries::MarksStyle::Percent);
    const std::string wmf = f.chart.toMetafile();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].second, "25 %");
    EXPECT_EQ(asked[2].second, "75 %");
    const auto written = texts(test::parseWmf(wmf));
    EXPECT_NE(std::find(written.begin(), written.end(), "75 % Sk"), written.end());
}

TEST(ChartTest, InactiveSeriesIsNeitherDrawnNorMeasured)
{
    ChartFixture f;
    f.bars->add(5, "a");
    f.line->add(1000, "a");
    f.line->add(2000, "b");
    const QImage img = f.shown();
    EXPECT_EQ(countColor(img, QColor(64, 0, 64), 20), 0);
    EXPECT_GT(countColor(img, ChartScene::palette()[0]), 100);
    EXPECT_DOUBLE_EQ(f.chart.currentRanges().yMax, 5.0);

    f.bars->setActive(false);
    f.line->setActive(true);
    const QImage img2 = f.shown();
    EXPECT_GT(countColor(img2, QColor(64, 0, 64), 20), 50);
    EXPECT_LT(countColor(img2, ChartScene::palette()[0]), 20); // only the line's red dots
    EXPECT_GE(f.chart.currentRanges().yMax, 2000.0);
    // Points stay until cleared.
    EXPECT_EQ(f.bars->count(), 1);
    f.bars->clear();
    EXPECT_EQ(f.bars->count(), 0);
}

TEST(ChartTest, BackgroundGradientRunsFromBottomLeftToTheEndColour)
{
    ChartFixture f;
    f.bars->add(1, "a");
    f.chart.scene().setGradientEndColor(QColor(255, 255, 191));
    QImage img = f.chart.toImage();
    EXPECT_EQ(img.pixelColor(2, 2), QColor(Qt::white));
    f.chart.scene().setGradientVisible(true);
    img = f.chart.toImage();
    EXPECT_TRUE(near(img.pixelColor(1, img.height() - 2), Qt::white));
    EXPECT_TRUE(near(img.pixelColor(img.width() - 2, 1), QColor(255, 255, 191)));
    f.chart.scene().setGradientEndColor(QColor(0, 0, 255));
    img = f.chart.toImage();
    EXPECT_TRUE(near(img.pixelColor(img.width() - 2, 1), QColor(0, 0, 255)));
}

TEST(ChartTest, GridLinesAndThreeDChangeThePicture)
{
    ChartFixture f;
    f.bars->setMarksVisible(false);
    f.bars->add(100, "a");
    f.bars->add(50, "b");
    const QColor gray(128, 128, 128);
    const int plain = countColor(f.shown(), gray, 2);
    const QRect flatPlot = f.chart.plotRect();
    f.chart.scene().setLeftAxisGridVisible(true);
    const int grid = countColor(f.shown(), gray, 2);
    EXPECT_GT(grid, plain + 200);

    f.chart.scene().setLeftAxisGridVisible(false);
    f.chart.scene().setView3D(true);
    const QImage deep = f.shown();
    // The depth is taken from the plot's top and right; the bar shows a darker side.
    EXPECT_GT(f.chart.plotRect().top(), flatPlot.top());
    EXPECT_LT(f.chart.plotRect().right(), flatPlot.right());
    EXPECT_GT(countColor(deep, ChartScene::palette()[0].darker(150), 3), 50);
}

TEST(ChartTest, LineInThreeDBecomesARibbon)
{
    ChartFixture f;
    f.bars->setActive(false);
    f.line->setActive(true);
    for (double v : {0.0, 300.0, 300.0, 7200.0, 100.0})
        f.line->add(v, "h");
    const QColor ribbon = QColor(64, 0, 64).lighter(250);
    EXPECT_EQ(countColor(f.chart.toImage(), ribbon, 4), 0);
    EXPECT_GT(countColor(f.chart.toImage(), Qt::red, 30), 0); // the dots
    f.chart.scene().setView3D(true);
    EXPECT_GT(countColor(f.chart.toImage(), ribbon, 4), 500);
    f.line->setLineWidth(1);
    EXPECT_EQ(f.line->lineWidth(), 1);
}

TEST(ChartTest, EveryBarStylePaintsInFlatAnd3D)
{
    ChartFixture f;
    for (double v : {3.0, 7.0, 0.0, 5.0})
        f.bars->add(v, "x");
    const BarSeries::BarStyle styles[] = {BarSeries::BarStyle::Rectangle, BarSeries::BarStyle::RectGradient,
                                          BarSeries::BarStyle::Arrow,     BarSeries::BarStyle::Cylinder,
                                          BarSeries::BarStyle::Ellipse,   BarSeries::BarStyle::Pyramid,
                                          BarSeries::BarStyle::InvPyramid};
    std::vector<QImage> seen;
    for (bool deep : {false, true}) {
        f.chart.scene().setView3D(deep);
        for (auto style : styles) {
            f.bars->setBarStyle(style);
            const QImage img = f.chart.toImage();
            EXPECT_GT(countColor(img, ChartScene::palette()[1], 60), 50) << static_cast<int>(style) << deep;
            for (const QImage& other : seen)
                EXPECT_NE(img, other) << static_cast<int>(style) << deep;
            seen.push_back(img);
        }
    }
}

TEST(ChartTest, ZoomIntoADraggedRectangleAndBack)
{
    ChartFixture f;
    f.bars->setMarksVisible(false);
    for (int i = 0; i < 10; ++i)
        f.bars->add(i * 10, QString::number(i));
    f.shown();
    const QRect plot = f.chart.plotRect();
    const Chart::Ranges full = f.chart.currentRanges();
    EXPECT_DOUBLE_EQ(full.xMin, -0.5);
    EXPECT_DOUBLE_EQ(full.xMax, 9.5);

    // Dragging from top left to bottom right zooms into the left half of the points.
    QTest::mousePress(&f.chart, Qt::LeftButton, {}, plot.topLeft() + QPoint(1, 1));
    QTest::mouseMove(&f.chart, plot.center());
    QTest::mouseRelease(&f.chart, Qt::LeftButton, {}, QPoint(plot.center().x(), plot.bottom()));
    ASSERT_TRUE(f.chart.isZoomed());
    const Chart::Ranges zoomed = f.chart.currentRanges();
    EXPECT_NEAR(zoomed.xMin, -0.5, 0.1);
    EXPECT_NEAR(zoomed.xMax, 4.5, 0.1);
    EXPECT_NEAR(zoomed.yMin, 0, 1.0);

    // The zoomed picture is clipped to the plot, also in the metafile.
    const auto wmf = test::parseWmf(f.chart.toMetafile());
    ASSERT_TRUE(wmf.valid) << wmf.error;
    EXPECT_EQ(wmf.all(kSaveDC).size(), 1u);
    EXPECT_EQ(wmf.all(kIntersectClipRect).size(), 1u);
    EXPECT_EQ(wmf.all(kRestoreDC).size(), 1u);

    // Dragging towards the top left goes back.
    f.shown();
    QTest::mousePress(&f.chart, Qt::LeftButton, {}, plot.center());
    QTest::mouseRelease(&f.chart, Qt::LeftButton, {}, plot.center() - QPoint(40, 40));
    EXPECT_FALSE(f.chart.isZoomed());
    f.shown();
    EXPECT_EQ(f.chart.currentRanges(), full);
}

TEST(ChartTest, ZoomIsAnimated)
{
    ChartFixture f;
    for (int i = 0; i < 10; ++i)
        f.bars->add(i, QString::number(i));
    f.chart.setZoomAnimated(true);
    f.shown();
    const QRect plot = f.chart.plotRect();
    int frames = 0;
    QObject::connect(&f.chart, &Chart::zoomChanged, [&] { ++frames; });
    f.chart.zoomRect(QRect(plot.topLeft(), QSize(plot.width() / 2, plot.height())));
    EXPECT_TRUE(f.chart.isAnimating());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.chart.isAnimating(); }, 3000));
    EXPECT_EQ(frames, 1);
    EXPECT_TRUE(f.chart.isZoomed());
    EXPECT_NEAR(f.chart.currentRanges().xMax, 4.5, 0.1);
    f.chart.undoZoom();
    EXPECT_TRUE(f.chart.isAnimating());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.chart.isAnimating(); }, 3000));
    EXPECT_FALSE(f.chart.isZoomed());
}

TEST(ChartTest, MetafileHoldsTheWholeChart)
{
    ChartFixture f;
    f.chart.scene().setTitleLines({"Cena pripojení v jednotlivých dňoch"});
    f.chart.scene().setLeftAxisTitle("Cena [Sk]");
    f.chart.scene().setGradientVisible(true);
    for (const char* day : {"Pondelok", "Štvrtok", "Nedeľa"})
        f.bars->add(12.5, day);
    const std::string bytes = f.chart.toMetafile(QSize(651, 400));
    const auto wmf = test::parseWmf(bytes);
    ASSERT_TRUE(wmf.valid) << wmf.error;
    EXPECT_EQ(wmf.box[2], 651);
    EXPECT_EQ(wmf.box[3], 400);
    EXPECT_EQ(wmf.unitsPerInch, 96);
    EXPECT_EQ(wmf.checksum, wmf.computedChecksum);

    const auto written = texts(wmf);
    auto has = [&](const std::string& t) {
        return std::find(written.begin(), written.end(), t) != written.end();
    };
    EXPECT_TRUE(has("Cena pripojen\xED v jednotliv\xFD"
                    "ch d\xF2och"));
    EXPECT_TRUE(has("\x8Atvrtok"));
    EXPECT_TRUE(has("Nede\xBE"
                    "a"));
    EXPECT_TRUE(has("Cena [Sk]"));
    EXPECT_TRUE(has("12,5"));

    // Fonts declare the East European set; the axis title's font is turned a quarter.
    bool rotated = false;
    for (const auto* font : wmf.all(kCreateFont)) {
        EXPECT_EQ(static_cast<unsigned char>(font->params[13]), 238);
        rotated = rotated || font->word(2) == 900;
    }
    EXPECT_TRUE(rotated);
    // The gradient is drawn as bands.
    EXPECT_GT(wmf.all(kPolygon).size(), 30u);
    // Every object made is released again.
    EXPECT_EQ(wmf.all(kCreateFont).size() + wmf.all(kCreatePen).size() + wmf.all(kCreateBrush).size(),
              wmf.all(kDeleteObject).size());
}

TEST(ChartTest, LibwmfReadsTheChartInEveryStyle)
{
    if (std::system("command -v wmf2svg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "wmf2svg (libwmf-bin) is not installed";
    ChartFixture f;
    f.chart.scene().setTitleLines({"Graf"});
    f.chart.scene().setLeftAxisTitle("Impulzy");
    f.chart.scene().setLeftAxisGridVisible(true);
    f.chart.scene().setGradientVisible(true);
    for (double v : {3.0, 7.0, 0.0, 5.0})
        f.bars->add(v, "x");
    test::TempDir dir;
    for (bool deep : {false, true}) {
        f.chart.scene().setView3D(deep);
        for (int style = 0; style < 7; ++style) {
            f.bars->setBarStyle(static_cast<BarSeries::BarStyle>(style));
            dir.write("c.wmf", f.chart.toMetafile());
            const std::string cmd = "wmf2svg -o '" + dir.file("c.svg") + "' '" + dir.file("c.wmf") + "' 2>'" +
                                    dir.file("err.txt") + "'";
            EXPECT_EQ(std::system(cmd.c_str()), 0) << style << deep << dir.read("err.txt");
            EXPECT_NE(dir.read("c.svg").find("<polygon"), std::string::npos) << style << deep;
            EXPECT_EQ(dir.read("err.txt"), "") << style << deep;
        }
    }
}
