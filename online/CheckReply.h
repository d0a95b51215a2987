#pragma once

#include <QString>

// What the update check reads from the server's reply: line 0 <version>, line 1
// <url>, line 3 <result> (0 or 1 accepts the reply), line 5 <important>; every
// other line is ignored and a missing line reads as empty.
struct TCheckReply
{
    bool Accepted = false;
    QString Version;
    QString Url;
    QString Notice;
};

TCheckReply ParseCheckReply(const QString &AReply);
