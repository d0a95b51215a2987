#include "platform/RestartScript.h"

#include "platform/FileName.h"
#include "platform/OSError.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Platform {

namespace {

constexpr int NameAttempts = 100;

void WriteAll(int AFd, const QByteArray &AData, const QString &APath)
{
    qsizetype written = 0;
    while (written < AData.size()) {
        const ssize_t n = ::write(AFd, AData.constData() + written, size_t(AData.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(AFd);
            throw EOSError(error, APath);
        }
        written += n;
    }
}

} // namespace

QByteArray ShellQuoted(const QByteArray &AText)
{
    QByteArray quoted = AText;
    quoted.replace('\'', QByteArrayLiteral("'\\''"));
    return '\'' + quoted + '\'';
}

QByteArray RestartScriptText(const QString &AExecutablePath)
{
    // The path's bytes as the file system holds them.
    return QByteArrayLiteral("#!/bin/sh\nsleep 1\n") + ShellQuoted(EncodeFileName(AExecutablePath)) + '\n';
}

void WriteRestartScript(const QString &AScriptPath, const QString &AExecutablePath)
{
    // A new file renamed into place: whatever stands at the name (a link planted
    // there, above all) is replaced, never written through.
    const QByteArray path = EncodeFileName(AScriptPath);
    QByteArray fresh;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        fresh = path + '.' + QByteArray::number(qint64(::getpid())) + '.' + QByteArray::number(attempt);
        fd = ::open(fresh.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0755);
        if (fd < 0 && (errno != EEXIST || attempt >= NameAttempts))
            throw EOSError(errno, AScriptPath);
    }
    try {
        WriteAll(fd, RestartScriptText(AExecutablePath), AScriptPath);
    } catch (...) {
        ::unlink(fresh.constData());
        throw;
    }
    if (::close(fd) != 0 || ::rename(fresh.constData(), path.constData()) != 0) {
        const int error = errno;
        ::unlink(fresh.constData());
        throw EOSError(error, AScriptPath);
    }
}

bool StartRestartScript(const QString &AScriptPath, const QString &AWorkingFolder)
{
    QProcess shell;
    shell.setProgram(QStringLiteral("/bin/sh"));
    shell.setArguments({AScriptPath});
    shell.setWorkingDirectory(AWorkingFolder);
    shell.setStandardInputFile(QProcess::nullDevice());
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.setStandardErrorFile(QProcess::nullDevice());
    return shell.startDetached();
}

} // namespace Platform
