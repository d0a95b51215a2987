#include "online/CertificateTrust.h"

#include <mutex>

namespace {

std::mutex &TrustMutex()
{
    static std::mutex mutex;
    return mutex;
}

QString &TrustFile()
{
    static QString file;
    return file;
}

} // namespace

void SetCertificateAuthorityFile(const QString &APemFile)
{
    const std::lock_guard lock(TrustMutex());
    TrustFile() = APemFile;
}

QString CertificateAuthorityFile()
{
    const std::lock_guard lock(TrustMutex());
    return TrustFile();
}
