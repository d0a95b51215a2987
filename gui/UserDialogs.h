#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every message box, beep and file dialog of the windows goes through here, so
// that tests can answer them. Without answers installed, the real QMessageBox
// and QFileDialog are shown, modally.
class TUserDialogs
{
public:
    // Icon flags of a message box.
    enum TIcon { IconError = 16, IconWarning = 48, IconInformation = 64 };

    // Options of a file dialog (a set of flags).
    enum TOption {
        ofOverwritePrompt = 0x1, // ask before an existing file is replaced
        ofHideReadOnly = 0x2,    // no read-only check box (Qt's dialogs never have one)
        ofEnableSizing = 0x4,    // the dialog can be resized
    };

    struct TFileRequest
    {
        QString Filter;     // "Text|pattern;pattern|Text|pattern"
        QString DefaultExt; // without the dot; added when a typed name has none
        QString FileName;   // the name the dialog opens with; receives the chosen one
        int Options = 0;    // TOption flags
        QString Folder;     // where the dialog opens when FileName names no folder
    };

    using TMessageAnswer = std::function<void(const QString &AText, const QString &ACaption, int AIcon)>;
    // Answers a question box: true for Yes, false for No.
    using TQuestionAnswer = std::function<bool(const QString &AText, const QString &ACaption)>;
    using TBeepAnswer = std::function<void()>;
    // Answers a file dialog (ASave tells which kind): true with ARequest.FileName
    // set to the chosen file, or false for Cancel.
    using TFileAnswer = std::function<bool(bool ASave, TFileRequest &ARequest)>;

    // A modal message box with one OK button. The text is always plain text:
    // some of it comes from the maker's server and must never be read as markup.
    static void ShowMessage(const QString &AText, const QString &ACaption, int AIcon);
    // ShowMessage whose text can be selected and copied (an address to open by hand).
    static void ShowSelectableMessage(const QString &AText, const QString &ACaption, int AIcon);
    // The standard error box: an error no handler took, with the application's name as caption.
    static void ShowStandardError(const QString &AText);
    // A modal question box with Yes and No; true for Yes.
    static bool AskYesNo(const QString &AText, const QString &ACaption);
    // The default beep, for a request that has nothing to act on.
    static void MessageBeep();
    // The open dialog for one existing file; false when the user cancels.
    static bool OpenFileName(QWidget *AOwner, TFileRequest &ARequest);
    // The save dialog; false when the user cancels.
    static bool SaveFileName(QWidget *AOwner, TFileRequest &ARequest);

    // Tests answer the dialogs themselves; an empty function restores the real one.
    static void SetMessageAnswer(TMessageAnswer AAnswer);
    static void SetQuestionAnswer(TQuestionAnswer AAnswer);
    static void SetBeepAnswer(TBeepAnswer AAnswer);
    static void SetFileAnswer(TFileAnswer AAnswer);

    // The name filters of a QFileDialog for a "Text|patterns|..." filter:
    // "WAV File (*.wav)|*.wav" gives "WAV File (*.wav)".
    static QStringList NameFilters(const QString &AFilter);

private:
    static bool ExecFileDialog(QWidget *AOwner, bool ASave, TFileRequest &ARequest);
};
