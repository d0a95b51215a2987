#include "effects/SaveJob.h"

TSaveJob::TSaveJob(QObject *AParent)
    : QObject(AParent)
{}

TSaveJob::~TSaveJob() = default;
