// Entry point of the window tests: one application object for all of them.
#include "app/Application.h"

#include <gtest/gtest.h>

// Qt keeps some allocations until the process ends, and a handler that throws leaks Qt's
// own; leaks are checked in the logic tests instead.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Windows are real but never on a screen, also when the test list is read.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    evidor::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Evidor"));
    return RUN_ALL_TESTS();
}
