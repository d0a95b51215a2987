#pragma once

#include "process/SimpleRWSync.h"

#include <QString>

// Decoded output between the pipe reader, which appends at the end, and the
// worker, which takes from the front. Each operation holds the lock for its
// own duration only.
class TSyncString : public TSimpleRWSync
{
public:
    QString Value();
    void SetValue(const QString &AValue);
    // Appends AValue; true when the text was empty before.
    bool Add(const QString &AValue);
    // Removes ACount characters from the 1-based position APos.
    void Delete(int APos, int ACount);
    int Length();
    // The whole text, removed in the same locked step: the drain of the
    // worker, without the copy a separate read and delete would make.
    QString Take();

private:
    QString FValue;
};
