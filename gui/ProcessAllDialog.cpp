#include "gui/ProcessAllDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int MostJobs = 16;

} // namespace

TProcessAllDialog::TProcessAllDialog(QWidget *AParent, const QString &AFolder, int AJobs)
    : QDialog(AParent)
    , FFolder(new QLineEdit(AFolder, this))
    , FFormat(new QComboBox(this))
    , FJobs(new QSpinBox(this))
{
    setObjectName(QStringLiteral("ProcessAllDialog"));
    setWindowTitle(QStringLiteral("Process All Files"));
    FFolder->setObjectName(QStringLiteral("FolderEdit"));
    FFormat->setObjectName(QStringLiteral("FormatBox"));
    FFormat->addItems({QStringLiteral("WAV"), QStringLiteral("MP3")});
    FJobs->setObjectName(QStringLiteral("JobsBox"));
    FJobs->setRange(1, MostJobs);
    FJobs->setValue(AJobs);

    auto *browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &TProcessAllDialog::BrowseClick);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(FFolder, 1);
    folderRow->addWidget(browse);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Start"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Save results in folder:"), folderRow);
    form->addRow(QStringLiteral("Format:"), FFormat);
    form->addRow(QStringLiteral("Files processed at once:"), FJobs);
    form->addRow(buttons);
    FFolder->setFocus();
    FFolder->selectAll();
}

QString TProcessAllDialog::Folder() const
{
    return FFolder->text().trimmed();
}

QString TProcessAllDialog::Format() const
{
    return FFormat->currentText().toLower();
}

int TProcessAllDialog::Jobs() const
{
    return FJobs->value();
}

void TProcessAllDialog::BrowseClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, windowTitle(), Folder());
    if (!folder.isEmpty())
        FFolder->setText(folder);
}
