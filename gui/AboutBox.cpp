#include "gui/AboutBox.h"

#include "gui/AppIcon.h"
#include "gui/DragMove.h"
#include "gui/LinkOpener.h"
#include "gui/PopupUnderButton.h"
#include "gui/UserDialogs.h"
#include "i18n/Language.h"
#include "identity/AppIdentity.h"
#include "online/MakerLinks.h"
#include "platform/ExecutableFolder.h"
#include "ui_AboutBox.h"

#include <QFileInfo>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int MatrixInterval = 50; // ms between two animation steps

// A desktop that cannot open it shows the address instead.
void OpenAddress(const QUrl &AAddress)
{
    TLinkOpener::Open(AAddress);
}

} // namespace

TAboutBox::TAboutBox(QWidget *AParent)
    : QDialog(AParent)
    , FUi(std::make_unique<Ui::TAboutBox>())
    , PopupMenu1(new QMenu(this))
    , tmTimer(new QTimer(this))
{
    Q_INIT_RESOURCE(tonara_images);
    FUi->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    CreatePopupMenu();
    tmTimer->setObjectName(QStringLiteral("tmTimer"));
    connect(tmTimer, &QTimer::timeout, this, &TAboutBox::tmTimerTimer);
    connect(FUi->BitBtn1, &QPushButton::clicked, this, &TAboutBox::BitBtn1Click);
    connect(FUi->BitBtn2, &QPushButton::clicked, this, &TAboutBox::BitBtn2Click);
    connect(FUi->Label5, &TLinkLabel::Click, this, &TAboutBox::Label5Click);
    // The buttons and the link are left out: their clicks stay clicks.
    new TDragMove(this, {FUi->Panel1, FUi->Image1, FUi->Label2, FUi->Image2});
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::CreatePopupMenu()
{
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Credits1 = PopupMenu1->addAction(QString(), this, &TAboutBox::Credits1Click);
    Credits1->setObjectName(QStringLiteral("Credits1"));
    Howtouninstall1 = PopupMenu1->addAction(QString(), this, &TAboutBox::Howtouninstall1Click);
    Howtouninstall1->setObjectName(QStringLiteral("Howtouninstall1"));
    LicensePrivacyPolicy1 = PopupMenu1->addAction(QString(), this, &TAboutBox::LicensePrivacyPolicy1Click);
    LicensePrivacyPolicy1->setObjectName(QStringLiteral("LicensePrivacyPolicy1"));
}

void TAboutBox::FormCreate()
{
    FMatrix.MatrixGlyphs = QStringLiteral("qby");
    StartMatrix();
    setWindowTitle(Translate(QStringLiteral("About")) + u' ' + AppProductName);
    FUi->Image1->setPixmap(AppIcon().pixmap(FUi->Image1->size()));
    FUi->Label2->setText(AppProductName + u' ' + AppVersion);
    FUi->BitBtn1->setText(Translate(QStringLiteral("OK")));
    FUi->BitBtn2->setText(Translate(QStringLiteral("Info")));
    Credits1->setText(Translate(QStringLiteral("Credits...")));
    Howtouninstall1->setText(Translate(QStringLiteral("How to uninstall...")));
    LicensePrivacyPolicy1->setText(Translate(QStringLiteral("License...")));
    FUi->Label5->setText(MakerWebAddress());
    FUi->Label5->setToolTip(HomePageAddress());
}

void TAboutBox::StartMatrix()
{
    // Before the window is shown Qt knows only its client size, which is what
    // the glyphs can cover anyway.
    FMatrix.StartMatrix(size());
    tmTimer->start(MatrixInterval);
}

void TAboutBox::tmTimerTimer()
{
    FMatrix.StepMatrix();
    update();
}

void TAboutBox::paintEvent(QPaintEvent *AEvent)
{
    // The panel paints itself over the middle, so the glyphs show only in the margin.
    QPainter painter(this);
    painter.fillRect(AEvent->rect(), Qt::black);
    painter.drawImage(AEvent->rect().topLeft(), FMatrix.Bitmap(), AEvent->rect());
}

void TAboutBox::resizeEvent(QResizeEvent *AEvent)
{
    FMatrix.ResetMatrix(AEvent->size());
    QDialog::resizeEvent(AEvent);
}

void TAboutBox::BitBtn1Click()
{
    accept();
}

void TAboutBox::BitBtn2Click()
{
    PopupUnderButton(FUi->BitBtn2, PopupMenu1);
}

void TAboutBox::Label5Click()
{
    OpenAddress(QUrl(HomePageAddress()));
}

void TAboutBox::Credits1Click()
{
    OpenAddress(QUrl(CreditsAddress()));
}

void TAboutBox::Howtouninstall1Click()
{
    OpenAddress(QUrl(UninstallHelpAddress()));
}

void TAboutBox::LicensePrivacyPolicy1Click()
{
    const QString path = Platform::ExecutableFolder() + QStringLiteral("license.txt");
    if (!QFileInfo::exists(path)) {
        TUserDialogs::ShowMessage(Translate(QStringLiteral("File not found!")), Translate(QStringLiteral("License")),
                                  TUserDialogs::IconError);
        return;
    }
    // The desktop's own viewer for text files.
    OpenAddress(QUrl::fromLocalFile(path));
}
