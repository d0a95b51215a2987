#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <exception>
#include <functional>

class QObject;

// How a run of the process runner ended. The ordinals are part of the
// component's interface (they are stored as a 32-bit integer).
enum TEndStatus : qint32 {
    esStop = 0,         // stopped by request
    esProcess = 1,      // the child ended by itself
    esStill_Active = 2, // a run is under way
    esNone = 3,         // no run yet
    esError = 4,        // the run failed with an exception
    esTime = 5,         // a time limit ended the run
};

// Whether a reported output line is complete.
enum TOutputType {
    otEntireLine = 0,      // a whole line
    otBeginningOfLine = 1, // everything so far of a line that has not ended yet
};

// The exit code a child has while it runs.
constexpr quint32 STILL_ACTIVE = 259;

// The events. Each is one assignable handler, empty when not assigned; the
// sender is always the component.
using TNotifyEvent = std::function<void(QObject *ASender)>;
using TNewLineEvent = std::function<void(QObject *ASender, const QString &ANewLine, TOutputType AOutputType)>;
using TNewCharEvent = std::function<void(QObject *ASender, QChar ANewChar)>;
using TTerminateProcessEvent = std::function<void(QObject *ASender, bool &ACanTerminate)>;
using TErrorEvent = std::function<void(QObject *ASender, const std::exception &AE, bool &AHandled)>;
// Turns the bytes of one read of output into text.
using TCharDecoding = std::function<QString(QObject *ASender, const QByteArray &ABuf)>;
// Appends the bytes for AChars to AOutBuf.
using TCharEncoding = std::function<void(QObject *ASender, const QString &AChars, QByteArray &AOutBuf)>;

// The started child: its pidfd, no thread handle, its process id and the id
// of its main thread (the same number on this system).
struct TProcessInformation
{
    int hProcess = 0;
    int hThread = 0;
    qint64 dwProcessId = 0;
    qint64 dwThreadId = 0;
};
