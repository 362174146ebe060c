#include "charts/Grafy.h"

#include "WmfRecords.h"
#include "app/Main.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/Tarifa.h"
#include "widgets/ColorCombo.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace evidor;

namespace {

constexpr std::uint16_t kExtTextOut = 0x0A32;

std::string line(const char* date, const char* time, const char* duration, int price, int impulses)
{
    return std::string(date) + " " + time + " Po " + duration + " " + std::to_string(price) + " " +
           std::to_string(impulses) + " 1000 2000 33600 50 Isp\n";
}

// One working-day band of a minute at 1 crown, the weekend band of a minute at 50 hellers.
// Every row agrees with it except the Sunday one of 21 May, logged at 1 crown instead of 0,50.
const std::string kLog = line("02.05.2000", "10:20:00", "1:45:30", 10600, 106) + // Tuesday
                         line("15.06.2000", "08:00:00", "0:20:00", 2100, 21) +   // Thursday
                         line("20.05.2000", "22:15:30", "3:04:40", 9250, 185) +  // Saturday into Sunday
                         line("21.05.2000", "09:00:00", "0:00:00", 100, 1) +     // Sunday, wrong price
                         line("01.05.2001", "10:00:00", "0:01:00", 200, 2);

struct Fixture
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    std::unique_ptr<TfMain> main;
    ChartStatistics statistics;
    std::unique_ptr<TfGrafy> grafy;

    explicit Fixture(bool kontrola = false, int month = 5)
    {
        TTarifa t;
        t.popis = "test";
        t.pasma = {{timeOfDay(0, 0, 0), timeOfDay(23, 59, 59), 100, 60, false}, {0, 0, 50, 60, true}};
        dir.write("t.tfa", *encodeTarifa(t, 2));
        dir.write("sviatky.dat", "");
        dir.write("evidor.log", kLog);
        MainContext ctx;
        ctx.prompts = &prompts;
        ctx.regional = slovakRegional();
        ctx.programDir = dir.path();
        ctx.now = [] { return QDateTime(QDate(2000, 5, 20), QTime(9, 0)); };
        ctx.readKontrola = [kontrola] { return kontrola; };
        ctx.readTarif = [] { return std::string("t.tfa"); };
        main = std::make_unique<TfMain>(std::move(ctx));
        main->show();
        if (month != 5)
            main->ComboBox1->setCurrentIndex(month);
    }
    TfGrafy& open()
    {
        grafy = std::make_unique<TfGrafy>(*main, statistics);
        grafy->show();
        return *grafy;
    }
    TfGrafy& g() { return *grafy; }
    void chooseKind(int kind)
    {
        g().ComboBox1->setCurrentIndex(kind);
        emit g().ComboBox1->activated(kind);
    }
    int mainMonth() const { return main->ComboBox1->currentIndex(); }
    QString period() const { return main->Obdobie->text(); }
};

std::vector<std::string> wmfTexts(const std::string& bytes)
{
    std::vector<std::string> out;
    const auto f = test::parseWmf(bytes);
    for (const auto* r : f.all(kExtTextOut))
        out.push_back(r->params.substr(8, static_cast<std::size_t>(r->word(2))));
    return out;
}

} // namespace

TEST(GrafyTest, FormHasItsControlsAndOpensOnTheDayProfile)
{
    Fixture f;
    TfGrafy& g = f.open();
    for (const char* name : {"Panel1", "GroupBox2", "ComboBox1", "GroupBox1", "cb3D", "cbPozadie",
                             "ElColorCombo1", "cbSiet", "ComboBox2", "SpeedButton1", "Graf"})
        EXPECT_NE(g.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(g.objectName(), "fGrafy");
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Grafy - Máj  2000"));
    EXPECT_EQ(g.GroupBox2->title(), " Typ grafu ");
    EXPECT_EQ(g.GroupBox1->title(), " Vlastnosti grafu ");
    QStringList kinds;
    for (int i = 0; i < g.ComboBox1->count(); ++i)
        kinds << g.ComboBox1->itemText(i);
    EXPECT_EQ(kinds, (QStringList{"Profil dňa", "Čas pripojenií v dňoch", "Cena pripojenia v dňoch",
                                  "Počet impulzov v dňoch", "Cena pripojenií v mesiacoch"}));
    QStringList styles;
    for (int i = 0; i < g.ComboBox2->count(); ++i)
        styles << g.ComboBox2->itemText(i);
    EXPECT_EQ(styles, (QStringList{"Rectangle", "RectGradient", "Arrow", "Cilinder", "Ellipse", "Pyramid",
                                   "InvPyramid"}));
    EXPECT_EQ(g.cb3D->text(), "3D");
    EXPECT_EQ(g.cbPozadie->text(), "Pozadie");
    EXPECT_EQ(g.cbSiet->text(), "Sieť");
    EXPECT_EQ(g.SpeedButton1->text(), "Export grafu");

    // Kind 0, rectangles, no gradient, no grid, flat, the picker hidden.
    EXPECT_EQ(g.ComboBox1->currentIndex(), 0);
    EXPECT_EQ(g.ComboBox2->currentText(), "Rectangle");
    EXPECT_EQ(g.Series1->barStyle(), BarSeries::BarStyle::Rectangle);
    EXPECT_FALSE(g.Graf->scene().gradientVisible());
    EXPECT_EQ(g.Graf->scene().gradientEndColor(), QColor(255, 255, 191));
    EXPECT_EQ(g.ElColorCombo1->color(), QColor(255, 255, 191));
    EXPECT_FALSE(g.ElColorCombo1->isVisible());
    EXPECT_FALSE(g.Graf->scene().leftAxisGridVisible());
    EXPECT_FALSE(g.Graf->scene().bottomAxisGridVisible());
    EXPECT_FALSE(g.Graf->scene().view3D());
    EXPECT_FALSE(g.cb3D->isChecked() || g.cbPozadie->isChecked() || g.cbSiet->isChecked());
    EXPECT_TRUE(g.Series2->isActive());
    EXPECT_FALSE(g.Series1->isActive());
    EXPECT_EQ(g.Series2->lineWidth(), 2);
    EXPECT_EQ(g.Series2->color(), QColor(64, 0, 64));
    EXPECT_EQ(g.Series1->barWidthPercent(), 60);
    EXPECT_EQ(g.Graf->scene().titleLines(), QStringList{"Profil dňa"});
    EXPECT_EQ(g.Graf->scene().leftAxisTitle(), "sekundy");
    ASSERT_EQ(g.Series2->count(), 25);
    // May: 10:20:00-12:05:30 on the 2nd, 22:15:30-01:20:10 over the night of the 20th.
    EXPECT_EQ(g.Series2->point(10).value, 2400);
    EXPECT_EQ(g.Series2->point(11).value, 3600);
    EXPECT_EQ(g.Series2->point(12).value, 330);
    EXPECT_EQ(g.Series2->point(22).value, 2670);
    EXPECT_EQ(g.Series2->point(1).value, 1210);
    EXPECT_EQ(g.Series2->point(24).label, "24");
    EXPECT_EQ(g.passCount(), 1);
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(GrafyTest, ValidationMessagesComeBeforeTheWindow)
{
    Fixture f(/*kontrola=*/true);
    auto grafy = std::make_unique<TfGrafy>(*f.main, f.statistics);
    EXPECT_FALSE(grafy->isVisible());
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.events, (std::vector<std::string>{"beep", "box"}));
    EXPECT_EQ(f.prompts.shown[0].caption, "Použitá tarifa: t.tfa");
    EXPECT_EQ(f.main->StringGrid1->currentRow(), 3);
}

TEST(GrafyTest, MonthChartTakesTheWholeYearAndOtherKindsBringTheMonthBack)
{
    Fixture f;
    TfGrafy& g = f.open();
    EXPECT_EQ(g.savedPeriodIndex(), 5);

    f.chooseKind(KindMonthPrice);
    EXPECT_EQ(f.mainMonth(), 0);
    EXPECT_EQ(f.period(), QStringLiteral("Celý rok 2000"));
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Grafy - Celý rok 2000"));
    EXPECT_EQ(g.passCount(), 2);
    ASSERT_EQ(g.Series1->count(), 12);
    EXPECT_TRUE(g.Series1->isActive());
    EXPECT_EQ(g.Graf->scene().titleLines(), QStringList{"Cena za jednotlivé mesiace"});
    EXPECT_DOUBLE_EQ(g.Series1->point(4).value, (10600 + 9250 + 50) / 100.0); // May, priced anew
    EXPECT_DOUBLE_EQ(g.Series1->point(5).value, 21.0);                        // June
    EXPECT_EQ(g.Series1->marksStyle(), ChartSeries::MarksStyle::Value);

    f.chooseKind(KindWeekdayPrice);
    EXPECT_EQ(f.mainMonth(), 5);
    EXPECT_EQ(f.period(), QStringLiteral("Máj  2000"));
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Grafy - Máj  2000"));
    EXPECT_EQ(g.passCount(), 3);
    ASSERT_EQ(g.Series1->count(), 7);
    EXPECT_DOUBLE_EQ(g.Series1->point(1).value, 106.0); // Tuesday
    EXPECT_EQ(g.Series1->point(6).label, "Nedeľa");

    // Kinds that keep the period run no pass.
    f.chooseKind(KindWeekdayTime);
    EXPECT_EQ(g.passCount(), 3);
    EXPECT_EQ(g.Series1->marksStyle(), ChartSeries::MarksStyle::Percent);

    // Closing with the month chart shown restores the month.
    f.chooseKind(KindMonthPrice);
    EXPECT_EQ(f.mainMonth(), 0);
    g.close();
    EXPECT_EQ(f.mainMonth(), 5);
    EXPECT_EQ(f.period(), QStringLiteral("Máj  2000"));
    EXPECT_EQ(f.main->Month, 5);
}

TEST(GrafyTest, WholeYearOpenedStillWalksAgainForTheMonthChart)
{
    Fixture f(false, 0);
    TfGrafy& g = f.open();
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Grafy - Celý rok 2000"));
    EXPECT_EQ(g.passCount(), 1);
    f.chooseKind(KindMonthPrice);
    EXPECT_EQ(g.passCount(), 2);
    EXPECT_EQ(f.mainMonth(), 0);
    f.chooseKind(KindDayProfile);
    EXPECT_EQ(g.passCount(), 2);
}

TEST(GrafyTest, EmptyPeriodShowsNoOtherPeriodsFigures)
{
    Fixture f(false, 7);                 // July 2000 has no connection
    f.statistics.AddImpulse(2, 5, 5000); // what an earlier window left
    f.statistics.addConnectionSeconds(3600, 7200, 5);
    TfGrafy& g = f.open();
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Grafy - Júl  2000"));
    for (int i = 0; i < g.Series2->count(); ++i)
        EXPECT_EQ(g.Series2->point(i).value, 0) << i;
    f.chooseKind(KindWeekdayPrice);
    for (int i = 0; i < g.Series1->count(); ++i)
        EXPECT_EQ(g.Series1->point(i).value, 0) << i;
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(GrafyTest, ThreeDThinsTheProfileLine)
{
    Fixture f;
    TfGrafy& g = f.open();
    g.cb3D->click();
    EXPECT_TRUE(g.Graf->scene().view3D());
    EXPECT_EQ(g.Series2->lineWidth(), 1);
    f.chooseKind(KindWeekdayTime);
    f.chooseKind(KindDayProfile);
    EXPECT_EQ(g.Series2->lineWidth(), 1);
    g.cb3D->click();
    EXPECT_FALSE(g.Graf->scene().view3D());
    EXPECT_EQ(g.Series2->lineWidth(), 2);
    // Turned on with a bar kind shown, the line keeps 2 pixels until kind 0 is chosen.
    f.chooseKind(KindWeekdayImpulses);
    g.cb3D->click();
    EXPECT_EQ(g.Series2->lineWidth(), 2);
    f.chooseKind(KindDayProfile);
    EXPECT_EQ(g.Series2->lineWidth(), 1);
}

TEST(GrafyTest, BackgroundSwitchShowsAndHidesGradientAndPicker)
{
    Fixture f;
    TfGrafy& g = f.open();
    g.cbPozadie->click();
    EXPECT_TRUE(g.Graf->scene().gradientVisible());
    EXPECT_TRUE(g.ElColorCombo1->isVisible());
    g.ElColorCombo1->setColor(QColor(0, 0, 255));
    EXPECT_EQ(g.Graf->scene().gradientEndColor(), QColor(0, 0, 255));
    g.cbPozadie->click();
    EXPECT_FALSE(g.Graf->scene().gradientVisible());
    EXPECT_FALSE(g.ElColorCombo1->isVisible());

    // A colour from the picker's own dialog.
    g.cbPozadie->click();
    g.ElColorCombo1->askColor = [](const QColor&) { return std::optional<QColor>(QColor(10, 20, 30)); };
    const int other = g.ElColorCombo1->count() - 1;
    g.ElColorCombo1->setCurrentIndex(other);
    emit g.ElColorCombo1->activated(other);
    EXPECT_EQ(g.Graf->scene().gradientEndColor(), QColor(10, 20, 30));
}

TEST(GrafyTest, GridAndBarStyles)
{
    Fixture f;
    TfGrafy& g = f.open();
    g.cbSiet->click();
    EXPECT_TRUE(g.Graf->scene().leftAxisGridVisible());
    g.cbSiet->click();
    EXPECT_FALSE(g.Graf->scene().leftAxisGridVisible());
    const BarSeries::BarStyle want[] = {BarSeries::BarStyle::Rectangle, BarSeries::BarStyle::RectGradient,
                                        BarSeries::BarStyle::Arrow,     BarSeries::BarStyle::Cylinder,
                                        BarSeries::BarStyle::Ellipse,   BarSeries::BarStyle::Pyramid,
                                        BarSeries::BarStyle::InvPyramid};
    for (int i = 6; i >= 0; --i) {
        g.ComboBox2->setCurrentIndex(i);
        emit g.ComboBox2->activated(i);
        EXPECT_EQ(g.Series1->barStyle(), want[i]);
    }
}

TEST(GrafyTest, EscapeClosesAndRestoresThePeriod)
{
    Fixture f;
    TfGrafy& g = f.open();
    f.chooseKind(KindMonthPrice);
    ASSERT_EQ(f.mainMonth(), 0);
    g.activateWindow();
    g.ComboBox1->setFocus();
    QTest::keyClick(g.ComboBox1, Qt::Key_Escape);
    EXPECT_FALSE(g.isVisible());
    EXPECT_EQ(f.mainMonth(), 5);
    EXPECT_EQ(f.period(), QStringLiteral("Máj  2000"));
}

TEST(GrafyTest, MarksOfTheKinds)
{
    Fixture f;
    TfGrafy& g = f.open();
    // Profile: a time only where it rises above the point before.
    auto texts = wmfTexts(g.Graf->toMetafile());
    auto has = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
    EXPECT_TRUE(has("00:40:00"));  // slot 10
    EXPECT_TRUE(has("01:00:00"));  // slot 11
    EXPECT_FALSE(has("00:05:30")); // slot 12 falls
    f.chooseKind(KindWeekdayPrice);
    texts = wmfTexts(g.Graf->toMetafile());
    EXPECT_TRUE(has("106 Sk"));
    EXPECT_TRUE(has("0 Sk"));
    f.chooseKind(KindWeekdayImpulses);
    texts = wmfTexts(g.Graf->toMetafile());
    EXPECT_TRUE(has("106"));
    f.chooseKind(KindWeekdayTime);
    texts = wmfTexts(g.Graf->toMetafile());
    EXPECT_TRUE(has("36,36 %")); // Tuesday's 6330 s of 17410 s
}

TEST(GrafyTest, ExportWritesAMetafileOfEachKindThatLibwmfReads)
{
    Fixture f;
    TfGrafy& g = f.open();
    const bool haveLibwmf = std::system("command -v wmf2svg >/dev/null 2>&1") == 0;
    for (int kind = 0; kind < kChartKindCount; ++kind) {
        SCOPED_TRACE(kind);
        f.chooseKind(kind);
        const std::string path = f.dir.file("graf" + std::to_string(kind) + ".wmf");
        g.SaveDialog1 = [&] { return QString::fromStdString(path); };
        g.SpeedButton1->click();
        const std::string bytes = f.dir.read("graf" + std::to_string(kind) + ".wmf");
        const auto wmf = test::parseWmf(bytes);
        ASSERT_TRUE(wmf.valid) << wmf.error;
        EXPECT_EQ(wmf.box[2], g.Graf->width());
        EXPECT_EQ(wmf.box[3], g.Graf->height());
        if (haveLibwmf) {
            const std::string svg = f.dir.file("graf.svg");
            const std::string cmd = "wmf2svg -o '" + svg + "' '" + path + "' 2>'" + f.dir.file("err") + "'";
            EXPECT_EQ(std::system(cmd.c_str()), 0) << f.dir.read("err");
            EXPECT_EQ(f.dir.read("err"), "");
            EXPECT_NE(f.dir.read("graf.svg").find("<text"), std::string::npos);
        }
    }
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(GrafyTest, ExportCancelledOrUnwritable)
{
    Fixture f;
    TfGrafy& g = f.open();
    g.SaveDialog1 = [] { return QString(); };
    g.SpeedButton1->click();
    EXPECT_TRUE(f.prompts.shown.empty());

    const std::string path = f.dir.file("missing-folder/graf.wmf");
    g.SaveDialog1 = [&] { return QString::fromStdString(path); };
    const QString caption = g.windowTitle();
    g.SpeedButton1->click();
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0].text.rfind("Graf sa nepodarilo uložiť do súboru " + path, 0), 0u);
    EXPECT_EQ(g.windowTitle(), caption);
    EXPECT_TRUE(g.isVisible());
    EXPECT_EQ(g.ComboBox1->currentIndex(), 0);
}

TEST(GrafyTest, MenuCommandOpensTheWindowModally)
{
    Fixture f;
    f.main->onGrafy = [&] { Grafy1Click(*f.main); };
    QString seenTitle;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        seenTitle = w->windowTitle();
        modal = w->isModal();
        auto* kinds = w->findChild<QComboBox*>("ComboBox1");
        kinds->setCurrentIndex(KindMonthPrice);
        emit kinds->activated(KindMonthPrice);
        w->close();
    });
    f.main->Grafy1->trigger();
    EXPECT_EQ(seenTitle, QStringLiteral("Grafy - Máj  2000"));
    EXPECT_TRUE(modal);
    EXPECT_EQ(f.mainMonth(), 5);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
