#include "support/RecordedRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

TRecordedRequest::TPairs PairsOf(const QJsonArray &AArray)
{
    TRecordedRequest::TPairs pairs;
    for (const QJsonValue &pair : AArray)
        pairs += {pair.toArray().at(0).toString(), pair.toArray().at(1).toString()};
    return pairs;
}

} // namespace

TRecordedRequest TRecordedRequest::FromJsonLine(const QByteArray &ALine)
{
    const QJsonObject object = QJsonDocument::fromJson(ALine).object();
    TRecordedRequest request;
    request.Scheme = object.value(QStringLiteral("scheme")).toString();
    request.Method = object.value(QStringLiteral("method")).toString();
    request.Path = object.value(QStringLiteral("path")).toString();
    request.Headers = PairsOf(object.value(QStringLiteral("headers")).toArray());
    request.Body = object.value(QStringLiteral("body")).toString().toLatin1();
    request.Fields = PairsOf(object.value(QStringLiteral("fields")).toArray());
    return request;
}

QString TRecordedRequest::Header(const QString &AName) const
{
    for (const auto &[name, value] : Headers) {
        if (name.compare(AName, Qt::CaseInsensitive) == 0)
            return value.isNull() ? QStringLiteral("") : value;
    }
    return {};
}
