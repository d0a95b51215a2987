#include "gui/TranslateForm.h"

#include "gui/LinkOpener.h"
#include "gui/UserDialogs.h"
#include "i18n/Language.h"
#include "i18n/LanguageCodes.h"
#include "i18n/TextFileLines.h"
#include "identity/AppIdentity.h"
#include "online/MakerLinks.h"
#include "platform/ExecutableFolder.h"
#include "platform/RestartScript.h"
#include "ui_TranslateForm.h"

#include <QCollator>
#include <QUrl>

#include <algorithm>

QString InitialLanguage;

namespace {

const QString MakerName = QStringLiteral("Quillaby");
const QString TranslatorsKey = QStringLiteral("INFO:Translated By");

} // namespace

TTranslateForm::TTranslateForm(QWidget *AParent, const QString &AExeFileName)
    : QDialog(AParent)
    , FUi(std::make_unique<Ui::TTranslateForm>())
    , FExeFileName(AExeFileName.isEmpty() ? Platform::ExecutablePath() : AExeFileName)
{
    FUi->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    connect(FUi->ComboBox1, &QComboBox::currentIndexChanged, this, &TTranslateForm::ComboBox1Change);
    connect(FUi->Label3, &TLinkLabel::Click, this, &TTranslateForm::Label3Click);
    connect(FUi->BitBtn1, &QPushButton::clicked, this, &TTranslateForm::BitBtn1Click);
    connect(FUi->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

TTranslateForm::~TTranslateForm() = default;

void TTranslateForm::FormCreate()
{
    setWindowTitle(Translate(QStringLiteral("Language")));
    FUi->Label1->setText(Translate(QStringLiteral("User Interface Language:")));
    FUi->Label2->setText(Translate(QStringLiteral("Translated by:")));
    FUi->BitBtn1->setText(Translate(QStringLiteral("OK")));
    FUi->BitBtn2->setText(Translate(QStringLiteral("Cancel")));
    FUi->Label3->setText(Translate(QStringLiteral("Contribute Translation")));
    FillLanguageList();
    ComboBox1Change();
    InitialLanguage = FUi->ComboBox1->currentText();
}

void TTranslateForm::FillLanguageList()
{
    QStringList names{BuiltInLanguageName};
    for (const QString &file : LanguageFiles)
        names << LanguageDisplayName(file);
    // Kept sorted as a reader expects: alphabetically, whatever the letter case.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), collator);
    const QSignalBlocker quiet(FUi->ComboBox1);
    FUi->ComboBox1->addItems(names);
    const qsizetype active = names.indexOf(ActiveLanguageName);
    FUi->ComboBox1->setCurrentIndex(int(active >= 0 ? active : names.indexOf(BuiltInLanguageName)));
}

void TTranslateForm::ComboBox1Change()
{
    const QStringList translators = TranslatorsOf(FUi->ComboBox1->currentText()).split(u',');
    QStringList lines;
    for (const QString &name : translators)
        lines << TrimBlanksAndControls(name);
    FUi->RichEdit1->setPlainText(lines.join(u'\n'));
}

QString TTranslateForm::TranslatorsOf(const QString &ALanguage) const
{
    if (ALanguage == BuiltInLanguageName)
        return MakerName;
    // Read afresh on every change; a file that cannot be read names nobody.
    try {
        return LookupLanguageValue(ReadUtf8Lines(LanguagesFolder + u'/' + LanguageFileName(ALanguage)), TranslatorsKey);
    } catch (const ETextFileError &) {
        return QString();
    }
}

void TTranslateForm::Label3Click()
{
    // Whether a browser could be started is not reported.
    TLinkOpener::Open(QUrl(TranslationHelpAddress()));
}

void TTranslateForm::BitBtn1Click()
{
    const QString selection = FUi->ComboBox1->currentText();
    if (selection == InitialLanguage) {
        accept();
        return;
    }
    if (!TUserDialogs::AskYesNo(Translate(QStringLiteral("Restart Application?")), QCoreApplication::applicationName()))
        return;
    Restart(selection);
}

void TTranslateForm::Restart(const QString &ALanguage)
{
    emit LanguageFileChosen(LanguageFileName(ALanguage));
    QCoreApplication::processEvents();
    try {
        CreateAppDataFolder();
    } catch (const std::exception &) {
        // Not reported: writing the script below tells whether the folder is usable.
    }
    const QString script = AppDataFolder + QStringLiteral("start.sh");
    try {
        Platform::WriteRestartScript(script, FExeFileName);
    } catch (const std::exception &error) {
        TUserDialogs::ShowStandardError(QString::fromUtf8(error.what()));
        return;
    }
    QCoreApplication::processEvents();
    Platform::StartRestartScript(script, AppDataFolder);
    QCoreApplication::processEvents();
    QCoreApplication::quit();
}
