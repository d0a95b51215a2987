#include "platform/CommandLine.h"

namespace Platform {

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The program name: quotes toggle grouping, nothing is escaped.
qsizetype TakeProgram(const QString &s, qsizetype i, QString &AOut)
{
    bool inQuotes = false;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        else if (!inQuotes && IsBlank(c))
            break;
        else
            AOut += c;
    }
    return i;
}

// One further argument, with the backslash and quote rules.
qsizetype TakeArgument(const QString &s, qsizetype i, QString &AOut)
{
    bool inQuotes = false;
    while (i < s.size()) {
        qsizetype slashes = 0;
        while (i < s.size() && s[i] == QLatin1Char('\\')) {
            ++slashes;
            ++i;
        }
        const bool atQuote = i < s.size() && s[i] == QLatin1Char('"');
        if (!atQuote) {
            AOut += QString(slashes, QLatin1Char('\\'));
            if (i >= s.size() || (!inQuotes && IsBlank(s[i])))
                break;
            AOut += s[i++];
            continue;
        }
        AOut += QString(slashes / 2, QLatin1Char('\\'));
        if (slashes % 2 == 1) {
            AOut += QLatin1Char('"');
        } else if (inQuotes && i + 1 < s.size() && s[i + 1] == QLatin1Char('"')) {
            AOut += QLatin1Char('"');
            ++i;
        } else {
            inQuotes = !inQuotes;
        }
        ++i;
    }
    return i;
}

qsizetype SkipBlanks(const QString &s, qsizetype i)
{
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return i;
}

} // namespace

QStringList SplitCommandLine(const QString &ACommandLine)
{
    QStringList result;
    qsizetype i = SkipBlanks(ACommandLine, 0);
    if (i >= ACommandLine.size())
        return result;
    QString program;
    i = TakeProgram(ACommandLine, i, program);
    result << program;
    for (i = SkipBlanks(ACommandLine, i); i < ACommandLine.size(); i = SkipBlanks(ACommandLine, i)) {
        QString argument;
        i = TakeArgument(ACommandLine, i, argument);
        result << argument;
    }
    return result;
}

QString QuoteArgument(const QString &AArgument)
{
    QString result(QLatin1Char('"'));
    qsizetype slashes = 0;
    for (const QChar c : AArgument) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
        } else {
            if (c == QLatin1Char('"'))
                result += QString(slashes + 1, QLatin1Char('\\'));
            slashes = 0;
        }
        result += c;
    }
    result += QString(slashes, QLatin1Char('\\'));
    return result + QLatin1Char('"');
}

} // namespace Platform
