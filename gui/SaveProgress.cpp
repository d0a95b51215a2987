#include "gui/SaveProgress.h"

#include "effects/SaveJob.h"

namespace {

constexpr int Steps = 100;

} // namespace

TSaveProgress::TSaveProgress(QWidget *AOwner, TSaveJob *AJob, const QString &ALabel, int AShowAfterMs)
    : QProgressDialog(ALabel, QStringLiteral("Cancel"), 0, Steps, AOwner)
    , FJob(AJob)
{
    setObjectName(QStringLiteral("SaveProgress"));
    setWindowTitle(QStringLiteral("Saving"));
    // The window must not start a run over the result being saved.
    setWindowModality(Qt::WindowModal);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(AShowAfterMs);
    FJob->setParent(this);
    connect(FJob, &TSaveJob::Progress, this, &TSaveProgress::ShowFraction);
    connect(FJob, &TSaveJob::Finished, this, &TSaveProgress::JobFinished);
    connect(this, &QProgressDialog::canceled, FJob, &TSaveJob::Cancel);
    setValue(0); // starts the clock behind AShowAfterMs
}

void TSaveProgress::ShowFraction(double AFraction)
{
    setValue(qBound(0, int(AFraction * Steps), Steps - 1));
}

void TSaveProgress::JobFinished(bool ASaved, const QString &AWhy)
{
    // Hidden first, so a box that follows is not stacked under it.
    hide();
    disconnect(this, &QProgressDialog::canceled, FJob, &TSaveJob::Cancel);
    emit Done(ASaved, FJob->Cancelled(), AWhy);
    deleteLater();
}
