#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// One request as the test server received it.
class TRecordedRequest
{
public:
    using TPairs = QList<QPair<QString, QString>>;

    static TRecordedRequest FromJsonLine(const QByteArray &ALine);

    // The value of the named header (any letter case), or a null string.
    QString Header(const QString &AName) const;
    bool HasHeader(const QString &AName) const { return !Header(AName).isNull(); }

    QString Scheme;
    QString Method;
    QString Path;
    TPairs Headers;
    QByteArray Body;
    TPairs Fields; // the body form-decoded, in order
};
