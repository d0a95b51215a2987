#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TTranslateForm;
}

// The text of the entry selected when the last language dialog was created;
// OK compares the final selection with it.
extern QString InitialLanguage;

// The language dialog: the languages found at start-up with the built-in
// English, who translated the selected one, and OK, which restarts the program
// into another language after asking. Shown modally, a fresh one each time; it
// frees itself when it closes.
class TTranslateForm : public QDialog
{
    Q_OBJECT

public:
    // AExeFileName is the program the restart starts: the running one unless a
    // test names another.
    explicit TTranslateForm(QWidget *AParent = nullptr, const QString &AExeFileName = QString());
    ~TTranslateForm() override;

signals:
    // The file name of the language chosen for the restart ("Deutsch.lang.txt").
    void LanguageFileChosen(const QString &AFileName);

public slots:
    void ComboBox1Change();
    void Label3Click();
    void BitBtn1Click();

private:
    void FormCreate();
    void FillLanguageList();
    QString TranslatorsOf(const QString &ALanguage) const;
    void Restart(const QString &ALanguage);

    std::unique_ptr<Ui::TTranslateForm> FUi;
    QString FExeFileName;
};
