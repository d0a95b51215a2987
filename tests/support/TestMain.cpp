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

#include "platform/ProcessEnd.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// A port of 127.0.0.1 that this program holds without listening on it: every
// connection to it is refused at once, and nobody else can take it meanwhile.
int RefusingPort()
{
    const int held = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (held < 0 || bind(held, reinterpret_cast<sockaddr *>(&address), length) != 0
        || getsockname(held, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 9; // the discard port, which nothing serves here either
    return ntohs(address.sin_port);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests talk to nothing but 127.0.0.1: a window's update check, or a tonara
    // started by a test, that is not pointed at a test server finds no server.
    if (qEnvironmentVariableIsEmpty("TONARA_SERVER"))
        qputenv("TONARA_SERVER", "127.0.0.1:" + QByteArray::number(RefusingPort()));
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        TTestApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    // Ended as the program ends: a test that played sound would otherwise now
    // and then abort in Qt Multimedia's exit-time teardown of its sound-server
    // connection, after every test had passed.
    Platform::EndProcess(result);
}
