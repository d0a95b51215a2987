#pragma once

#include <QProgressDialog>

class TSaveJob;

// The progress of a save that runs while the window stays responsive: a
// dialog modal to the window that asked, its bar fed by the save, its Cancel
// stopping it. It owns the save and frees itself (and the save) once Done has
// been sent; when the window goes first, the save goes with it.
class TSaveProgress : public QProgressDialog
{
    Q_OBJECT

public:
    // AJob has been started. The dialog appears after AShowAfterMs, so a save
    // that is over by then shows nothing.
    TSaveProgress(QWidget *AOwner, TSaveJob *AJob, const QString &ALabel, int AShowAfterMs);

signals:
    // How the save ended; ACancelled when the user stopped it.
    void Done(bool ASaved, bool ACancelled, const QString &AWhy);

private:
    void ShowFraction(double AFraction);
    void JobFinished(bool ASaved, const QString &AWhy);

    TSaveJob *FJob;
};
