#pragma once

#include "gui/GlyphMatrix.h"

#include <QDialog>
#include <memory>

class QAction;
class QMenu;
class QTimer;

namespace Ui {
class TAboutBox;
}

// The about box: banner, icon, product name and version, OK, Info with its
// menu of links, and the maker's web address, inside a black margin in which
// glyphs fall. Shown modally, a fresh one each time; it frees itself (and its
// timer) when it closes.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *AParent = nullptr);
    ~TAboutBox() override;

    TGlyphMatrix &Matrix() { return FMatrix; }

public slots:
    void tmTimerTimer();
    void BitBtn1Click();
    void BitBtn2Click();
    void Label5Click();
    void Credits1Click();
    void Howtouninstall1Click();
    void LicensePrivacyPolicy1Click();

protected:
    void paintEvent(QPaintEvent *AEvent) override;
    void resizeEvent(QResizeEvent *AEvent) override;

private:
    void FormCreate();
    void CreatePopupMenu();
    void StartMatrix();

    std::unique_ptr<Ui::TAboutBox> FUi;
    QMenu *PopupMenu1;
    QAction *Credits1;
    QAction *Howtouninstall1;
    QAction *LicensePrivacyPolicy1;
    QTimer *tmTimer;
    TGlyphMatrix FMatrix;
};
