#include "support/FormServer.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <stdexcept>

TFormServer::TFormServer(const TServerScript &AHttps, const TServerScript &AHttp)
{
    const QJsonObject config{{QStringLiteral("tls_dir"), TlsFolder()},
                             {QStringLiteral("https"), AHttps.ToJson()},
                             {QStringLiteral("http"), AHttp.ToJson()}};
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(QStringLiteral(TONARA_PYTHON),
                   {QStringLiteral(TONARA_FORM_SERVER), QString::fromUtf8(QJsonDocument(config).toJson())});
    // The first start of a test program also makes the CA and certificates.
    QDeadlineTimer deadline(20000);
    while (!FProcess.canReadLine() && !deadline.hasExpired())
        FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QByteArray line = FProcess.readLine().trimmed();
    if (!line.startsWith("PORT "))
        throw std::runtime_error("the test server did not start");
    FPort = line.mid(5).toInt();
}

TFormServer::~TFormServer()
{
    FProcess.closeWriteChannel(); // the server ends when its input closes
    if (!FProcess.waitForFinished(3000)) {
        FProcess.kill();
        FProcess.waitForFinished(3000);
    }
}

QString TFormServer::Authority() const
{
    return QStringLiteral("127.0.0.1:%1").arg(FPort);
}

void TFormServer::ReadRecords()
{
    FPending += FProcess.readAll();
    qsizetype end = 0;
    while ((end = FPending.indexOf('\n')) >= 0) {
        FRequests += TRecordedRequest::FromJsonLine(FPending.left(end));
        FPending.remove(0, end + 1);
    }
}

QList<TRecordedRequest> TFormServer::Requests(int AAtLeast, int AWaitMs)
{
    QDeadlineTimer deadline(AWaitMs);
    ReadRecords();
    while (FRequests.size() < AAtLeast && !deadline.hasExpired()) {
        FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        ReadRecords();
    }
    return FRequests;
}

QString TFormServer::TlsFolder()
{
    static QTemporaryDir folder;
    return folder.path();
}

QString TFormServer::CaFile()
{
    return TlsFolder() + QStringLiteral("/ca.pem");
}
