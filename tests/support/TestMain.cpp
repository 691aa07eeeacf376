#include <gtest/gtest.h>

// Built once per kind of test program: window tests get a QApplication (offscreen
// unless told otherwise), the widget-free layers a QCoreApplication or
// QGuiApplication. Each has an event loop, so queued deliveries and
// QSignalSpy::wait work everywhere.
#if defined(VESTIBAR_TEST_APP_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(VESTIBAR_TEST_APP_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
