#include "online/FormPost.h"

#include "online/EWebRequest.h"
#include "online/EasyPost.h"
#include "online/FormEncoding.h"
#include "online/ReplyDecoding.h"

#include <chrono>
#include <string>

namespace {

constexpr std::chrono::milliseconds ConnectTimeout{3000};
constexpr std::chrono::milliseconds ResponseTimeout{3000};

// "Expect:" keeps libcurl from asking for 100-continue on longer bodies: one
// request, one reply, whatever the server makes of that header.
QByteArrayList SecureHeaders()
{
    return {"Connection: close", "Content-Type: application/x-www-form-urlencoded; charset=UTF-8", "Expect:"};
}

QByteArrayList PlainHeaders()
{
    return {"Content-Type: application/x-www-form-urlencoded", "Expect:"};
}

TPostReply Post(const QString &AUrl, const QByteArrayList &AHeaders, const QStringList &AFields,
                const std::stop_token &AStop)
{
    TEasyPost post(AUrl.toUtf8(), AHeaders, EncodeFormFields(AFields));
    return post.Perform(ConnectTimeout, ResponseTimeout, AStop);
}

} // namespace

QString PostForm(const QString &AUrl, const QStringList &AFields, std::stop_token AStop)
{
    if (AUrl.startsWith(QStringLiteral("https://"))) {
        const TPostReply reply = Post(AUrl, SecureHeaders(), AFields, AStop);
        return DecodeReplyBody(reply.Body, reply.ContentType);
    }
    const TPostReply reply = Post(AUrl, PlainHeaders(), AFields, AStop);
    if (reply.Status >= 400)
        throw EWebRequest("HTTP status " + std::to_string(reply.Status));
    return DecodeReplyBody(reply.Body, reply.ContentType);
}

QString PostWithFallback(const QString &AAddress, const QStringList &AFields, std::stop_token AStop)
{
    try {
        return PostForm(QStringLiteral("https://") + AAddress, AFields, AStop);
    } catch (const EWebRequest &) {
        // The secure attempt's error is of no further use; the plain one decides.
    }
    if (AStop.stop_requested())
        throw EWebRequest("stopped");
    return PostForm(QStringLiteral("http://") + AAddress, AFields, AStop);
}
