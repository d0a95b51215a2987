#pragma once

#include <QWidget>
#include <memory>

class QTimer;
class TVoiceRecorder;

namespace Ui {
class TRecorderForm;
}

// The recorder window: the input, a live level meter, Record/Stop, the time
// recorded and the file the recording becomes. Recordings go to the
// "Recordings" folder of the data folder. Closing it, or closing the main window
// that owns it, ends a recording and keeps it.
class TRecorderForm : public QWidget
{
    Q_OBJECT

public:
    // AMainWindow owns the window; its closing ends a recording too.
    explicit TRecorderForm(QWidget *AMainWindow);
    ~TRecorderForm() override;

    bool IsRecording() const;

signals:
    // A recording with samples in it is complete at APath.
    void RecordingFinished(const QString &APath);

public slots:
    void ButtonRecordClick();

protected:
    void closeEvent(QCloseEvent *AEvent) override;
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    void FillDevices();
    void StartRecording();
    void RecorderCaptured(qint64 AElapsedMs, double APeak);
    void RecorderFinished();
    void ShowNextFileName();
    static QString TimeText(qint64 AMs);

    std::unique_ptr<Ui::TRecorderForm> FUi;
    TVoiceRecorder *FRecorder;
    QTimer *FNameTimer; // keeps the name of the next recording current
};
