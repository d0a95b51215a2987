// The main of every test program: an application object around GoogleTest, so
// tests can run the event loop and use queued calls. Programs that test widgets
// get a QApplication drawing offscreen unless told otherwise; the others get a
// QCoreApplication and link no widget library.
#ifdef TONARA_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TTestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
