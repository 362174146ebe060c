// Renders the main window on a program directory into a PNG, offscreen: the pictures in docs/
// are made with it, so they can be made again after every change of the window.
#include "app/Main.h"
#include "app/Application.h"
#include "app/QtRegional.h"
#include "platform/StreamPrompts.h"
#include "widgets/StringGrid.h"

#include <QComboBox>
#include <QPixmap>
#include <QSpinBox>

#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: evidor-screenshot PROGRAM_DIR OUT.png [YYYY-MM-DD [MONTH [ROW]]]\n"
                     "Renders the main window (Slovak formats) as it starts on that day, with month 0..12\n"
                     "listed and grid row ROW selected.\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    evidor::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Evidor"));
    evidor::StreamPrompts prompts(std::cerr);
    evidor::MainContext ctx;
    ctx.prompts = &prompts;
    ctx.regional = evidor::regionalFromLocale(QLocale(QLocale::Slovak, QLocale::Slovakia));
    ctx.programDir = argv[1];
    if (argc > 3) {
        const QDate day = QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate);
        ctx.now = [day] { return QDateTime(day, QTime(12, 0)); };
    }
    evidor::TfMain w(std::move(ctx));
    if (argc > 4)
        w.ComboBox1->setCurrentIndex(std::atoi(argv[4]));
    if (argc > 5)
        w.StringGrid1->setCurrentCell(1, std::atoi(argv[5]));
    w.show();
    QApplication::processEvents();
    if (!w.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::cerr << "Cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
