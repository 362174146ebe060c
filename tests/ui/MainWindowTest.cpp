#include "app/Application.h"
#include "app/Main.h"
#include "platform/FileHive.h"
#include "platform/InstanceLock.h"
#include "support/RecordingPrompts.h"
#include "support/TempDir.h"
#include "tariff/ImpulseComputation.h"
#include "tariff/Tarifa.h"
#include "widgets/StringGrid.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace evidor;

namespace {

std::string line(const char* date, const char* duration, int price, int sent, int received, const char* isp)
{
    return std::string(date) + " 10:00:00 Po " + duration + " " + std::to_string(price) + " 1 " +
           std::to_string(sent) + " " + std::to_string(received) + " 33600 50 " + isp + "\n";
}

// May 2000 has three connections, June one, May 2001 one.
const std::string kLog = line("02.05.2000", "0:10:00", 1000, 1048576, 1048576, "First") +
                         line("15.06.2000", "0:20:00", 2000, 0, 0, "June") +
                         line("20.05.2000", "0:00:10", 500, 0, 2048, "Second") +
                         line("21.05.2000", "0:00:00", 100, 10, 0, "Third") +
                         line("01.05.2001", "0:01:00", 300, 1024, 0, "Next year");

struct Fixture
{
    test::TempDir dir;
    test::RecordingPrompts prompts;
    std::vector<QUrl> opened;
    std::string tarif;
    std::unique_ptr<TfMain> window;

    explicit Fixture(const std::string& log = kLog,
                     QDateTime now = QDateTime(QDate(2000, 5, 20), QTime(9, 0)), bool kontrola = true,
                     IHive* hive = nullptr)
    {
        if (!log.empty())
            dir.write("evidor.log", log);
        MainContext ctx;
        ctx.prompts = &prompts;
        ctx.regional = slovakRegional();
        ctx.programDir = dir.path();
        ctx.now = [now] { return now; };
        ctx.openUrl = [this](const QUrl& u) { opened.push_back(u); };
        ctx.readKontrola = [kontrola] { return kontrola; };
        ctx.readTarif = [this] { return tarif; };
        if (hive)
            useSettingsStore(ctx, *hive);
        window = std::make_unique<TfMain>(std::move(ctx));
        window->show();
    }
    TfMain& w() { return *window; }
    QString status(int i) { return w().statusText(i); }
    void clickRow(int row)
    {
        StringGrid* g = w().StringGrid1;
        const QRect r = g->visualRect(g->gridModel()->index(row - 1, 2));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }
};

QString label(TfMain& w, const char* name)
{
    return w.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

} // namespace

TEST(MainWindowTest, ControlsCarryTheirNamesAndMenuIsInOrder)
{
    Fixture f;
    for (const char* name : {"StringGrid1", "SpeedButton1", "Panel1", "Obdobie", "lCelkovyCas", "Impulzy",
                             "CelkovaSuma", "CelkovoPrijate", "CelkovoOdoslane", "PriemRychlost", "ComboBox1",
                             "RxRok", "lDnes", "RzURLLabel1", "RzURLLabel2", "StatusBar1", "MainMenu1"})
        EXPECT_NE(f.w().findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(f.w().windowTitle(), QStringLiteral("Evidor pripojenia na internet"));
    EXPECT_EQ(f.w().SpeedButton1->toolTip(), QStringLiteral("AutoSize"));

    QStringList top;
    for (QAction* a : f.w().MainMenu1->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{"Grafy", "&Služby", "&Nastavenie", "&O programe"}));
    QStringList sluzby;
    for (QAction* a : f.w().Sluby1->menu()->actions())
        sluzby << a->text();
    EXPECT_EQ(sluzby, (QStringList{"&Export", "&Tlač..."}));
    QStringList export1;
    for (QAction* a : f.w().Export1->menu()->actions())
        export1 << a->objectName() + "=" + a->text();
    EXPECT_EQ(export1, (QStringList{"Doc1=MS Word", "xls1=MS Excel", "html1=Súbor html"}));
    // Commands of windows still to come do nothing and break nothing.
    for (QAction* a :
         {f.w().Grafy1, f.w().Doc1, f.w().xls1, f.w().html1, f.w().Tla1, f.w().Nastavenie1, f.w().Oprograme1})
        a->trigger();
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(MainWindowTest, StartsOnTheCurrentMonthAndYear)
{
    Fixture f;
    EXPECT_EQ(f.w().ComboBox1->currentIndex(), 5);
    EXPECT_EQ(f.w().RxRok->value(), 2000);
    EXPECT_EQ(f.w().Month, 5);
    EXPECT_EQ(f.w().Year, 2000);
    EXPECT_EQ(label(f.w(), "Obdobie"), QStringLiteral("Máj  2000"));
    EXPECT_EQ(label(f.w(), "lDnes"), QStringLiteral("Dnes je 20. máj 2000"));
    EXPECT_EQ(f.w().StringGrid1->rowCount(), 4);
    EXPECT_EQ(f.w().StringGrid1->cell(9, 0), QStringLiteral("ISP"));
    EXPECT_EQ(f.w().StringGrid1->cell(9, 1), QStringLiteral("First"));
    EXPECT_EQ(f.w().StringGrid1->cell(9, 3), QStringLiteral("Third"));
    EXPECT_EQ(f.w().StringGrid1->currentRow(), 1);
    EXPECT_EQ(f.status(0), QStringLiteral(" Celkovo prenesené : 2 048,00 kB"));
    EXPECT_EQ(f.status(1), QStringLiteral(" Cena za 1MB : 5,00 Sk"));
    EXPECT_TRUE(f.prompts.shown.empty());

    // And on today's date when nothing is injected.
    Fixture today("", QDateTime::currentDateTime());
    EXPECT_EQ(today.w().ComboBox1->currentIndex(), QDate::currentDate().month());
    EXPECT_EQ(today.w().RxRok->value(), QDate::currentDate().year());
}

TEST(MainWindowTest, ChangingMonthOrYearRefillsGridAndTotals)
{
    Fixture f;
    // The grid's model keeps Qt's rules through every refill.
    QAbstractItemModelTester tester(f.w().StringGrid1->gridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    f.w().ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(label(f.w(), "Obdobie"), QStringLiteral("Celý rok 2000"));
    EXPECT_EQ(f.w().StringGrid1->rowCount(), 5);
    EXPECT_EQ(f.w().StringGrid1->cell(9, 2), QStringLiteral("June"));
    EXPECT_EQ(label(f.w(), "CelkovaSuma"), QStringLiteral("36,00 Sk"));
    EXPECT_EQ(label(f.w(), "lCelkovyCas"), QStringLiteral("00:30:10"));
    EXPECT_EQ(label(f.w(), "Impulzy"), QStringLiteral("4"));

    f.w().RxRok->setValue(2001);
    EXPECT_EQ(label(f.w(), "Obdobie"), QStringLiteral("Celý rok 2001"));
    EXPECT_EQ(f.w().StringGrid1->rowCount(), 2);
    EXPECT_EQ(f.w().StringGrid1->cell(9, 1), QStringLiteral("Next year"));
    EXPECT_EQ(f.status(0), QStringLiteral(" Celkovo prenesené : 1,00 kB"));

    f.w().ComboBox1->setCurrentIndex(6);
    EXPECT_EQ(label(f.w(), "Obdobie"), QStringLiteral("Jún  2001"));
    EXPECT_EQ(f.w().StringGrid1->rowCount(), 2);
    EXPECT_EQ(f.w().StringGrid1->cell(0, 1), QString());
    EXPECT_EQ(label(f.w(), "CelkovaSuma"), QStringLiteral("0,00 Sk"));
    EXPECT_EQ(label(f.w(), "PriemRychlost"), QStringLiteral("0 bps"));
    EXPECT_EQ(f.status(0), QStringLiteral(" Celkovo prenesené :"));
    EXPECT_EQ(f.status(2), QStringLiteral(" Priemerný tok dát :"));
}

TEST(MainWindowTest, ClickingARowShowsItsDetailsAndHeaderOrEmptyRowChangeNothing)
{
    Fixture f;
    f.clickRow(2);
    EXPECT_EQ(f.w().SelRow, 2);
    EXPECT_EQ(f.status(0), QStringLiteral(" Celkovo prenesené : 2,00 kB"));
    EXPECT_EQ(f.status(2), QStringLiteral(" Priemerný tok dát : 0,20 kB/s"));
    f.clickRow(3); // zero seconds: no division by zero
    EXPECT_EQ(f.status(1), QStringLiteral(" Cena za 1MB : 104 857,60 Sk"));
    EXPECT_EQ(f.status(2), QStringLiteral(" Priemerný tok dát : - "));

    const QString before = f.status(0);
    QHeaderView* header = f.w().StringGrid1->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(1) + 5, 5));
    EXPECT_EQ(f.status(0), before);
    EXPECT_EQ(f.w().StringGrid1->currentRow(), 3);

    f.w().ComboBox1->setCurrentIndex(7);
    f.clickRow(1);
    EXPECT_EQ(f.w().SelRow, 1);
    EXPECT_EQ(f.status(0), QStringLiteral(" Celkovo prenesené :"));

    // The keyboard moves the selection as well.
    f.w().ComboBox1->setCurrentIndex(5);
    f.w().StringGrid1->setFocus();
    QTest::keyClick(f.w().StringGrid1, Qt::Key_Down);
    EXPECT_EQ(f.w().SelRow, 2);
    EXPECT_EQ(f.status(0), QStringLiteral(" Celkovo prenesené : 2,00 kB"));
}

TEST(MainWindowTest, MissingLogIsReportedAndShowsAnEmptyPeriod)
{
    Fixture f("");
    EXPECT_EQ(f.prompts.texts(), std::vector<std::string>{"Neexistuje subor evidor.log"});
    EXPECT_EQ(f.w().RecordCount(), 0);
    EXPECT_EQ(f.w().StringGrid1->rowCount(), 2);
    EXPECT_EQ(label(f.w(), "lCelkovyCas"), QStringLiteral("00:00:00"));
    EXPECT_EQ(label(f.w(), "CelkovoPrijate"), QStringLiteral("0,00 kB"));
    f.clickRow(1);
    EXPECT_EQ(f.status(1), QStringLiteral(" Cena za 1MB :"));
}

TEST(MainWindowTest, ValidationFlagComesFromTheStore)
{
    EXPECT_TRUE(Fixture(kLog, QDateTime(QDate(2000, 5, 20), QTime()), true).w().Kontrola());
    EXPECT_FALSE(Fixture(kLog, QDateTime(QDate(2000, 5, 20), QTime()), false).w().Kontrola());
}

TEST(MainWindowTest, ValidationFlagIsReadFromTheMetersSettingsAtStart)
{
    struct Case
    {
        const char* values;
        bool expected;
    };
    const Case cases[] = {{"", true},
                          {"\"kontrola\"=\"0\"\r\n", false},
                          {"\"kontrola\"=\"1\"\r\n", true},
                          {"\"kontrola\"=\"5\"\r\n", true},
                          {"\"kontrola\"=\"abc\"\r\n", true}};
    for (const auto& c : cases) {
        test::TempDir config;
        config.write("registry.reg", std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                                 "[HKEY_CURRENT_USER\\Software\\Linkora\\Spy\\Vzhlad]\r\n") +
                                         c.values);
        test::RecordingPrompts hivePrompts;
        FileHive hive(config.file("registry.reg"), hivePrompts);
        Fixture f(kLog, QDateTime(QDate(2000, 5, 20), QTime()), !c.expected, &hive);
        EXPECT_EQ(f.w().Kontrola(), c.expected) << c.values;
        EXPECT_TRUE(f.prompts.shown.empty()) << c.values;
    }
}

TEST(MainWindowTest, LinksOpenTheWebAndANewMailWithItsSubject)
{
    Fixture f;
    emit f.w().RzURLLabel1->linkActivated(QStringLiteral("x"));
    emit f.w().RzURLLabel2->linkActivated(QStringLiteral("x"));
    ASSERT_EQ(f.opened.size(), 2u);
    EXPECT_EQ(f.opened[0].scheme(), QStringLiteral("https"));
    EXPECT_EQ(f.opened[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(f.opened[1].query(QUrl::FullyDecoded), QStringLiteral("subject=Odoslane z programu Linkora"));
}

TEST(MainWindowTest, AutoSizeFitsTheWidestTextAndStaysOn)
{
    Fixture f;
    StringGrid* g = f.w().StringGrid1;
    EXPECT_EQ(g->columnWidth(0), 105);
    f.w().SpeedButton1->click();
    const QFontMetrics fm(g->font());
    EXPECT_EQ(g->columnWidth(9), fm.horizontalAdvance(QStringLiteral("Second")) + 10);
    f.w().RxRok->setValue(2001);
    EXPECT_EQ(g->columnWidth(9), fm.horizontalAdvance(QStringLiteral("Next year")) + 10);
}

TEST(MainWindowTest, ErrorEscapingAHandlerIsShownAndTheProgramGoesOn)
{
    QStringList shown;
    auto saved = Application::errorSink();
    Application::errorSink() = [&](const QString& t) { shown << t; };
    Fixture f;
    QObject::connect(f.w().Grafy1, &QAction::triggered,
                     [] { throw std::runtime_error("'abc' is not a valid integer value"); });
    // Delivered as an event, as a menu click would be.
    QMetaObject::invokeMethod(f.w().Grafy1, &QAction::trigger, Qt::QueuedConnection);
    QApplication::processEvents();
    Application::errorSink() = saved;
    EXPECT_EQ(shown, QStringList{"'abc' is not a valid integer value"});
    f.w().ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(f.w().StringGrid1->rowCount(), 5);
}

TEST(MainWindowTest, SecondStartEndsAtOnceWithCodeZero)
{
    test::TempDir runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    InstanceLock first("evidor.exe");
    ASSERT_TRUE(first.acquired());
    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(QStringLiteral(EVIDOR_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAll(), QByteArray());
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(MainWindowTest, PeriodPassReportsAMismatchAndMovesTheGridToItsRow)
{
    // One all-day band of 60 s at 1,00 Sk; the second May connection is logged with a wrong price.
    const std::string log = "02.05.2000 10:00:00 Ut 0:01:59 200 2 0 0 33600 50 Right\n"
                            "03.05.2000 10:00:00 St 0:00:00 999 1 0 0 33600 50 Wrong price\n";
    Fixture f(log);
    f.tarif = "test.tfa";
    TTarifa t;
    t.popis = "Test";
    t.pasma = {TPasmo{0.0, timeOfDay(23, 59, 59), 100, 60, false}, TPasmo{0.0, 0.0, 100, 60, true}};
    test::RecordingPrompts quiet;
    ASSERT_TRUE(UlozTarifu(f.dir.file("test.tfa"), t, 2, quiet));
    f.dir.write("sviatky.dat", "");

    ImpulseComputation computation(f.prompts);
    IPeriodHost& host = f.w();
    ASSERT_EQ(host.gridRowCount(), 3);
    const auto summary = computation.RunPeriodPass(host, slovakRegional());
    EXPECT_EQ(summary.mismatches, 1);
    EXPECT_EQ(f.w().StringGrid1->currentRow(), 2);
    EXPECT_EQ(f.w().statusText(1), QStringLiteral(" Cena za 1MB : - "));
    EXPECT_EQ(f.prompts.events, (std::vector<std::string>{"beep", "box"}));
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0].caption, "Použitá tarifa: test.tfa");

    // With the validation off the same pass reports nothing and leaves the row alone.
    f.w().setKontrola(false);
    f.w().StringGrid1->setCurrentCell(1, 1);
    ImpulseComputation again(f.prompts);
    EXPECT_EQ(again.RunPeriodPass(host, slovakRegional()).mismatches, 1);
    EXPECT_EQ(f.w().StringGrid1->currentRow(), 1);
    EXPECT_EQ(f.prompts.shown.size(), 1u);
}
