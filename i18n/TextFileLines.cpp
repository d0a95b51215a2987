#include "i18n/TextFileLines.h"

#include "i18n/ETextFileError.h"
#include "i18n/LocaleCharset.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QStringList SplitTextLines(QStringView AText)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < AText.size()) {
        const QChar c = AText[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.append(AText.sliced(start, i - start).toString());
        i += (c == u'\r' && i + 1 < AText.size() && AText[i + 1] == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < AText.size())
        lines.append(AText.sliced(start).toString());
    return lines;
}

QString DecodeUtf8Text(const QByteArray &ABytes)
{
    // Stateless: a sequence cut short at the end is replaced too, not held back
    // for input that never comes. The default flags drop a leading byte order mark.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder.decode(ABytes);
}

namespace {

[[noreturn]] void Refuse(const QString &AFileName, const QString &AReason)
{
    throw ETextFileError(
        QStringLiteral("Cannot read the file \"%1\": %2").arg(QDir::toNativeSeparators(AFileName), AReason));
}

QString ErrorText(int AError)
{
    return QString::fromLocal8Bit(strerror(AError));
}

// Reads at most ALimit + 1 bytes, so a file that grew past the cap is noticed.
QByteArray ReadUpTo(int AFd, qint64 ALimit, const QString &AFileName)
{
    QByteArray content;
    char buffer[65536];
    while (content.size() <= ALimit) {
        const ssize_t n = read(AFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Refuse(AFileName, ErrorText(errno));
        if (n == 0)
            break;
        content.append(buffer, n);
    }
    return content;
}

} // namespace

QByteArray ReadWholeFile(const QString &AFileName)
{
    // Non-blocking, so a FIFO of that name cannot hold start-up; anything but
    // a regular file of reasonable size is refused before it is read.
    const int fd = open(QFile::encodeName(AFileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Refuse(AFileName, ErrorText(errno));
    struct stat info
    {};
    try {
        if (fstat(fd, &info) != 0)
            Refuse(AFileName, ErrorText(errno));
        if (!S_ISREG(info.st_mode))
            Refuse(AFileName, QStringLiteral("it is not a regular file"));
        if (info.st_size > TextFileSizeLimit)
            Refuse(AFileName, QStringLiteral("it is larger than %1 bytes").arg(TextFileSizeLimit));
        QByteArray content = ReadUpTo(fd, TextFileSizeLimit, AFileName);
        if (content.size() > TextFileSizeLimit)
            Refuse(AFileName, QStringLiteral("it is larger than %1 bytes").arg(TextFileSizeLimit));
        close(fd);
        return content;
    } catch (...) {
        close(fd);
        throw;
    }
}

QStringList ReadUtf8Lines(const QString &AFileName)
{
    return SplitTextLines(DecodeUtf8Text(ReadWholeFile(AFileName)));
}

QStringList ReadLocaleTextLines(const QString &AFileName)
{
    return SplitTextLines(DecodeMarkedText(ReadWholeFile(AFileName), LocaleCharset()));
}
