#pragma once

#include <QString>

// What the update check reads from the server's reply: line 0 <version>, line 1
// <url>, line 3 <result> (0 or 1 accepts the reply), line 5 <important>; every
// other line is ignored and a missing line reads as empty. The server's texts
// are kept short: a version over MaxVersionLength characters does not accept the
// reply, and the notice is cut to MaxNoticeLength, so that neither the settings
// file nor the notice box can be flooded.
struct TCheckReply
{
    static constexpr qsizetype MaxVersionLength = 32;
    static constexpr qsizetype MaxNoticeLength = 400;

    bool Accepted = false;
    QString Version;
    QString Url;
    QString Notice;
};

TCheckReply ParseCheckReply(const QString &AReply);
