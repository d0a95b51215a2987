#include "gui/AppForm.h"

#include "audio/RecordingPlace.h"
#include "effects/EffectPresets.h"
#include "effects/EffectRun.h"
#include "effects/FileSizeOf.h"
#include "effects/Mp3Conversion.h"
#include "effects/OverwriteQuestion.h"
#include "effects/ResultSaver.h"
#include "effects/RunFacts.h"
#include "effects/SaveTarget.h"
#include "effects/SourceForRun.h"
#include "effects/WavCopy.h"
#include "gui/AboutBox.h"
#include "gui/AppIcon.h"
#include "gui/DialogFolder.h"
#include "gui/LinkOpener.h"
#include "gui/GuiBuildSettings.h"
#if TONARA_ONLINE
#include "gui/FeedbackForm.h"
#endif
#include "gui/NewVer.h"
#include "gui/PopupUnderButton.h"
#include "gui/ProcessAll.h"
#include "gui/PreviewControl.h"
#include "gui/LiveVoiceForm.h"
#include "gui/RecorderForm.h"
#include "gui/SaveProgress.h"
#include "gui/SoundListEditing.h"
#include "gui/SoundListIntake.h"
#include "gui/StatusProgressDelegate.h"
#include "gui/TranslateForm.h"
#include "gui/UpdateNotice.h"
#include "gui/UserDialogs.h"
#include "i18n/Language.h"
#include "identity/AppIdentity.h"
#include "identity/SettingsStore.h"
#if TONARA_ONLINE
#include "online/Checker.h"
#endif
#include "online/OnlineHelp.h"
#include "platform/ExecutableFolder.h"
#include "process/ProcessRunner.h"
#include "ui_AppForm.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int ClientWidth = 520;
constexpr int ClientHeight = 370;
constexpr int RatePositionAtStart = 10;
constexpr int TempoPositionAtStart = 2;
constexpr int StatusColumn = 1;
// A WAV copy that takes longer than this shows its progress.
constexpr int WavProgressDelayMs = 500;

// Room beside a status text for the cell's margins and the bar's frame.
constexpr int StatusTextPadding = 24;
// Where SetLanguageFile keeps the language dialog's choice.
const QString LanguageSection = QStringLiteral("Settings");
const QString LanguageValue = QStringLiteral("Language");

// "0" turns the update check at start-up off; anything else leaves it on.
const QString UpdateCheckValue = QStringLiteral("UpdateCheck");

const QString PlayCaption = QStringLiteral("Play");
const QString ProcessingText = QStringLiteral("Processing...");
const QString StopCaption = QStringLiteral("Stop");

} // namespace

bool AbortRequested = false;

TAppForm::TAppForm(QWidget *AParent, const QString &AExeFileName)
    : QMainWindow(AParent)
    , FUi(std::make_unique<Ui::TAppForm>())
    , TimerChecker(new QTimer(this))
    , FUpdateResults(std::make_shared<TUpdateCheckResults>())
    , FPlayRun(new TEffectRun(this))
    , MediaPlayer1(new TMediaPlayer(this))
{
    Q_INIT_RESOURCE(tonara_icons);
    FUi->setupUi(this);
    // Every window of the program shows it. Decoding its sizes for the window
    // manager takes as long as building the window, so it comes with the first
    // turn of the event loop, just after the window has been shown.
    QTimer::singleShot(0, this, [] { QApplication::setWindowIcon(AppIcon()); });
    FillEffectList();
    SizeListColumns();
    FUi->ListView1->setItemDelegate(new TStatusProgressDelegate(FUi->ListView1));
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    CreatePlayRun();
    CreatePopupMenu();
    OpenDialog1.Filter = QStringLiteral("Supported Formats (*.mp3;*.wav)|*.mp3;*.wav");
    OpenDialog1.DefaultExt = QStringLiteral("mp3");
    OpenDialog1.Options = TUserDialogs::ofHideReadOnly | TUserDialogs::ofEnableSizing;
    SaveDialog1.Options = TUserDialogs::ofOverwritePrompt | TUserDialogs::ofHideReadOnly | TUserDialogs::ofEnableSizing;
    SetClientSize(ClientWidth, ClientHeight);
    TimerChecker->setObjectName(QStringLiteral("TimerChecker"));
    TimerChecker->setInterval(1000);
    ConnectHandlers();
    FSoundListIntake = new TSoundListIntake(FUi->ListView1);
    CreateProcessAll();
    SetStandardShortcuts();
    CreateListEditing();
    CreateUpdateCheckEntry();
    RemoveOnlineEntries();

    // An error escaping the creation is shown like any other escaping error;
    // the window still opens, the remaining creation steps are skipped.
    try {
        FormCreate(AExeFileName.isEmpty() ? Platform::ExecutablePath() : AExeFileName);
    } catch (const std::exception &error) {
        ShowStandardErrorBox(error, AppDataFolder.isEmpty() ? UseNewWorkFileHere() : QString());
    }
    TimerChecker->start(); // first tick about a second after the window is created
}

TAppForm::~TAppForm()
{
    RemoveOwnWorkFile();
}

void TAppForm::FormCreate(const QString &AExeFileName)
{
    ReadAppIdentity(AExeFileName);
    setWindowTitle(AppTitle);
    CreateAppDataFolder();
    ClaimWorkFile();
    // Recordings whose program was killed get the header they never received.
    TRecordingPlace::RepairLeftovers();

    // The language chosen in the language dialog, else the automatic choice.
    LoadChosenLanguage(SettingsStore().ReadString(LanguageSection, LanguageValue, QString()));
}

void TAppForm::ShowStandardErrorBox(const std::exception &AError, const QString &AWorkFile)
{
    QString text = QString::fromUtf8(AError.what());
    // Without the data folder, results go to a new file in the current folder.
    if (!AWorkFile.isEmpty())
        text += QStringLiteral("\n\nResults go to: ") + AWorkFile;
    TUserDialogs::ShowStandardError(text);
}

void TAppForm::SetClientSize(int AWidth, int AHeight)
{
    // The client area is what lies below the menu bar.
    resize(AWidth, AHeight + FUi->MainMenu1->sizeHint().height());
}

void TAppForm::showEvent(QShowEvent *AEvent)
{
    // Centred once the menu bar has its final height, as the window first appears.
    if (!FPlaced) {
        FPlaced = true;
        SetClientSize(ClientWidth, ClientHeight);
        QRect area = frameGeometry();
        area.moveCenter(screen()->availableGeometry().center());
        move(area.topLeft());
    }
    QMainWindow::showEvent(AEvent);
}

void TAppForm::SizeListColumns()
{
    // The status column is as wide as its longest text, so "Processing..." and
    // its bar always show whole; the file takes the rest and loses the middle
    // of a long path, where its folders tell the least.
    QTreeWidget *list = FUi->ListView1;
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    list->setTextElideMode(Qt::ElideMiddle);
    int width = header->sectionSizeHint(StatusColumn);
    for (const QString &text : {TStatusProgressDelegate::BarText(ProcessingText, 1.0), RunOutcomeText(TRunOutcome::Complete),
                                RunOutcomeText(TRunOutcome::Error), RunOutcomeText(TRunOutcome::Aborted)})
        width = std::max(width, list->fontMetrics().horizontalAdvance(text) + StatusTextPadding);
    header->resizeSection(StatusColumn, width);
}

void TAppForm::ConnectHandlers()
{
    connect(TimerChecker, &QTimer::timeout, this, &TAppForm::TimerCheckerTimer);
    connect(FUi->ComboBox1, &QComboBox::currentIndexChanged, this, &TAppForm::ComboBox1Change);
    connect(FUi->Help2, &QAction::triggered, this, &TAppForm::Help2Click);
    connect(FUi->UpdateNotifications1, &QAction::triggered, this, &TAppForm::UpdateNotifications1Click);
    connect(FUi->Exit1, &QAction::triggered, this, &TAppForm::Exit1Click);
    connect(FUi->Language1, &QAction::triggered, this, &TAppForm::Language1Click);
    connect(FUi->About1, &QAction::triggered, this, &TAppForm::About1Click);
    connect(FUi->SendFeedback1, &QAction::triggered, this, &TAppForm::SendFeedback1Click);
    connect(FUi->AddSoundFile1, &QAction::triggered, this, &TAppForm::AddSoundFile1Click);
    connect(FUi->RecordVoice1, &QAction::triggered, this, &TAppForm::RecordVoice1Click);
    connect(FUi->LiveVoice1, &QAction::triggered, this, &TAppForm::LiveVoice1Click);
    connect(FUi->ButtonPlay, &QPushButton::clicked, this, &TAppForm::ButtonPlayClick);
    connect(FUi->ButtonSave, &QPushButton::clicked, this, &TAppForm::ButtonSaveClick);
    connect(FUi->SaveasMP32, &QAction::triggered, this, &TAppForm::SaveasMP32Click);
    connect(FUi->SaveasWAV2, &QAction::triggered, this, &TAppForm::SaveasWAV2Click);
    connect(MediaPlayer1, &TMediaPlayer::Notify, this, &TAppForm::MediaPlayer1Notify);
    FPreviewControl =
        new TPreviewControl(FUi->ButtonPreview, FUi->ComboBox1, FUi->TrackBar1, FUi->TrackBar2, FUi->ListView1);
}

void TAppForm::CreatePlayRun()
{
    FPlayRun->Runner()->setObjectName(QStringLiteral("ProcessRunner1"));
    connect(FPlayRun, &TEffectRun::NewLine, this, &TAppForm::PlayRunNewLine);
    connect(FPlayRun, &TEffectRun::ProgressChanged, this, &TAppForm::ShowPlayRunProgress);
    connect(FPlayRun, &TEffectRun::Finished, this, &TAppForm::PlayRunFinished);
    // The runner's own error box (a tool that cannot be started, ...), shown
    // through the window's dialogs like every other message.
    TProcessRunner::SetErrorDisplay([](const QString &ACaption, const QString &AText) {
        TUserDialogs::ShowMessage(AText, ACaption, TUserDialogs::IconError);
    });
}

void TAppForm::CreatePopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    SaveasMP31 = PopupMenu1->addAction(FUi->SaveasMP32->icon(), QStringLiteral("Save as MP3..."));
    SaveasMP31->setObjectName(QStringLiteral("SaveasMP31"));
    SaveasWAV1 = PopupMenu1->addAction(FUi->SaveasWAV2->icon(), QStringLiteral("Save as WAV..."));
    SaveasWAV1->setObjectName(QStringLiteral("SaveasWAV1"));
    connect(SaveasMP31, &QAction::triggered, this, &TAppForm::SaveasMP31Click);
    connect(SaveasWAV1, &QAction::triggered, this, &TAppForm::SaveasWAV1Click);
}

void TAppForm::SetStandardShortcuts()
{
    // The keys every desktop program uses for these; F1 stays in the form. A
    // desktop without keys of its own for Save As and Quit gets the usual ones.
    const auto standardOr = [](QKeySequence::StandardKey AKey, QKeyCombination AUsual) {
        const QKeySequence keys(AKey);
        return keys.isEmpty() ? QKeySequence(AUsual) : keys;
    };
    FUi->AddSoundFile1->setShortcut(QKeySequence::Open);
    FUi->SaveasWAV2->setShortcut(QKeySequence::Save);
    FUi->SaveasMP32->setShortcut(standardOr(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    FUi->Exit1->setShortcut(standardOr(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q));
}

void TAppForm::CreateListEditing()
{
    // Process All knows its files by their place in the list: none may go meanwhile.
    FListEditing = new TSoundListEditing(FUi->ListView1, [this](QTreeWidgetItem *AItem) {
        return FProcessAll->IsRunning() || (FPlayRun->IsRunning() && AItem == FProcessedItem);
    });
    connect(FListEditing, &TSoundListEditing::ItemRemoving, this, [this](QTreeWidgetItem *AItem) {
        if (AItem == FProcessedItem)
            FProcessedItem = nullptr;
    });
    // Beside Add Sound File: the entries that change the list go together.
    const QList<QAction *> entries = FUi->File1->actions();
    FUi->File1->insertActions(entries.value(entries.indexOf(FUi->AddSoundFile1) + 1),
                              {FListEditing->RemoveAction(), FListEditing->ClearAction()});
}

void TAppForm::CreateUpdateCheckEntry()
{
    CheckforUpdates1 = new QAction(QStringLiteral("Check for Updates at Start-up"), this);
    CheckforUpdates1->setObjectName(QStringLiteral("CheckforUpdates1"));
    CheckforUpdates1->setCheckable(true);
    CheckforUpdates1->setChecked(SettingsStore().ReadString(LanguageSection, UpdateCheckValue, QString())
                                 != QStringLiteral("0"));
    FUi->Help1->insertAction(FUi->N4, CheckforUpdates1);
    connect(CheckforUpdates1, &QAction::triggered, this, &TAppForm::CheckforUpdates1Click);
}

void TAppForm::CheckforUpdates1Click()
{
    // Read at the next start: this start's check has been made or skipped already.
    SettingsStore().WriteString(LanguageSection, UpdateCheckValue,
                                CheckforUpdates1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void TAppForm::RemoveOnlineEntries()
{
#if !TONARA_ONLINE
    for (QAction *entry : {FUi->UpdateNotifications1, CheckforUpdates1, FUi->SendFeedback1})
        FUi->Help1->removeAction(entry);
#endif
}

void TAppForm::CreateProcessAll()
{
    FProcessAll = new TProcessAll(FUi->ListView1, FUi->ButtonPlay);
    auto *action = new QAction(QStringLiteral("Process All Files..."), this);
    action->setObjectName(QStringLiteral("ProcessAllFiles1"));
    action->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    FUi->File1->insertAction(FUi->RecordVoice1, action);
    connect(action, &QAction::triggered, this, &TAppForm::ProcessAllFiles1Click);
}

void TAppForm::FillEffectList()
{
    for (const TEffectPreset &preset : EffectPresets())
        FUi->ComboBox1->addItem(QString::fromUtf8(preset.Item));
    FUi->ComboBox1->setCurrentIndex(DefaultEffectIndex);
}

void TAppForm::SetLanguageFile(const QString &AFilename)
{
    SettingsStore().WriteString(LanguageSection, LanguageValue, AFilename);
}

void TAppForm::ComboBox1Change()
{
    if (FUi->ComboBox1->currentText() == QLatin1String(CustomEffectItem)) {
        // The layout keeps the rows in order: filter, rate, tempo, buttons.
        FUi->Panel3->setVisible(true);
        FUi->Panel4->setVisible(true);
        FUi->TrackBar1->setValue(RatePositionAtStart);
        FUi->TrackBar2->setValue(TempoPositionAtStart);
    } else {
        FUi->Panel3->setVisible(false);
        FUi->Panel4->setVisible(false);
    }
}

void TAppForm::Help2Click()
{
    // Whether a browser could be started is not reported.
    TLinkOpener::Open(QUrl(OnlineHelpAddress(AppProductName)));
}

void TAppForm::UpdateNotifications1Click()
{
    // The action has already moved its check mark on the click.
    const bool checked = FUi->UpdateNotifications1->isChecked();
    SettingsStore().WriteString(QStringLiteral("Settings"), QStringLiteral("ShowUpdate"),
                                checked ? QStringLiteral("1") : QStringLiteral("0"));
}

void TAppForm::Exit1Click()
{
    QCoreApplication::quit();
}

void TAppForm::Language1Click()
{
    // Owned by no window: it centres itself on the screen and frees itself on closing.
    auto *form = new TTranslateForm;
    connect(form, &TTranslateForm::LanguageFileChosen, this, &TAppForm::SetLanguageFile);
    form->exec();
}

void TAppForm::About1Click()
{
    (new TAboutBox)->exec();
}

void TAppForm::SendFeedback1Click()
{
#if TONARA_ONLINE
    TFeedbackForm form(this);
    form.exec();
#endif
}

void TAppForm::TimerCheckerTimer()
{
    if (FUpdateCheckMarker == 0) {
        if (!TONARA_ONLINE || !CheckforUpdates1->isChecked()) {
            // Nothing is sent: the user (or the build) turned the check off.
            TimerChecker->stop();
            return;
        }
        FUpdateCheckMarker = 1;
        StartUpdateCheck();
        return;
    }
    if (!FUpdateResults->CheckFinished.load(std::memory_order_acquire))
        return;
    TimerChecker->stop();
    if (FUpdateResults->UpdateSwitchAvailable) {
        FUi->UpdateNotifications1->setEnabled(true);
        if (FUpdateResults->ShowUpdateValue == 0)
            FUi->UpdateNotifications1->setChecked(false);
    }
    if (FUpdateResults->UpdateAvailable)
        ShowUpdatePopup();
}

void TAppForm::StartUpdateCheck()
{
#if TONARA_ONLINE
    // On a thread of its own: the window stays responsive whatever the server does.
    FUpdateCheck = TChecker::Start(FUpdateResults, GuiThreadNotice());
#endif
}

void TAppForm::ShowUpdatePopup()
{
    NewVer = new TNewVer(this, FUpdateResults->ServerVersion, FUpdateResults->UpdateURL);
}

void TAppForm::AddSoundFile1Click()
{
    OpenDialog1.Folder = TDialogFolder::StartFolder();
    if (!TUserDialogs::OpenFileName(this, OpenDialog1))
        return;
    TDialogFolder::Remember(OpenDialog1.FileName);
    // Not selected, not checked for existence; a file in the list already stays once.
    FSoundListIntake->AddOne(OpenDialog1.FileName);
}

void TAppForm::RecordVoice1Click()
{
    if (!RecorderForm1) {
        RecorderForm1 = new TRecorderForm(this);
        // Added like a file from the command line: at the end, selected.
        connect(RecorderForm1, &TRecorderForm::RecordingFinished, this,
                [this](const QString &APath) { FSoundListIntake->Add({APath}, true); });
    }
    RecorderForm1->show();
    RecorderForm1->raise();
    RecorderForm1->activateWindow();
}

void TAppForm::LiveVoice1Click()
{
    if (!LiveVoiceForm1)
        LiveVoiceForm1 = new TLiveVoiceForm(this);
    LiveVoiceForm1->show();
    LiveVoiceForm1->raise();
    LiveVoiceForm1->activateWindow();
}

void TAppForm::OpenSoundFiles(const QStringList &APaths)
{
    FSoundListIntake->Add(APaths, true);
}

void TAppForm::OpenFilesFromAnotherStart(const QStringList &APaths)
{
    FSoundListIntake->Add(APaths, false);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TAppForm::ButtonPlayClick()
{
    // During "Process All" the button stops the runs under way.
    if (FProcessAll->IsRunning()) {
        FProcessAll->Stop();
        return;
    }
    if (FUi->ButtonPlay->text() == StopCaption) {
        StopRunOrPlayback();
        return;
    }
    QTreeWidget *list = FUi->ListView1;
    if (list->selectedItems().isEmpty() && list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    if (list->selectedItems().isEmpty()) {
        TUserDialogs::ShowMessage(QStringLiteral("No file selected!"), QStringLiteral("Warning"),
                                  TUserDialogs::IconWarning);
        return;
    }
    // Play's result is heard alone.
    FPreviewControl->Stop();
    StartRun(list->selectedItems().constFirst());
}

void TAppForm::ProcessAllFiles1Click()
{
    if (FPlayRun->IsRunning() || FProcessAll->IsRunning())
        return;
    if (FUi->ListView1->topLevelItemCount() == 0) {
        TUserDialogs::ShowMessage(QStringLiteral("No file selected!"), QStringLiteral("Warning"),
                                  TUserDialogs::IconWarning);
        return;
    }
    FProcessAll->Start(FUi->ComboBox1->currentText(), FUi->TrackBar1->value(), FUi->TrackBar2->value(), WorkFile());
}

void TAppForm::StartRun(QTreeWidgetItem *AItem)
{
    AbortRequested = false;
    FUi->ButtonPlay->setText(StopCaption);
    AItem->setText(StatusColumn, ProcessingText);
    // Saving offers the last complete result only, never a run under way.
    FUi->ButtonSave->setEnabled(false);
    MediaPlayer1->Close(); // lets go of the previous result before it is deleted
    try {
        FPlayRun->Start({AItem->text(0), FUi->ComboBox1->currentText(), FUi->TrackBar1->value(),
                         FUi->TrackBar2->value(), WorkFile()});
        // From here on the run is this item's, whatever gets selected meanwhile.
        FProcessedItem = AItem;
        FRunInput = AItem->text(0);
        FRunEffect = FUi->ComboBox1->currentText();
        ShowProgress(TStatusProgressDelegate::Indeterminate);
    } catch (const std::exception &) {
        // The caption stays "Stop": one press brings "Play" back.
        TUserDialogs::ShowMessage(QStringLiteral("Operation Failed!"), QStringLiteral("Error"),
                                  TUserDialogs::IconError);
    }
}

void TAppForm::StopRunOrPlayback()
{
    AbortRequested = true;
    FPlayRun->Stop();
    // A stopped play reports its end, which brings "Play" back.
    if (MediaPlayer1->IsPlaying())
        MediaPlayer1->Stop();
    else
        FUi->ButtonPlay->setText(PlayCaption);
}

void TAppForm::PlayRunNewLine(const QString &ANewLine, TOutputType)
{
    FUi->Memo1->appendPlainText(ANewLine);
}

void TAppForm::ShowPlayRunProgress()
{
    const std::optional<double> fraction = FPlayRun->Fraction();
    ShowProgress(fraction ? QVariant(*fraction) : QVariant(TStatusProgressDelegate::Indeterminate));
}

void TAppForm::ShowProgress(const QVariant &AValue)
{
    if (FProcessedItem)
        FProcessedItem->setData(StatusColumn, TStatusProgressDelegate::ProgressRole, AValue);
}

void TAppForm::PlayRunFinished(TRunOutcome AOutcome, const QString &)
{
    ShowProgress(QVariant());
    // The row that was processed, whichever is selected now.
    if (FProcessedItem)
        FProcessedItem->setText(StatusColumn, RunOutcomeText(AOutcome));
    if (AOutcome != TRunOutcome::Complete)
        return;
    FProposeSaveName = true;
    FUi->ButtonSave->setEnabled(true);
    PlayResult();
}

void TAppForm::PlayResult()
{
    try {
        MediaPlayer1->SetFileName(WorkFile());
        MediaPlayer1->Open();
        MediaPlayer1->Play();
    } catch (const std::exception &) {
        // Nothing plays, so nothing would ever bring "Play" back.
        MediaPlayer1->Close();
        TUserDialogs::ShowMessage(QStringLiteral("The result cannot be played!"), QStringLiteral("Error"),
                                  TUserDialogs::IconError);
        FUi->ButtonPlay->setText(PlayCaption);
    }
}

void TAppForm::MediaPlayer1Notify(TMediaPlayer::TNotifyValue AValue)
{
    FUi->ButtonPlay->setText(PlayCaption);
    if (AValue == TMediaPlayer::TNotifyValue::Failure)
        TUserDialogs::ShowMessage(QStringLiteral("The result cannot be played!"), QStringLiteral("Error"),
                                  TUserDialogs::IconError);
}

void TAppForm::ButtonSaveClick()
{
    PopupUnderButton(FUi->ButtonSave, PopupMenu1);
}

void TAppForm::SaveasMP32Click()
{
    if (FUi->ButtonSave->isEnabled())
        SaveasMP31->trigger();
}

void TAppForm::SaveasWAV2Click()
{
    if (FUi->ButtonSave->isEnabled())
        SaveasWAV1->trigger();
}

bool TAppForm::AskSaveTarget(const QString &ADefaultExt, const QString &AFilter)
{
    if (!FUi->ButtonSave->isEnabled() || FSaveProgress)
        return false;
    if (!FileExists(WorkFile())) {
        TUserDialogs::ShowMessage(QStringLiteral("No file to save!"), QStringLiteral("Warning"),
                                  TUserDialogs::IconWarning);
        return false;
    }
    SaveDialog1.DefaultExt = ADefaultExt;
    SaveDialog1.Filter = AFilter;
    SaveDialog1.Folder = TDialogFolder::StartFolder();
    // A new result gets a name of its own; saving it again offers the name chosen last.
    if (FProposeSaveName)
        SaveDialog1.FileName = TDialogFolder::ProposedSaveName(FRunInput, FRunEffect, ADefaultExt);
    if (!TUserDialogs::SaveFileName(this, SaveDialog1))
        return false;
    FProposeSaveName = false;
    TDialogFolder::Remember(SaveDialog1.FileName);
    const QString refusal = SaveTargetRefusal(SaveDialog1.FileName);
    if (!refusal.isEmpty()) {
        TUserDialogs::ShowMessage(refusal, QStringLiteral("Error"), TUserDialogs::IconError);
        return false;
    }
    return true;
}

void TAppForm::ShowSaved(const QString &APath)
{
    TUserDialogs::ShowMessage(QStringLiteral("Completed!\r\rLocation: ") + APath, QStringLiteral("Complete"),
                              TUserDialogs::IconInformation);
}

void TAppForm::SaveasWAV1Click()
{
    if (!AskSaveTarget(QStringLiteral("wav"), QStringLiteral("WAV File (*.wav)|*.wav")))
        return;
    auto *copy = new TWavCopy;
    QString why;
    if (!copy->Start(WorkFile(), SaveDialog1.FileName, &why)) {
        delete copy;
        TUserDialogs::ShowMessage(QStringLiteral("WAV Save Failed!\r\r") + why, QStringLiteral("Error"),
                                  TUserDialogs::IconError);
        return;
    }
    // A copy is mostly over at once; only a large one shows its progress.
    ShowSaveProgress(copy, QStringLiteral("Saving as WAV..."), WavProgressDelayMs, QStringLiteral("WAV Save Failed!"));
}

void TAppForm::SaveasMP31Click()
{
    if (!AskSaveTarget(QStringLiteral("mp3"), QStringLiteral("MP3 File (*.mp3)|*.mp3")))
        return;
    auto *conversion = new TMp3Conversion;
    QString why;
    if (!conversion->Start(WorkFile(), SaveDialog1.FileName, &why)) {
        delete conversion;
        TUserDialogs::ShowMessage(QStringLiteral("MP3 Conversion Failed!\r\r") + why, QStringLiteral("Error"),
                                  TUserDialogs::IconError);
        return;
    }
    ShowSaveProgress(conversion, QStringLiteral("Saving as MP3..."), 0, QStringLiteral("MP3 Conversion Failed!"));
}

void TAppForm::ShowSaveProgress(TSaveJob *AJob, const QString &ALabel, int AShowAfterMs, const QString &AFailure)
{
    // The event loop keeps turning meanwhile; the dialog keeps the window from
    // starting a run over the result being saved.
    FSaveProgress = new TSaveProgress(this, AJob, ALabel, AShowAfterMs);
    const QString target = SaveDialog1.FileName;
    connect(FSaveProgress, &TSaveProgress::Done, this,
            [this, target, AFailure](bool ASaved, bool ACancelled, const QString &AWhy) {
                if (ASaved)
                    ShowSaved(target);
                else if (!ACancelled)
                    TUserDialogs::ShowMessage(AFailure + QStringLiteral("\r\r") + AWhy, QStringLiteral("Error"),
                                              TUserDialogs::IconError);
            });
}
