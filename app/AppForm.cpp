#include "app/AppForm.h"

#include "app/AppIdentity.h"
#include "app/EffectPresets.h"
#include "app/OnlineHelp.h"
#include "app/SettingsStore.h"
#include "app/UserDialogs.h"
#include "i18n/Language.h"
#include "platform/ExecutableFolder.h"
#include "ui_AppForm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int ClientWidth = 520;
constexpr int ClientHeight = 370;
constexpr int RatePositionAtStart = 10;
constexpr int TempoPositionAtStart = 2;

} // namespace

TAppForm::TAppForm(QWidget *AParent, const QString &AExeFileName)
    : QMainWindow(AParent), FUi(std::make_unique<Ui::TAppForm>()), TimerChecker(new QTimer(this)),
      FUpdateResults(std::make_shared<TUpdateCheckResults>())
{
    Q_INIT_RESOURCE(tonara_icons);
    FUi->setupUi(this);
    FillEffectList();
    SizeListColumns();
    SetClientSize(ClientWidth, ClientHeight);
    TimerChecker->setObjectName(QStringLiteral("TimerChecker"));
    TimerChecker->setInterval(1000);
    ConnectHandlers();

    // An error escaping the creation is shown like any other escaping error;
    // the window still opens, the remaining creation steps are skipped.
    try {
        FormCreate(AExeFileName.isEmpty() ? Platform::ExecutablePath() : AExeFileName);
    } catch (const std::exception &error) {
        ShowStandardErrorBox(error);
    }
    TimerChecker->start(); // first tick about a second after the window is created
}

TAppForm::~TAppForm() = default;

void TAppForm::FormCreate(const QString &AExeFileName)
{
    ReadAppIdentity(AExeFileName);
    setWindowTitle(AppTitle);
    CreateAppDataFolder();

    LoadActiveLanguage(QString()); // automatic choice from the user's UI language
}

void TAppForm::ShowStandardErrorBox(const std::exception &AError)
{
    TUserDialogs::ShowMessage(QString::fromUtf8(AError.what()), QCoreApplication::applicationName(),
                              TUserDialogs::IconError);
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
    // Both columns size themselves: the status fits its text, the file takes the rest.
    QHeaderView *header = FUi->ListView1->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
}

void TAppForm::ConnectHandlers()
{
    connect(TimerChecker, &QTimer::timeout, this, &TAppForm::TimerCheckerTimer);
    connect(FUi->ComboBox1, &QComboBox::currentIndexChanged, this, &TAppForm::ComboBox1Change);
    connect(FUi->Help2, &QAction::triggered, this, &TAppForm::Help2Click);
    connect(FUi->UpdateNotifications1, &QAction::triggered, this, &TAppForm::UpdateNotifications1Click);
    connect(FUi->Exit1, &QAction::triggered, this, &TAppForm::Exit1Click);
}

void TAppForm::FillEffectList()
{
    for (const TEffectPreset &preset : EffectPresets())
        FUi->ComboBox1->addItem(QString::fromUtf8(preset.Item));
    FUi->ComboBox1->setCurrentIndex(DefaultEffectIndex);
}

void TAppForm::SetLanguageFile(const QString &)
{
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
    QDesktopServices::openUrl(QUrl(OnlineHelpAddress(AppProductName)));
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

void TAppForm::TimerCheckerTimer()
{
    if (FUpdateCheckMarker == 0) {
        FUpdateCheckMarker = 1;
        TUpdateCheckSeam::StartCheck(FUpdateResults);
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
        TUpdateCheckSeam::ShowPopup(this);
}
