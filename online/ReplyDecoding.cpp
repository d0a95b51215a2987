#include "online/ReplyDecoding.h"

#include <QByteArrayList>
#include <QStringDecoder>

namespace {

QByteArray DeclaredCharset(const QByteArray &AContentType)
{
    for (const QByteArray &parameter : AContentType.split(';')) {
        const QByteArray trimmed = parameter.trimmed();
        if (trimmed.toLower().startsWith("charset="))
            return trimmed.mid(8).replace('"', "").trimmed().toLower();
    }
    return {};
}

QStringConverter::Encoding EncodingOf(const QByteArray &ACharset)
{
    // QStringConverter does not know the ASCII name; ASCII is a subset of Latin-1.
    if (ACharset == "us-ascii" || ACharset == "ascii")
        return QStringConverter::Latin1;
    return QStringConverter::encodingForName(ACharset.constData()).value_or(QStringConverter::Utf8);
}

} // namespace

QString DecodeReplyBody(const QByteArray &ABody, const QByteArray &AContentType)
{
    QStringDecoder decoder(EncodingOf(DeclaredCharset(AContentType)));
    return decoder.decode(ABody);
}
