#include "i18n/TextFileLines.h"

#include "i18n/ETextFileError.h"
#include "i18n/LocaleCharset.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

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

QByteArray ReadWholeFile(const QString &AFileName)
{
    QFile file(AFileName);
    QByteArray content;
    if (file.open(QIODevice::ReadOnly))
        content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ETextFileError(QStringLiteral("Cannot read the file \"%1\": %2")
                                 .arg(QDir::toNativeSeparators(AFileName), file.errorString()));
    return content;
}

QStringList ReadUtf8Lines(const QString &AFileName)
{
    return SplitTextLines(DecodeUtf8Text(ReadWholeFile(AFileName)));
}

QStringList ReadLocaleTextLines(const QString &AFileName)
{
    return SplitTextLines(DecodeMarkedText(ReadWholeFile(AFileName), LocaleCharset()));
}
