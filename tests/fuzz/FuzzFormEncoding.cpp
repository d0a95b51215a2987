// Form fields as typed by the user: the body is plain ASCII of the safe set.
#include "online/FormEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize));
    const QByteArray body = EncodeFormFields(text.split(u'\n'));
    for (const char c : body) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                          || QByteArrayView("-_.*%+=&").contains(c);
        if (!safe)
            std::abort(); // a character that would break the form's syntax
    }
    return 0;
}
