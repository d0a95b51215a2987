#pragma once

#include <QByteArray>
#include <QString>

// The reply body as text, decoded by the charset its Content-Type declares
// (UTF-8, UTF-16/32 variants, ISO-8859-1/Latin-1, US-ASCII); UTF-8 when it
// declares none or one this build cannot decode.
QString DecodeReplyBody(const QByteArray &ABody, const QByteArray &AContentType);
