// The server's reply body: its decoding by the declared charset, its lines and
// tags, the version decision and the feedback's "OK".
#include "online/CheckReply.h"
#include "online/DownloadAddress.h"
#include "online/ExtractTag.h"
#include "online/Feedback.h"
#include "online/ReplyDecoding.h"
#include "online/TextLines.h"
#include "online/UpdateDecision.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *AData, size_t ASize)
{
    const QByteArray bytes(reinterpret_cast<const char *>(AData), static_cast<qsizetype>(ASize));
    // The first line is the content type, the rest the body.
    const qsizetype split = bytes.indexOf('\n');
    const QByteArray contentType = split < 0 ? QByteArray() : bytes.left(split);
    const QString body = DecodeReplyBody(split < 0 ? bytes : bytes.mid(split + 1), contentType);
    const TCheckReply reply = ParseCheckReply(body);
    if (reply.Version.size() > TCheckReply::MaxVersionLength || reply.Notice.size() > TCheckReply::MaxNoticeLength)
        std::abort(); // the server's texts must stay bounded
    IsOfferedVersion(reply.Version, QStringLiteral("1.0"));
    DownloadAddress(reply.Url);
    for (const QString &line : SplitLines(body).mid(0, 8))
        ExtractTag(TrimControls(line), QStringLiteral("version"));
    IsFeedbackReceived(body);
    return 0;
}
