#include "platform/NamedSemaphore.h"

#include <fcntl.h>
#include <semaphore.h>

namespace Platform {

bool CreateNamedSemaphore(const QString &AName)
{
    const QByteArray name = '/' + AName.toUtf8();
    // Never closed on purpose: the handle lives as long as the process.
    return sem_open(name.constData(), O_CREAT, 0600, 1) != SEM_FAILED;
}

} // namespace Platform
