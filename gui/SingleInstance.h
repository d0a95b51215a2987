#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;
class QLocalSocket;

// One window per user: a start with files hands them to the window that runs
// already, through a local socket in the user's runtime folder, and ends. The
// first window listens there; a socket left by a window that was killed is
// found dead and taken over.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    using TFilesHandler = std::function<void(const QStringList &APaths)>;

    explicit TSingleInstance(QObject *AParent = nullptr);

    // The socket's path: "tonara.instance" in the user's runtime folder.
    static QString SocketPath();

    // Hands APaths (made absolute, as the running window has its own current
    // folder) to the running window; false when none answers.
    static bool ForwardFiles(const QStringList &APaths);

    // Serves later starts: AOnFiles receives each one's files on this thread.
    // False when the socket cannot be set up (the window then runs on its own).
    bool Listen(TFilesHandler AOnFiles);

private:
    void TakeConnection();
    void Receive(QLocalSocket *ASocket);

    QLocalServer *FServer;
    TFilesHandler FOnFiles;
};
