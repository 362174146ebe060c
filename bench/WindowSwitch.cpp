// Times what the user waits for in the main window on a big log (offscreen): the start-up
// (loading the log and listing the current month) and switching to a whole year and back,
// each with the grid repainted, with and without the columns' auto-size.
#include "app/Application.h"
#include "app/Main.h"
#include "platform/StreamPrompts.h"
#include "widgets/StringGrid.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QSpinBox>

#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: evidor-window-bench PROGRAM_DIR YEAR\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    evidor::Application app(argc, argv);
    evidor::StreamPrompts prompts(std::cerr);
    evidor::MainContext ctx;
    ctx.prompts = &prompts;
    ctx.regional = evidor::slovakRegional();
    ctx.programDir = argv[1];
    const int year = std::atoi(argv[2]);
    ctx.now = [year] { return QDateTime(QDate(year, 5, 20), QTime(12, 0)); };

    QElapsedTimer t;
    t.start();
    evidor::TfMain w(std::move(ctx));
    w.show();
    QApplication::processEvents();
    std::cout << "start-up_ms\t" << t.elapsed() << "\nrecords\t" << w.RecordCount() << '\n';

    auto timeSwitch = [&](const char* what, int index) {
        t.restart();
        w.ComboBox1->setCurrentIndex(index);
        w.StringGrid1->repaint();
        QApplication::processEvents();
        std::cout << what << "_ms\t" << t.elapsed() << "\trows\t" << w.StringGrid1->rowCount() - 1 << '\n';
    };
    timeSwitch("to_whole_year", 0);
    timeSwitch("to_month", 5);
    w.SpeedButton1Click();
    timeSwitch("to_whole_year_autosize", 0);
    timeSwitch("to_month_autosize", 5);
    return 0;
}
