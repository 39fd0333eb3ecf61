// Test entry: makes the Qt application object the tests need (none, Core,
// Gui or Widgets, chosen at build time), fixes the locale so number texts
// do not depend on the machine, keeps the user's own records out of reach,
// and runs GoogleTest.
#include <gtest/gtest.h>

#include <QLocale>

#if defined(DILUTRA_TEST_WIDGETS)
#include <QApplication>
using TestApp = QApplication;
#elif defined(DILUTRA_TEST_GUI)
#include <QGuiApplication>
using TestApp = QGuiApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A window or a server under test reads no records but those a test
    // writes: the defaults, unless a test names a file of its own.
    if (qEnvironmentVariableIsEmpty("DILUTRA_RECORDS"))
        qputenv("DILUTRA_RECORDS", "/nonexistent/dilutra-test-records.ini");
    TestApp app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
