#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

// Asks where "Process All" puts its results, in which format and how many
// inputs run at once. Made for the keyboard: the folder field has the focus,
// and Return starts (with WAV unless another format was picked).
class TProcessAllDialog : public QDialog
{
    Q_OBJECT

public:
    // AFolder and AJobs are shown at first.
    TProcessAllDialog(QWidget *AParent, const QString &AFolder, int AJobs);

    QString Folder() const;
    // "wav" or "mp3".
    QString Format() const;
    int Jobs() const;

private:
    void BrowseClick();

    QLineEdit *FFolder;
    QComboBox *FFormat;
    QSpinBox *FJobs;
};
