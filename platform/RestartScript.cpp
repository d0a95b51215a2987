#include "platform/RestartScript.h"

#include "platform/OSError.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Platform {

namespace {

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
    return QByteArrayLiteral("#!/bin/sh\nsleep 1\n") + ShellQuoted(QFile::encodeName(AExecutablePath)) + '\n';
}

void WriteRestartScript(const QString &AScriptPath, const QString &AExecutablePath)
{
    const QByteArray path = QFile::encodeName(AScriptPath);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (fd < 0)
        throw EOSError(errno, AScriptPath);
    WriteAll(fd, RestartScriptText(AExecutablePath), AScriptPath);
    if (::close(fd) != 0)
        throw EOSError(errno, AScriptPath);
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
