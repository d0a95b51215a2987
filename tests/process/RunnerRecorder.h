#pragma once

// A process runner whose every report is recorded in arrival order, for the
// tests of the component and its worker.

#include "platform/SystemCodePage.h"
#include "process/ProcessErrors.h"
#include "process/ProcessRunner.h"
#include "process/ProcessTestSupport.h"
#include "process/ProcessTimer.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace ProcessTest {

// A helper step that writes exactly ABytes (escaped, so any byte survives the
// command line).
inline QString WriteStep(const QByteArray &ABytes)
{
    QString step = QStringLiteral("w:");
    for (const char c : ABytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\' && c != '"')
            step += QLatin1Char(c);
        else
            step += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return step;
}

class TRunnerRecorder
{
public:
    TProcessRunner Runner;
    TStringList Output;
    // "E:text" and "B:text" for lines, "terminate", "error:<class>:<message>", "terminated".
    QStringList Events;
    QString Chars;
    int TerminatedCount = 0;
    bool VetoTermination = false;
    // What each event saw of the component when it ran.
    QList<qint64> PidSeenByLines;

    TRunnerRecorder()
    {
        Runner.SetOutputLines(&Output);
        Runner.SetOnNewLine([this](QObject *ASender, const QString &ALine, TOutputType AType) {
            EXPECT_EQ(ASender, &Runner);
            Events << (AType == otEntireLine ? QStringLiteral("E:") : QStringLiteral("B:")) + ALine;
            PidSeenByLines << Runner.ProcessInformation().dwProcessId;
        });
        Runner.SetOnNewChar([this](QObject *, QChar AChar) { Chars += AChar; });
        Runner.SetOnTerminateProcess([this](QObject *ASender, bool &ACanTerminate) {
            EXPECT_EQ(ASender, &Runner);
            EXPECT_TRUE(ACanTerminate);
            Events << QStringLiteral("terminate");
            ACanTerminate = !VetoTermination;
        });
        Runner.SetOnExecuteError([this](QObject *, const std::exception &AE, bool &AHandled) {
            EXPECT_FALSE(AHandled);
            Events << QStringLiteral("error:") + ExceptionClassName(AE) + QLatin1Char(':') + ExceptionMessage(AE);
            AHandled = true;
        });
        Runner.SetOnTerminated([this](QObject *ASender) {
            EXPECT_EQ(ASender, &Runner);
            EXPECT_FALSE(Runner.IsRunning());
            Events << QStringLiteral("terminated");
            ++TerminatedCount;
        });
    }

    void Start(const QString &ACommandLine)
    {
        Runner.SetCommandLine(ACommandLine);
        Runner.Execute();
    }
    void StartHelper(const QStringList &ASteps) { Start(HelperCommand(ASteps)); }

    bool WaitForEnd(int AMs = 10000)
    {
        return WaitUntil([this] { return TerminatedCount > 0; }, AMs);
    }
    bool WaitForEvent(const QString &AEvent, int AMs = 10000)
    {
        return WaitUntil([&] { return Events.contains(AEvent); }, AMs);
    }
    bool WaitForStarted()
    {
        return WaitUntil([this] { return Runner.ProcessInformation().dwProcessId != 0; });
    }

    // Delivers ticks to the run's timer as its event loop would. Call
    // UseInjectedTicks right after Execute so that only these ticks count.
    void UseInjectedTicks() { Runner.Timer()->SetInterval(24 * 3600 * 1000); }
    void Tick(int ACount = 1)
    {
        for (int i = 0; i < ACount; ++i)
            ProcessTimerProc(Runner.Timer()->ID());
    }

    QStringList LineEvents() const
    {
        QStringList result;
        for (const QString &e : Events)
            if (e.startsWith(QLatin1String("E:")) || e.startsWith(QLatin1String("B:")))
                result << e;
        return result;
    }
};

// Takes the runner's error display while it lives, noting each caption and text.
class TErrorDisplayRecorder
{
public:
    QStringList Captions;
    QStringList Texts;

    TErrorDisplayRecorder()
    {
        TProcessRunner::SetErrorDisplay([this](const QString &ACaption, const QString &AText) {
            Captions << ACaption;
            Texts << AText;
        });
    }
    ~TErrorDisplayRecorder() { TProcessRunner::SetErrorDisplay({}); }
    TErrorDisplayRecorder(const TErrorDisplayRecorder &) = delete;
    TErrorDisplayRecorder &operator=(const TErrorDisplayRecorder &) = delete;
};

} // namespace ProcessTest
