#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// How the test server answers one scheme (see form_server.py).
struct TServerScript
{
    QString Mode = QStringLiteral("answer"); // answer, drop, silent, garbage, wrong_name
    int Status = 200;
    QString Body;
    QString ContentType = QStringLiteral("text/plain; charset=utf-8");
    QString BodyEncoding = QStringLiteral("utf-8"); // how the server writes Body on the wire
    double Delay = 0;                               // seconds before the answer
    double Trickle = 0;                             // seconds between the body's bytes
    int Repeat = 1;                                 // Body sent this many times over
    bool DeclareLength = true;                      // a Content-Length header; else the close ends the body

    QJsonObject ToJson() const
    {
        return {{QStringLiteral("mode"), Mode},
                {QStringLiteral("status"), Status},
                {QStringLiteral("body"), Body},
                {QStringLiteral("content_type"), ContentType},
                {QStringLiteral("body_encoding"), BodyEncoding},
                {QStringLiteral("delay"), Delay},
                {QStringLiteral("trickle"), Trickle},
                {QStringLiteral("repeat"), Repeat},
                {QStringLiteral("declare_length"), DeclareLength}};
    }
};

inline TServerScript Answer(const QString &ABody, int AStatus = 200)
{
    TServerScript script;
    script.Body = ABody;
    script.Status = AStatus;
    return script;
}

inline TServerScript Behaviour(const QString &AMode)
{
    TServerScript script;
    script.Mode = AMode;
    return script;
}
