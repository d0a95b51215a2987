#pragma once

#include <QObject>
#include <QString>

// A save that runs while the event loop keeps turning (MP3 conversion, WAV
// copy): reports how far it has come and, once, how it ended.
class TSaveJob : public QObject
{
    Q_OBJECT

public:
    explicit TSaveJob(QObject *AParent = nullptr);
    ~TSaveJob() override;

    // Stops the save; Finished(false, ...) follows and the target stays as it was.
    virtual void Cancel() = 0;
    // Whether Cancel stopped it.
    bool Cancelled() const { return FCancelled; }

signals:
    // 0..1; not emitted while the length is unknown.
    void Progress(double AFraction);
    // Once per started save, from the event loop.
    void Finished(bool ASaved, const QString &AWhy);

protected:
    bool FCancelled = false;
};
