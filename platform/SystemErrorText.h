#pragma once

#include <QString>

namespace Platform {

// The system's message text for an error number, without trailing blanks,
// control characters or full stops, ready to be put into a sentence.
QString SystemErrorText(int AErrorNumber);

} // namespace Platform
