#include "online/FormEncoding.h"

namespace {

// Left as they are; everything else but the blank is percent-encoded.
bool IsUnescaped(char AByte)
{
    return (AByte >= 'a' && AByte <= 'z') || (AByte >= 'A' && AByte <= 'Z') || (AByte >= '0' && AByte <= '9')
           || AByte == '-' || AByte == '.' || AByte == '_' || AByte == '*';
}

} // namespace

QByteArray EncodeFormText(const QString &AText)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray result;
    for (const char byte : AText.toUtf8()) {
        if (IsUnescaped(byte)) {
            result += byte;
        } else if (byte == ' ') {
            result += '+';
        } else {
            const auto value = static_cast<unsigned char>(byte);
            result += '%';
            result += hex[value >> 4];
            result += hex[value & 0x0F];
        }
    }
    return result;
}

QByteArray EncodeFormFields(const QStringList &AFields)
{
    QByteArrayList pairs;
    for (const QString &item : AFields) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? QString() : item.left(equals);
        if (name.isEmpty())
            continue;
        pairs += EncodeFormText(name) + '=' + EncodeFormText(item.mid(equals + 1));
    }
    return pairs.join('&');
}
