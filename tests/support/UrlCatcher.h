#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Receives the addresses a window asks the desktop to open: install it with
// QDesktopServices::setUrlHandler(scheme, &catcher, "Open").
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> Urls;

public slots:
    void Open(const QUrl &AUrl);
};
