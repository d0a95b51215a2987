#pragma once

#include "app/UpdateCheckSeam.h"

#include <QMainWindow>
#include <memory>

class QTimer;

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

    // Called by the language dialog with its choice. Start-up always picks the
    // language automatically, so the name is not used.
    void SetLanguageFile(const QString &AFilename);

public slots:
    void ComboBox1Change();
    void Help2Click();
    void UpdateNotifications1Click();
    void Exit1Click();
    void TimerCheckerTimer();

protected:
    void showEvent(QShowEvent *AEvent) override;

private:
    void FormCreate(const QString &AExeFileName);
    void ShowStandardErrorBox(const std::exception &AError);
    void SetClientSize(int AWidth, int AHeight);
    void FillEffectList();
    void SizeListColumns();
    void ConnectHandlers();

    std::unique_ptr<Ui::TAppForm> FUi;
    QTimer *TimerChecker;
    int FUpdateCheckMarker = 0; // 1 once the update check has been started
    bool FPlaced = false;       // centred on the screen at the first show
    std::shared_ptr<TUpdateCheckResults> FUpdateResults;
};
