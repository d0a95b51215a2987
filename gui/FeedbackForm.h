#pragma once

#include "online/Feedback.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TFeedbackForm;
}

// "Send Feedback": a liking choice, a message and an optional e-mail address,
// posted to the maker's server. Shown modally, a new one each time, centred on
// the screen; a failed send keeps everything the user entered.
class TFeedbackForm : public QDialog
{
    Q_OBJECT

public:
    explicit TFeedbackForm(QWidget *AParent = nullptr);
    ~TFeedbackForm() override;

    static constexpr int MemoMaxLength = 10000;

public slots:
    void Image1Click();
    void Image2Click();
    void BitBtn1Click();

private:
    void CentreOnScreen();
    void FormCreate();
    void ConnectHandlers();
    void Memo1Change();
    TFeedbackInput Input() const;
    TFeedbackOutcome Send(const TFeedbackInput &AInput);
    void Report(TFeedbackOutcome AOutcome);

    std::unique_ptr<Ui::TFeedbackForm> FUi;
};
