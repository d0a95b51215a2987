#include "gui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

TUserDialogs::TMessageAnswer &MessageAnswer()
{
    static TUserDialogs::TMessageAnswer answer;
    return answer;
}

TUserDialogs::TQuestionAnswer &QuestionAnswer()
{
    static TUserDialogs::TQuestionAnswer answer;
    return answer;
}

TUserDialogs::TBeepAnswer &BeepAnswer()
{
    static TUserDialogs::TBeepAnswer answer;
    return answer;
}

TUserDialogs::TFileAnswer &FileAnswer()
{
    static TUserDialogs::TFileAnswer answer;
    return answer;
}

QMessageBox::Icon BoxIcon(int AIcon)
{
    switch (AIcon) {
    case TUserDialogs::IconError:
        return QMessageBox::Critical;
    case TUserDialogs::IconWarning:
        return QMessageBox::Warning;
    case TUserDialogs::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void TUserDialogs::ShowMessage(const QString &AText, const QString &ACaption, int AIcon)
{
    if (MessageAnswer()) {
        MessageAnswer()(AText, ACaption, AIcon);
        return;
    }
    QMessageBox box(BoxIcon(AIcon), ACaption, AText, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TUserDialogs::ShowStandardError(const QString &AText)
{
    ShowMessage(AText, QCoreApplication::applicationName(), IconError);
}

bool TUserDialogs::AskYesNo(const QString &AText, const QString &ACaption)
{
    if (QuestionAnswer())
        return QuestionAnswer()(AText, ACaption);
    QMessageBox box(QMessageBox::Question, ACaption, AText, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // file names are text, never markup
    return box.exec() == QMessageBox::Yes;
}

void TUserDialogs::MessageBeep()
{
    if (BeepAnswer())
        BeepAnswer()();
    else
        QApplication::beep();
}

bool TUserDialogs::OpenFileName(QWidget *AOwner, TFileRequest &ARequest)
{
    return ExecFileDialog(AOwner, false, ARequest);
}

bool TUserDialogs::SaveFileName(QWidget *AOwner, TFileRequest &ARequest)
{
    return ExecFileDialog(AOwner, true, ARequest);
}

bool TUserDialogs::ExecFileDialog(QWidget *AOwner, bool ASave, TFileRequest &ARequest)
{
    if (FileAnswer())
        return FileAnswer()(ASave, ARequest);

    QFileDialog dialog(AOwner);
    dialog.setAcceptMode(ASave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(ASave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(ARequest.Options & ofOverwritePrompt));
    dialog.setSizeGripEnabled(ARequest.Options & ofEnableSizing);
    dialog.setNameFilters(NameFilters(ARequest.Filter));
    dialog.setDefaultSuffix(ARequest.DefaultExt);
    if (!ARequest.FileName.isEmpty())
        dialog.selectFile(ARequest.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    ARequest.FileName = dialog.selectedFiles().constFirst();
    return true;
}

void TUserDialogs::SetMessageAnswer(TMessageAnswer AAnswer)
{
    MessageAnswer() = std::move(AAnswer);
}

void TUserDialogs::SetQuestionAnswer(TQuestionAnswer AAnswer)
{
    QuestionAnswer() = std::move(AAnswer);
}

void TUserDialogs::SetBeepAnswer(TBeepAnswer AAnswer)
{
    BeepAnswer() = std::move(AAnswer);
}

void TUserDialogs::SetFileAnswer(TFileAnswer AAnswer)
{
    FileAnswer() = std::move(AAnswer);
}

QStringList TUserDialogs::NameFilters(const QString &AFilter)
{
    // Qt takes the patterns from the last parentheses of the text, separated by
    // blanks, so the text's own "(*.mp3;*.wav)" is replaced by the real list.
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = AFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i];
        text.remove(trailingPatterns);
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(text, patterns);
    }
    return filters;
}
