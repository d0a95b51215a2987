#include "gui/RecorderForm.h"

#include "audio/RecordingPlace.h"
#include "audio/VoiceRecorder.h"
#include "gui/UserDialogs.h"
#include "ui_RecorderForm.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {

const QString RecordCaption = QStringLiteral("Record");
const QString StopCaption = QStringLiteral("Stop");

} // namespace

TRecorderForm::TRecorderForm(QWidget *AMainWindow)
    : QWidget(AMainWindow, Qt::Window)
    , FUi(std::make_unique<Ui::TRecorderForm>())
    , FRecorder(new TVoiceRecorder(this))
    , FNameTimer(new QTimer(this))
{
    FUi->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    FillDevices();
    connect(FUi->ButtonRecord, &QPushButton::clicked, this, &TRecorderForm::ButtonRecordClick);
    connect(FRecorder, &TVoiceRecorder::Captured, this, &TRecorderForm::RecorderCaptured);
    connect(FRecorder, &TVoiceRecorder::Finished, this, &TRecorderForm::RecorderFinished);
    connect(FNameTimer, &QTimer::timeout, this, &TRecorderForm::ShowNextFileName);
    FNameTimer->start(1000);
    ShowNextFileName();
    if (AMainWindow)
        AMainWindow->installEventFilter(this);
}

TRecorderForm::~TRecorderForm()
{
    // Destroyed with the main window (the program quitting): the recorder's own
    // end keeps the file, but nothing may reach the half-destroyed window.
    disconnect(FRecorder, nullptr, this, nullptr);
    FRecorder->Stop();
}

bool TRecorderForm::IsRecording() const
{
    return FRecorder->IsRecording();
}

void TRecorderForm::FillDevices()
{
    for (const QAudioDevice &device : TVoiceRecorder::InputDevices())
        FUi->ComboBoxDevice->addItem(device.description(), QVariant::fromValue(device));
}

void TRecorderForm::ShowNextFileName()
{
    if (!IsRecording())
        FUi->LabelFile->setText(QDir::toNativeSeparators(
            QDir(TRecordingPlace::Folder()).filePath(TRecordingPlace::FileName(QDateTime::currentDateTime()))));
}

void TRecorderForm::ButtonRecordClick()
{
    if (IsRecording())
        FRecorder->Stop();
    else
        StartRecording();
}

void TRecorderForm::StartRecording()
{
    const QAudioDevice device = FUi->ComboBoxDevice->currentData().value<QAudioDevice>();
    if (device.isNull()) {
        TUserDialogs::ShowMessage(QStringLiteral("No audio input was found. Connect a microphone and try again."),
                                  QStringLiteral("Error"), TUserDialogs::IconError);
        return;
    }
    QString error;
    if (!TRecordingPlace::MakeFolder(error)) {
        TUserDialogs::ShowMessage(QStringLiteral("The folder for recordings cannot be created:\n\n%1\n\n%2")
                                      .arg(QDir::toNativeSeparators(TRecordingPlace::Folder()), error),
                                  QStringLiteral("Error"), TUserDialogs::IconError);
        return;
    }
    const QString path = TRecordingPlace::FreePath(TRecordingPlace::Folder(), QDateTime::currentDateTime());
    if (!FRecorder->Start(device, path)) {
        TUserDialogs::ShowMessage(FRecorder->ErrorText(), QStringLiteral("Error"), TUserDialogs::IconError);
        return;
    }
    FUi->LabelFile->setText(QDir::toNativeSeparators(path));
    FUi->ButtonRecord->setText(StopCaption);
    FUi->ComboBoxDevice->setEnabled(false);
    FUi->LabelElapsed->setText(TimeText(0));
}

void TRecorderForm::RecorderCaptured(qint64 AElapsedMs, double APeak)
{
    FUi->LabelElapsed->setText(TimeText(AElapsedMs));
    FUi->ProgressBarLevel->setValue(int(APeak * 100 + 0.5));
}

void TRecorderForm::RecorderFinished()
{
    FUi->ButtonRecord->setText(RecordCaption);
    FUi->ComboBoxDevice->setEnabled(true);
    FUi->ProgressBarLevel->setValue(0);
    ShowNextFileName();
    if (QFileInfo::exists(FRecorder->FilePath()))
        emit RecordingFinished(FRecorder->FilePath());
    // Not from inside the recorder's signal, and after the list has the file.
    if (!FRecorder->ErrorText().isEmpty())
        QTimer::singleShot(0, this, [text = FRecorder->ErrorText()] {
            TUserDialogs::ShowMessage(text, QStringLiteral("Error"), TUserDialogs::IconError);
        });
}

void TRecorderForm::closeEvent(QCloseEvent *AEvent)
{
    FRecorder->Stop();
    QWidget::closeEvent(AEvent);
}

bool TRecorderForm::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    if (AWatched == parent() && AEvent->type() == QEvent::Close)
        close();
    return QWidget::eventFilter(AWatched, AEvent);
}

QString TRecorderForm::TimeText(qint64 AMs)
{
    const qint64 seconds = AMs / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
