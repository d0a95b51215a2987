#include "online/CheckReply.h"

#include "online/ExtractTag.h"
#include "online/TextLines.h"

TCheckReply ParseCheckReply(const QString &AReply)
{
    const QStringList lines = SplitLines(AReply);
    const auto tagOfLine = [&lines](qsizetype AIndex, const QString &ATag) {
        return AIndex < lines.size() ? ExtractTag(lines.at(AIndex), ATag) : QString();
    };
    TCheckReply reply;
    const QString result = tagOfLine(3, QStringLiteral("result"));
    const QString version = tagOfLine(0, QStringLiteral("version"));
    reply.Accepted = (result == QStringLiteral("0") || result == QStringLiteral("1"))
                     && version.size() <= TCheckReply::MaxVersionLength;
    if (!reply.Accepted)
        return reply;
    reply.Version = version;
    reply.Url = tagOfLine(1, QStringLiteral("url"));
    reply.Notice = tagOfLine(5, QStringLiteral("important")).left(TCheckReply::MaxNoticeLength);
    return reply;
}
