#pragma once

#include <QApplication>

#include <functional>

namespace evidor {

/// The application: an exception that escapes an event handler is shown in a message box with
/// its own text and the program goes on.
class Application : public QApplication
{
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    /// Shows an error text; replaced in tests.
    static std::function<void(const QString&)>& errorSink();
};

} // namespace evidor
