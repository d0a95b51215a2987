#pragma once

#include "effects/RunOutcome.h"
#include "gui/MediaPlayer.h"
#include "gui/UserDialogs.h"
#include "online/UpdateCheckResults.h"
#include "process/ProcessRunnerTypes.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <thread>

class QAction;
class QMenu;
class QTimer;
class QTreeWidgetItem;
class TNewVer;
class TProcessAll;
class TEffectRun;
class TLiveVoiceForm;
class TPreviewControl;
class TProcessRunner;
class TRecorderForm;
class TSaveJob;
class TSaveProgress;
class TSoundListEditing;
class TSoundListIntake;

// Set by every press of the button while it reads "Stop", cleared when a run
// starts: tells the end of a run that the user stopped it.
extern bool AbortRequested;

namespace Ui {
class TAppForm;
}

// The main window: sound list, hidden log, effect row with the "Custom" slider
// rows, Play and Save buttons, and the main menu.
class TAppForm : public QMainWindow
{
    Q_OBJECT

public:
    // AExeFileName is the executable whose version block gives the identity:
    // the running program itself unless a test names another file.
    explicit TAppForm(QWidget *AParent = nullptr, const QString &AExeFileName = QString());
    ~TAppForm() override;

    // Called by the language dialog with its choice; kept in the settings, so the
    // restart (and every later start) comes up in that language.
    void SetLanguageFile(const QString &AFilename);

    // The files named at start-up: added in order, the first one selected; what
    // cannot be added is reported once the window shows.
    void OpenSoundFiles(const QStringList &APaths);
    // Files that a later start handed over: added as if dropped, the window raised.
    void OpenFilesFromAnotherStart(const QStringList &APaths);

public slots:
    void ComboBox1Change();
    void Help2Click();
    void UpdateNotifications1Click();
    void Exit1Click();
    void Language1Click();
    void About1Click();
    void SendFeedback1Click();
    void TimerCheckerTimer();

    // The processing job.
    void AddSoundFile1Click();
    void RecordVoice1Click();
    void LiveVoice1Click();
    void ButtonPlayClick();
    void ProcessAllFiles1Click();
    void PlayRunNewLine(const QString &ANewLine, TOutputType AOutputType);
    void PlayRunFinished(TRunOutcome AOutcome, const QString &AReason);
    void MediaPlayer1Notify(TMediaPlayer::TNotifyValue AValue);

    // Saving the result.
    void ButtonSaveClick();
    void SaveasMP31Click();
    void SaveasMP32Click();
    void SaveasWAV1Click();
    void SaveasWAV2Click();

protected:
    void showEvent(QShowEvent *AEvent) override;

private:
    void FormCreate(const QString &AExeFileName);
    void ShowStandardErrorBox(const std::exception &AError, const QString &AWorkFile = QString());
    void SetClientSize(int AWidth, int AHeight);
    void FillEffectList();
    void SizeListColumns();
    void ConnectHandlers();
    void CreatePlayRun();
    void CreatePopupMenu();
    void CreateProcessAll();
    void SetStandardShortcuts();
    void CreateListEditing();
    void CreateUpdateCheckEntry();
    void CheckforUpdates1Click();
    void RemoveOnlineEntries();
    void StartRun(QTreeWidgetItem *AItem);
    void StopRunOrPlayback();
    void PlayResult();
    void ShowPlayRunProgress();
    void ShowProgress(const QVariant &AValue);
    void StartUpdateCheck();
    void ShowUpdatePopup();
    bool AskSaveTarget(const QString &ADefaultExt, const QString &AFilter);
    void ShowSaved(const QString &APath);
    void ShowSaveProgress(TSaveJob *AJob, const QString &ALabel, int AShowAfterMs, const QString &AFailure);

    std::unique_ptr<Ui::TAppForm> FUi;
    QTimer *TimerChecker;
    int FUpdateCheckMarker = 0; // 1 once the update check has been started
    bool FPlaced = false;       // centred on the screen at the first show
    std::shared_ptr<TUpdateCheckResults> FUpdateResults;
    QPointer<TNewVer> NewVer; // the update popup once shown; it frees itself

    TEffectRun *FPlayRun; // Play's run; its runner is "ProcessRunner1"
    TMediaPlayer *MediaPlayer1;
    QMenu *PopupMenu1;
    QAction *SaveasMP31;
    QAction *SaveasWAV1;
    TUserDialogs::TFileRequest OpenDialog1;
    TUserDialogs::TFileRequest SaveDialog1;    // keeps the name chosen last
    QTreeWidgetItem *FProcessedItem = nullptr; // the item of the current or last run
    TSoundListIntake *FSoundListIntake; // files from the command line and drops
    QPointer<TSaveProgress> FSaveProgress; // the save under way, if any
    TSoundListEditing *FListEditing = nullptr;
    QAction *CheckforUpdates1 = nullptr; // Help › "Check for Updates at Start-up"
    QString FRunInput;              // the file and effect of the current or last run,
    QString FRunEffect;             // for the name the save dialog proposes
    bool FProposeSaveName = false;  // a new result, not saved yet
    TProcessAll *FProcessAll;           // "Process All Files..." and its batch
    TPreviewControl *FPreviewControl;   // the Preview button, owned by it
    QPointer<TRecorderForm> RecorderForm1; // the recorder window while open
    QPointer<TLiveVoiceForm> LiveVoiceForm1; // the live voice window while open
    // The update check's thread, last so that it is stopped and joined first:
    // the check never outlives the window.
    std::jthread FUpdateCheck;
};
