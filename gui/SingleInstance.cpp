#include "gui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

// A running window answers at once; a dead socket refuses at once.
constexpr int ConnectTimeoutMs = 2000;
constexpr int TransferTimeoutMs = 5000;
// Names are carried as the file system's bytes, each ended by a zero byte;
// an empty name ends the list.
constexpr char NameEnd = '\0';
const QByteArray ListEnd("\0\0", 2);

QByteArray EncodeNames(const QStringList &APaths)
{
    QByteArray data;
    for (const QString &path : APaths)
        data += QFile::encodeName(QFileInfo(path).absoluteFilePath()) + NameEnd;
    return data + NameEnd;
}

QStringList DecodeNames(const QByteArray &AData)
{
    QStringList paths;
    for (const QByteArray &name : AData.split(NameEnd))
        if (!name.isEmpty())
            paths << QFile::decodeName(name);
    return paths;
}

bool Answers(const QString &APath)
{
    QLocalSocket socket;
    socket.connectToServer(APath);
    return socket.waitForConnected(ConnectTimeoutMs);
}

} // namespace

TSingleInstance::TSingleInstance(QObject *AParent)
    : QObject(AParent)
    , FServer(new QLocalServer(this))
{}

QString TSingleInstance::SocketPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/tonara.instance");
}

bool TSingleInstance::ForwardFiles(const QStringList &APaths)
{
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    socket.write(EncodeNames(APaths));
    if (!socket.waitForBytesWritten(TransferTimeoutMs))
        return false;
    // The window closes the connection once it has taken the names.
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(TransferTimeoutMs);
}

bool TSingleInstance::Listen(TFilesHandler AOnFiles)
{
    FOnFiles = std::move(AOnFiles);
    const QString path = SocketPath();
    // Only this user may hand files to the window.
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::TakeConnection);
    if (FServer->listen(path))
        return true;
    // A window that started meanwhile owns the name; otherwise it is a
    // killed window's socket that nobody serves.
    if (FServer->serverError() != QAbstractSocket::AddressInUseError || Answers(path))
        return false;
    QLocalServer::removeServer(path);
    return FServer->listen(path);
}

void TSingleInstance::TakeConnection()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TSingleInstance::Receive(QLocalSocket *ASocket)
{
    // The names may come in several pieces; the list's end says they are all here.
    QByteArray data = ASocket->property("Received").toByteArray() + ASocket->readAll();
    ASocket->setProperty("Received", data);
    if (!data.endsWith(ListEnd) && data != QByteArray(1, NameEnd))
        return;
    ASocket->disconnect(this);
    ASocket->disconnectFromServer(); // tells the sender it can end
    const QStringList paths = DecodeNames(data);
    if (!paths.isEmpty() && FOnFiles)
        FOnFiles(paths);
}
