#include "gui/AboutBox.h"

#include "gui/PopupUnderButton.h"
#include "gui/UserDialogs.h"
#include "identity/AppIdentity.h"
#include "platform/ExecutableFolder.h"
#include "platform/TickCount.h"
#include "support/CaseName.h"
#include "support/RecordedMessage.h"
#include "support/ScopedEnv.h"
#include "support/UrlCatcher.h"
#include "support/WaitFor.h"

#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include "support/QtPrinters.h"

namespace {

class AboutBoxTest : public testing::Test
{
protected:
    void SetUp() override
    {
        AppProductName = QStringLiteral("Tonara");
        AppVersion = QStringLiteral("1.0");
        TUserDialogs::SetMessageAnswer([this](const QString &AText, const QString &ACaption, int AIcon) {
            FMessages.append({AText, ACaption, AIcon});
        });
        for (const char *scheme : {"http", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &FCatcher, "Open");
        FBox = new TAboutBox;
        FBox->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FBox));
    }

    void TearDown() override
    {
        delete FBox;
        for (const char *scheme : {"http", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        TUserDialogs::SetMessageAnswer({});
    }

    template <typename T> T *Child(const char *AName) const
    {
        T *child = FBox->findChild<T *>(QString::fromLatin1(AName));
        EXPECT_NE(child, nullptr) << AName;
        return child;
    }

    // Stops the animation, so a test sets the drops itself.
    TGlyphMatrix &StoppedMatrix()
    {
        Child<QTimer>("tmTimer")->stop();
        return FBox->Matrix();
    }

    const TScopedEnv FServer{"TONARA_SERVER", "127.0.0.1:8123"};
    TUrlCatcher FCatcher;
    QList<TMessage> FMessages;
    QPointer<TAboutBox> FBox;
};

} // namespace

TEST_F(AboutBoxTest, LayoutAndTexts)
{
    EXPECT_EQ(FBox->windowTitle(), QStringLiteral("About Tonara"));
    EXPECT_EQ(FBox->size(), QSize(446, 374));
    EXPECT_EQ(FBox->palette().color(QPalette::Window), QColor(Qt::black));
    const struct
    {
        const char *Name;
        QRect Geometry;
    } places[] = {
        {"Panel1", {48, 42, 350, 291}},   {"Image2", {3, 3, 344, 105}},   {"Bevel1", {9, 122, 34, 34}},
        {"Image1", {10, 123, 32, 32}},    {"Label2", {49, 122, 290, 40}}, {"BitBtn1", {49, 224, 122, 33}},
        {"BitBtn2", {177, 224, 122, 33}}, {"Label5", {0, 275, 350, 16}},
    };
    for (const auto &place : places)
        EXPECT_EQ(Child<QWidget>(place.Name)->geometry(), place.Geometry) << place.Name;

    EXPECT_EQ(Child<QLabel>("Image2")->pixmap().size(), QSize(344, 105));
    EXPECT_FALSE(Child<QLabel>("Image1")->pixmap().isNull());
    EXPECT_EQ(Child<QLabel>("Label2")->text(), QStringLiteral("Tonara 1.0"));
    const struct
    {
        const char *Name;
        int PixelSize;
        QColor Colour;
    } fonts[] = {{"Label2", 16, Qt::white},
                 {"BitBtn1", 16, Qt::black},
                 {"BitBtn2", 16, Qt::white},
                 {"Label5", 11, QColor(0, 255, 0)}};
    for (const auto &font : fonts) {
        const QWidget *widget = Child<QWidget>(font.Name);
        EXPECT_EQ(widget->font().pixelSize(), font.PixelSize) << font.Name;
        EXPECT_EQ(widget->palette().color(widget->foregroundRole()), font.Colour) << font.Name;
    }
    const auto *info = Child<QPushButton>("BitBtn2");
    EXPECT_EQ(info->text(), QStringLiteral("Info"));
    EXPECT_EQ(info->iconSize(), QSize(16, 16));
    EXPECT_FALSE(info->icon().isNull());
    EXPECT_EQ(Child<QPushButton>("BitBtn1")->text(), QStringLiteral("OK"));
    const auto *link = Child<QLabel>("Label5");
    EXPECT_EQ(link->text(), QStringLiteral("127.0.0.1:8123"));
    EXPECT_EQ(link->toolTip(), QStringLiteral("http://127.0.0.1:8123/"));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    QStringList entries;
    for (const QAction *action : Child<QMenu>("PopupMenu1")->actions())
        entries << action->text();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Credits..."), QStringLiteral("How to uninstall..."),
                                    QStringLiteral("License...")}));
}

TEST_F(AboutBoxTest, TheAnimationRunsEvery50Milliseconds)
{
    const auto *timer = Child<QTimer>("tmTimer");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 50);
    EXPECT_EQ(FBox->Matrix().MatrixGlyphs, QStringLiteral("qby"));
    EXPECT_EQ(FBox->Matrix().DropCount, 2 * (446 / 8));
    EXPECT_TRUE(WaitUntil([this] { return FBox->Matrix().FrameCount >= 3; }));
}

TEST_F(AboutBoxTest, GlyphsShowInTheMarginInTheirHeadAndTrailColours)
{
    TGlyphMatrix &matrix = StoppedMatrix();
    // Column 1 lies in the left margin; column 20 behind the panel.
    matrix.DropCount = 2;
    matrix.Drops[0] = TDrop{1, 10, 1, 99};
    matrix.Drops[1] = TDrop{20, 10, 1, 99};
    matrix.StepMatrix();

    const QColor head(148, 252, 98);
    const QColor trail(49, 84, 32);
    const auto coloursIn = [](const QImage &AImage, QRect ACell) {
        QSet<QRgb> colours;
        for (int y = ACell.top(); y <= ACell.bottom(); ++y)
            for (int x = ACell.left(); x <= ACell.right(); ++x)
                colours << AImage.pixel(x, y);
        return colours;
    };
    const QRect headCell(8, 10 * 12, 8, 12);
    const QRect trailCell(8, 9 * 12, 8, 12);
    EXPECT_EQ(coloursIn(matrix.Bitmap(), headCell), (QSet<QRgb>{qRgb(0, 0, 0), head.rgb()}));
    EXPECT_EQ(coloursIn(matrix.Bitmap(), trailCell), (QSet<QRgb>{qRgb(0, 0, 0), trail.rgb()}));

    // On the screen: the margin shows the glyphs, the panel covers the others.
    // A repaint keeps what was drawn.
    FBox->repaint();
    const QImage shown = FBox->grab().toImage();
    EXPECT_EQ(coloursIn(shown, headCell), coloursIn(matrix.Bitmap(), headCell));
    EXPECT_EQ(coloursIn(shown, trailCell), coloursIn(matrix.Bitmap(), trailCell));
    EXPECT_TRUE(coloursIn(matrix.Bitmap(), QRect(160, 120, 8, 12)).contains(head.rgb()));
    EXPECT_FALSE(coloursIn(shown, QRect(160, 120, 8, 12)).contains(head.rgb()));
}

TEST_F(AboutBoxTest, AResizeResetsTheAnimationButKeepsItsStartSize)
{
    TGlyphMatrix &matrix = StoppedMatrix();
    matrix.DrawDropGlyph(TDrop{1, 10, 1, 99}, u'q');
    matrix.DropCount = 0;
    matrix.FrameCount = 7;

    FBox->setFixedSize(300, 200);
    ASSERT_TRUE(WaitUntil([&] { return matrix.Bitmap().size() == QSize(300, 200); }));
    EXPECT_EQ(matrix.Bitmap().pixelColor(8 + 1, 10 * 12 + 6), QColor(Qt::black));
    EXPECT_EQ(matrix.bitmapWidth, 446);
    EXPECT_EQ(matrix.matrixWidth, 446 / 8);
    EXPECT_EQ(matrix.matrixHeight, 374 / 12);
    EXPECT_EQ(matrix.DropCount, 2 * (446 / 8));
    EXPECT_EQ(matrix.FrameCount, 7);
}

TEST_F(AboutBoxTest, InfoShowsItsMenuUnderTheButtonWithTheSharedGuard)
{
    auto *info = Child<QPushButton>("BitBtn2");
    auto *menu = Child<QMenu>("PopupMenu1");
    int shown = 0;
    QPoint shownAt;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [&] {
        ++shown;
        QTimer::singleShot(0, menu, [&] {
            shownAt = menu->pos();
            menu->close();
        });
    });
    LastPopupButton = nullptr;

    QTest::mouseClick(info, Qt::LeftButton);
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(shownAt, info->mapToGlobal(QPoint(0, info->height())));
    EXPECT_EQ(LastPopupButton, info);
    EXPECT_EQ(LastPopupMenu, menu);

    // The press that closed the menu must not reopen it.
    LastPopupTime = Platform::TickCount();
    QTest::mouseClick(info, Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    QTest::mouseClick(info, Qt::LeftButton);
    EXPECT_EQ(shown, 2);
}

TEST_F(AboutBoxTest, LinksOpenTheMakersPages)
{
    QTest::mouseClick(Child<QWidget>("Label5"), Qt::LeftButton);
    Child<QAction>("Credits1")->trigger();
    Child<QAction>("Howtouninstall1")->trigger();
    ASSERT_EQ(FCatcher.Urls.size(), 3);
    EXPECT_EQ(FCatcher.Urls[0].toString(), QStringLiteral("http://127.0.0.1:8123/"));
    EXPECT_EQ(FCatcher.Urls[1].toString(), QStringLiteral("http://127.0.0.1:8123/blog/credits/"));
    EXPECT_EQ(FCatcher.Urls[2].toString(),
              QStringLiteral("http://127.0.0.1:8123/blog/how-to-uninstall-quillaby-software/"));
}

TEST_F(AboutBoxTest, LicenseOpensTheFileBesideTheProgramOrSaysItIsMissing)
{
    const QString license = Platform::ExecutableFolder() + QStringLiteral("license.txt");
    QFile::remove(license);
    Child<QAction>("LicensePrivacyPolicy1")->trigger();
    ASSERT_EQ(FMessages.size(), 1);
    EXPECT_EQ(FMessages[0].Text, QStringLiteral("File not found!"));
    EXPECT_EQ(FMessages[0].Caption, QStringLiteral("License"));
    EXPECT_EQ(FMessages[0].Icon, TUserDialogs::IconError);
    EXPECT_TRUE(FCatcher.Urls.isEmpty());

    QFile file(license);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Child<QAction>("LicensePrivacyPolicy1")->trigger();
    QFile::remove(license);
    EXPECT_EQ(FMessages.size(), 1);
    ASSERT_EQ(FCatcher.Urls.size(), 1);
    EXPECT_EQ(FCatcher.Urls[0], QUrl::fromLocalFile(license));
}

namespace {

struct TDragCase
{
    const char *Name;
    const char *Control;
    bool Moves;
};

class AboutBoxDrag : public AboutBoxTest, public testing::WithParamInterface<TDragCase>
{};

} // namespace

TEST_P(AboutBoxDrag, OnlyThePassivePartsMoveTheBox)
{
    QWidget *control = GetParam().Control ? Child<QWidget>(GetParam().Control) : FBox.data();
    const QPoint before = FBox->pos();
    // Released beyond any button, so no click follows.
    const QPoint local(3, 3);
    const QPoint drag(130, 40);
    QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, local);
    QMouseEvent move(QEvent::MouseMove, local + drag, control->mapToGlobal(local + drag), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(control, &move);
    QTest::mouseRelease(control, Qt::LeftButton, Qt::NoModifier, local + drag);
    EXPECT_EQ(FBox->pos() - before, GetParam().Moves ? drag : QPoint(0, 0));
}

INSTANTIATE_TEST_SUITE_P(Controls, AboutBoxDrag,
                         testing::Values(TDragCase{"Window", nullptr, true}, TDragCase{"Panel", "Panel1", true},
                                         TDragCase{"Banner", "Image2", true}, TDragCase{"Icon", "Image1", true},
                                         TDragCase{"NameAndVersion", "Label2", true},
                                         TDragCase{"OKButton", "BitBtn1", false},
                                         TDragCase{"InfoButton", "BitBtn2", false}, TDragCase{"Link", "Label5", false}),
                         CaseName<TDragCase>);

namespace {

class AboutBoxEscape : public AboutBoxTest, public testing::WithParamInterface<const char *>
{};

} // namespace

TEST_P(AboutBoxEscape, EscOnAButtonClosesAndFreesTheBox)
{
    auto *button = Child<QPushButton>(GetParam());
    const QPointer<QTimer> timer = Child<QTimer>("tmTimer");
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([this] { return FBox.isNull(); }));
    EXPECT_TRUE(timer.isNull());
}

INSTANTIATE_TEST_SUITE_P(Buttons, AboutBoxEscape, testing::Values("BitBtn1", "BitBtn2"));
