#include "Main.h"
#include "Application.h"
#include "QtPrompts.h"
#include "QtRegional.h"

#include "charts/Grafy.h"
#include "platform/Hive.h"
#include "platform/InstanceLock.h"

#include <QDesktopServices>
#include <QMessageBox>

#include <exception>

int main(int argc, char** argv)
{
    // A second start leaves the running one alone and ends silently.
    evidor::InstanceLock lock("evidor.exe");
    if (!lock.acquired())
        return 0;

    evidor::Application app(argc, argv);
    try {
        // The name, not a display name: Qt would append a display name to every window title.
        QApplication::setApplicationName(QStringLiteral("Evidor"));
        evidor::QtPrompts prompts;
        evidor::MainContext ctx;
        ctx.prompts = &prompts;
        ctx.regional = evidor::regionalFromLocale(QLocale::system());
        ctx.programDir = QCoreApplication::applicationDirPath().toStdString();
        ctx.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
        const std::unique_ptr<evidor::IHive> hive = evidor::openUserHive(prompts);
        evidor::useSettingsStore(ctx, *hive);
        evidor::TfMain fMain(std::move(ctx));
        fMain.onGrafy = [&fMain] { evidor::Grafy1Click(fMain); };
        fMain.show();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Evidor"), QString::fromUtf8(e.what()));
        return 1;
    }
}
