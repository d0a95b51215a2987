#pragma once

#include <QList>
#include <QMutex>

class TProcessTimer;

// Maps the identifier a tick arrives with back to its timer. An entry exists
// exactly while its timer is enabled; the timer is not owned.
struct TTimerEntry
{
    int ID = 0;
    TProcessTimer *Timer = nullptr;
};

// A list of entries with its own lock, held only while searching, adding or
// removing.
class TProcessTimerList
{
public:
    ~TProcessTimerList();

    void Add(TTimerEntry *AEntry);
    // Removes and frees the first entry with AID; false when there is none.
    bool Remove(int AID);
    // The timer of the first entry with AID, or none.
    TProcessTimer *Find(int AID);
    int Count();

private:
    QMutex FLock;
    QList<TTimerEntry *> FItems;
};

// The one list of the program. It lives until the program ends; if an entry
// is left then (a timer still enabled), "Assertion failure" is reported and
// the list is not freed.
TProcessTimerList &ProcessTimerList();
