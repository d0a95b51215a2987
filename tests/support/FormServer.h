#pragma once

#include "support/RecordedRequest.h"
#include "support/ServerScript.h"

#include <QList>
#include <QProcess>
#include <QString>

// A real HTTP and HTTPS server on one port of 127.0.0.1 (form_server.py run as
// a child), answering each scheme by its script and recording every request.
// Its certificate is signed by a CA made for this test program; the fixture
// makes the form post trust that CA.
class TFormServer
{
public:
    TFormServer(const TServerScript &AHttps, const TServerScript &AHttp);
    ~TFormServer();
    TFormServer(const TFormServer &) = delete;
    TFormServer &operator=(const TFormServer &) = delete;

    // "127.0.0.1:<port>": the address without a scheme.
    QString Authority() const;

    // The requests received so far, waiting up to AWaitMs for at least AAtLeast of them.
    QList<TRecordedRequest> Requests(int AAtLeast = 0, int AWaitMs = 3000);

    // The folder holding ca.pem and the server certificates, made once per test program.
    static QString TlsFolder();
    static QString CaFile();

private:
    void ReadRecords();

    QProcess FProcess;
    int FPort = 0;
    QByteArray FPending;
    QList<TRecordedRequest> FRequests;
};
