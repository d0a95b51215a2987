#include "platform/SystemErrorText.h"

#include <cstring>

namespace Platform {

QString SystemErrorText(int AErrorNumber)
{
    char buffer[256] = {};
    // GNU strerror_r: returns the text, which may or may not be in buffer.
    const char *text = strerror_r(AErrorNumber, buffer, sizeof buffer);
    QString result = QString::fromLocal8Bit(text);
    while (!result.isEmpty() && (result.back().unicode() <= 32 || result.back() == QLatin1Char('.')))
        result.chop(1);
    return result;
}

} // namespace Platform
