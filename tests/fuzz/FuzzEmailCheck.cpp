// The e-mail check over any text (PCRE2 on UTF-16 input turned to UTF-8).
#include "online/EmailAddress.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    IsValidEmail(QString::fromUtf8(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize)));
    return 0;
}
