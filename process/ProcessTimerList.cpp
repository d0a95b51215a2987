#include "process/ProcessTimerList.h"

#include <cstdio>

namespace {

TProcessTimerList *GProcessTimerList = new TProcessTimerList;

// Frees the list when the program ends, if nothing is left in it.
struct TProcessTimerListEnd
{
    ~TProcessTimerListEnd()
    {
        if (GProcessTimerList->Count() != 0) {
            std::fputs("Assertion failure (ProcessTimerList.cpp: a process timer is still enabled)\n", stderr);
            return;
        }
        delete GProcessTimerList;
        GProcessTimerList = nullptr;
    }
} GProcessTimerListEnd;

} // namespace

TProcessTimerList::~TProcessTimerList()
{
    qDeleteAll(FItems);
}

void TProcessTimerList::Add(TTimerEntry *AEntry)
{
    QMutexLocker lock(&FLock);
    FItems.append(AEntry);
}

bool TProcessTimerList::Remove(int AID)
{
    QMutexLocker lock(&FLock);
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        if (FItems[i]->ID == AID) {
            delete FItems.takeAt(i);
            return true;
        }
    }
    return false;
}

TProcessTimer *TProcessTimerList::Find(int AID)
{
    QMutexLocker lock(&FLock);
    for (const TTimerEntry *entry : std::as_const(FItems))
        if (entry->ID == AID)
            return entry->Timer;
    return nullptr;
}

int TProcessTimerList::Count()
{
    QMutexLocker lock(&FLock);
    return int(FItems.size());
}

TProcessTimerList &ProcessTimerList()
{
    return *GProcessTimerList;
}
