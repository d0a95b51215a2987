#pragma once

#include <QString>
#include <stdexcept>

// An operating-system failure: the system's error code and its message, shown to
// the user as "System Error.  Code: <code>.", a line break and the system's text.
class EOSError : public std::runtime_error
{
public:
    // AContext, when given, is added on a line of its own (e.g. the file concerned).
    explicit EOSError(int ACode, const QString &AContext = QString());

    int ErrorCode() const { return FErrorCode; }
    QString Message() const { return QString::fromUtf8(what()); }

private:
    int FErrorCode;
};
