// Renders the charts window on a program directory, offscreen: for each chart kind a PNG of the
// window and the chart's metafile, as the export writes it. The pictures in docs/charts/ are
// made with it (tools/chart-pictures), so they can be made again after every change.
#include "app/Main.h"
#include "app/Application.h"
#include "app/QtRegional.h"
#include "charts/Grafy.h"
#include "platform/AtomicFile.h"
#include "platform/StreamPrompts.h"
#include "widgets/ColorCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPixmap>

#include <cstring>
#include <iostream>

namespace {

int usage()
{
    std::cerr << "usage: evidor-chart-shots PROGRAM_DIR OUT_DIR TARIFF [YYYY-MM-DD [MONTH [LOOK]]]\n"
                 "Writes OUT_DIR/kind<K>.png (the charts window) and kind<K>.wmf (the chart) for the\n"
                 "five kinds, with the main window on month 0..12 of that day's year. LOOK: letters\n"
                 "d (3D), p (background), s (grid) and a digit 0..6 (bar style).\n"
                 "       evidor-chart-shots --crop IN.png OUT.png WIDTH HEIGHT\n"
                 "Cuts the centre of a picture (a metafile page rendered by LibreOffice).\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    evidor::Application app(argc, argv);
    if (argc == 6 && std::strcmp(argv[1], "--crop") == 0) {
        const QImage in(QString::fromLocal8Bit(argv[2]));
        const int w = std::atoi(argv[4]);
        const int h = std::atoi(argv[5]);
        if (in.isNull() || w <= 0 || h <= 0)
            return usage();
        return in.copy((in.width() - w) / 2, (in.height() - h) / 2, w, h)
                       .save(QString::fromLocal8Bit(argv[3]))
                   ? 0
                   : 1;
    }
    if (argc < 4)
        return usage();
    QApplication::setApplicationName(QStringLiteral("Evidor"));
    evidor::StreamPrompts prompts(std::cerr);
    evidor::MainContext ctx;
    ctx.prompts = &prompts;
    ctx.regional = evidor::regionalFromLocale(QLocale(QLocale::Slovak, QLocale::Slovakia));
    ctx.programDir = argv[1];
    const std::string tariff = argv[3];
    ctx.readTarif = [tariff] { return tariff; };
    ctx.readKontrola = [] { return false; };
    if (argc > 4) {
        const QDate day = QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate);
        ctx.now = [day] { return QDateTime(day, QTime(12, 0)); };
    }
    evidor::TfMain fMain(std::move(ctx));
    if (argc > 5)
        fMain.ComboBox1->setCurrentIndex(std::atoi(argv[5]));
    fMain.show();

    evidor::TfGrafy fGrafy(fMain);
    fGrafy.show();
    const std::string look = argc > 6 ? argv[6] : "";
    for (char c : look) {
        if (c == 'd')
            fGrafy.cb3D->click();
        else if (c == 'p')
            fGrafy.cbPozadie->click();
        else if (c == 's')
            fGrafy.cbSiet->click();
        else if (c >= '0' && c <= '6') {
            fGrafy.ComboBox2->setCurrentIndex(c - '0');
            fGrafy.ComboBox2Change();
        }
    }
    const std::string out = argv[2];
    for (int kind = 0; kind < evidor::kChartKindCount; ++kind) {
        fGrafy.ComboBox1->setCurrentIndex(kind);
        fGrafy.ComboBox1Change();
        QApplication::processEvents();
        const std::string name = evidor::joinPath(out, "kind" + std::to_string(kind));
        if (!fGrafy.grab().save(QString::fromStdString(name + ".png"))) {
            std::cerr << "Cannot write " << name << ".png\n";
            return 1;
        }
        if (const auto error = evidor::writeFileAtomically(name + ".wmf", fGrafy.Graf->toMetafile())) {
            std::cerr << *error << '\n';
            return 1;
        }
    }
    fGrafy.close();
    return 0;
}
