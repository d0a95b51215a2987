#include "platform/OSError.h"

namespace {

std::string ComposeMessage(int ACode, const QString &AContext)
{
    QString text = QStringLiteral("System Error.  Code: %1.\n%2").arg(ACode).arg(qt_error_string(ACode));
    if (!AContext.isEmpty())
        text += QLatin1Char('\n') + AContext;
    return text.toStdString();
}

} // namespace

EOSError::EOSError(int ACode, const QString &AContext)
    : std::runtime_error(ComposeMessage(ACode, AContext))
    , FErrorCode(ACode)
{}
