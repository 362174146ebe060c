// The command line's chart is the charts window's chart: same scene set-up, same pass, same
// size, so the same picture.
#include "Cli.h"
#include "app/Main.h"
#include "charts/Grafy.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/Tarifa.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>

#include <gtest/gtest.h>

#include <sstream>

using namespace evidor;

TEST(CliWindowTest, ChartOfEveryKindIsTheWindowsChart)
{
    test::TempDir dir;
    TTarifa t;
    t.popis = "Test";
    t.pasma = {TPasmo{0.0, timeOfDay(23, 59, 59), 100, 60, false}, TPasmo{0.0, 0.0, 50, 120, true}};
    dir.write("t.tfa", *encodeTarifa(t, 2));
    dir.write("sviatky.dat", "");
    dir.write("evidor.log", "02.05.2000 10:20:00 Ut 1:45:30 1 1 0 0 1 1 Slots\n"
                            "06.05.2000 23:59:00 So 0:02:00 1 1 0 0 1 1 Midnight\n"
                            "09.05.2000 07:15:00 Ut 0:30:00 1 1 0 0 1 1 Morning\n"
                            "15.06.2000 21:00:00 Št 0:01:00 1 1 0 0 1 1 June\n");
    test::RecordingPrompts prompts;
    MainContext ctx;
    ctx.prompts = &prompts;
    ctx.regional = slovakRegional();
    ctx.programDir = dir.path();
    ctx.now = [] { return QDateTime(QDate(2000, 5, 20), QTime(9, 0)); };
    ctx.readKontrola = [] { return false; };
    ctx.readTarif = [] { return std::string("t.tfa"); };
    TfMain fMain(std::move(ctx));
    fMain.show();
    ChartStatistics statistics;
    TfGrafy g(fMain, statistics);
    g.show();
    EXPECT_EQ(g.Graf->size(), GrafChart::kFormSize);

    for (int kind = 0; kind < kChartKindCount; ++kind) {
        SCOPED_TRACE(kind);
        g.ComboBox1->setCurrentIndex(kind);
        g.ComboBox1Change();
        for (const char* name : {"c.wmf", "c.png"}) {
            std::ostringstream out, err;
            const int code =
                runCli({"chart", "--dir", dir.path(), "--year", "2000", "--month", "5", "--locale", "sk",
                        "--tariff", "t.tfa", "--kind", std::to_string(kind), "--out", dir.file(name)},
                       out, err);
            ASSERT_EQ(code, 0) << err.str();
        }
        EXPECT_EQ(dir.read("c.wmf"), g.Graf->toMetafile());
        const QImage png(QString::fromStdString(dir.file("c.png")));
        EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
                  g.Graf->toImage().convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_TRUE(prompts.texts().empty());
}
