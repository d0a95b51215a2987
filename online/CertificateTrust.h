#pragma once

#include <QString>

// Where HTTPS certificates are verified. Empty (the default): the system's
// certificate store. Only the tests set a file, to trust the authority that
// signs their local server; nothing in the program calls this, and no setting
// or environment variable reaches it. Verification itself is never switched off.
void SetCertificateAuthorityFile(const QString &APemFile);
QString CertificateAuthorityFile();
