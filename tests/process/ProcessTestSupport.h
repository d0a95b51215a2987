#pragma once

// Helpers shared by the tests that start real child processes.

#include "support/WaitFor.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QString>
#include <QThread>
#include <QTimer>
#include <dirent.h>
#include <functional>
#include <sys/wait.h>

#include <ostream>

// Readable test failures for texts.
inline void PrintTo(const QString &AText, std::ostream *AOut)
{
    *AOut << '"' << AText.toStdString() << '"';
}

namespace ProcessTest {

// The helper child program (tests/process/ProcessHelper.cpp).
inline QString HelperPath()
{
    return QStringLiteral(PROCESS_HELPER_PATH);
}

// A command line that runs the helper with the given steps, each quoted.
inline QString HelperCommand(const QStringList &ASteps)
{
    QString line = QLatin1Char('"') + HelperPath() + QLatin1Char('"');
    for (const QString &step : ASteps)
        line += QStringLiteral(" \"") + step + QLatin1Char('"');
    return line;
}

// Open descriptors of this program (the one used for counting left out).
inline int OpenDescriptorCount()
{
    DIR *dir = opendir("/proc/self/fd");
    int count = 0;
    while (dirent *e = readdir(dir))
        count += e->d_name[0] != '.';
    closedir(dir);
    return count - 1;
}

// True while a child of this program has ended but was not reaped.
inline bool HasZombieChild()
{
    siginfo_t info{};
    if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false; // no children at all
    return info.si_pid != 0;
}

// Bytes a process has written so far (its "wchar" count), or -1 when it can
// no longer be read (the process is gone).
inline qint64 BytesWrittenBy(qint64 APid)
{
    QFile io(QStringLiteral("/proc/%1/io").arg(APid));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

using ::WaitUntil;

// Waits for ACondition without running the event loop, so that nothing
// posted to this thread runs meanwhile.
inline bool SpinUntil(const std::function<bool()> &ACondition, int AMs = 5000)
{
    QDeadlineTimer deadline(AMs);
    while (!ACondition()) {
        if (deadline.hasExpired())
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

} // namespace ProcessTest
