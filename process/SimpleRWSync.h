#pragma once

#include <QMutex>

// A reader/writer synchronizer whose two sides are one exclusive lock: simple
// and cheap for the short operations of the runner's queues.
class TSimpleRWSync
{
public:
    void BeginRead() { FLock.lock(); }
    void EndRead() { FLock.unlock(); }
    void BeginWrite() { FLock.lock(); }
    void EndWrite() { FLock.unlock(); }

private:
    QMutex FLock;
};
