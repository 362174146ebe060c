#include "Application.h"

#include <QMessageBox>

#include <exception>

namespace evidor {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

std::function<void(const QString&)>& Application::errorSink()
{
    static std::function<void(const QString&)> sink = [](const QString& text) {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(), text);
    };
    return sink;
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        errorSink()(QString::fromUtf8(e.what()));
    } catch (...) {
        errorSink()(QStringLiteral("Neznáma chyba"));
    }
    return false;
}

} // namespace evidor
