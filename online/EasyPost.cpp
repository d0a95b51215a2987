#include "online/EasyPost.h"

#include "online/CertificateTrust.h"
#include "online/CurlGlobal.h"
#include "online/CurlLibrary.h"
#include "online/EWebRequest.h"

#include <optional>
#include <string>

using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

const TCurlLibrary &Curl()
{
    return TCurlLibrary::Get();
}

// The protocol's replies are a few lines: anything longer is not read on, and
// the short count makes libcurl end the transfer with an error.
size_t AppendToBody(char *AData, size_t ASize, size_t ACount, void *ABody)
{
    auto *body = static_cast<QByteArray *>(ABody);
    const size_t size = ASize * ACount;
    if (size > static_cast<size_t>(TEasyPost::MaxReplyBytes - body->size()))
        return 0;
    body->append(AData, static_cast<qsizetype>(size));
    return size;
}

} // namespace

TEasyPost::TEasyPost(const QByteArray &AUrl, const QByteArrayList &AHeaders, const QByteArray &ABody)
    : FSecure(AUrl.startsWith("https://"))
    , FBody(ABody)
    , FCaFile(CertificateAuthorityFile().toLocal8Bit())
{
    EnsureCurlGlobalInit();
    FEasy = Curl().EasyInit();
    FMulti = Curl().MultiInit();
    if (!FEasy || !FMulti)
        return; // reported by Perform
    for (const QByteArray &header : AHeaders)
        FHeaders = Curl().SlistAppend(FHeaders, header.constData());
    SetOptions(AUrl);
}

TEasyPost::~TEasyPost()
{
    if (FMulti && FEasy)
        Curl().MultiRemoveHandle(FMulti, FEasy);
    if (FEasy)
        Curl().EasyCleanup(FEasy);
    if (FMulti)
        Curl().MultiCleanup(FMulti);
    Curl().SlistFreeAll(FHeaders);
}

void TEasyPost::SetOptions(const QByteArray &AUrl)
{
    Curl().EasySetopt(FEasy, CURLOPT_URL, AUrl.constData());
    Curl().EasySetopt(FEasy, CURLOPT_POST, 1L);
    Curl().EasySetopt(FEasy, CURLOPT_POSTFIELDS, FBody.constData());
    Curl().EasySetopt(FEasy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(FBody.size()));
    Curl().EasySetopt(FEasy, CURLOPT_HTTPHEADER, FHeaders);
    Curl().EasySetopt(FEasy, CURLOPT_WRITEFUNCTION, AppendToBody);
    Curl().EasySetopt(FEasy, CURLOPT_WRITEDATA, &FReply.Body);
    // A declared length over the cap fails before the body is read at all.
    Curl().EasySetopt(FEasy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxReplyBytes));
    Curl().EasySetopt(FEasy, CURLOPT_ERRORBUFFER, FError);
    // Posts run on worker threads; time-outs must not rely on signals there.
    Curl().EasySetopt(FEasy, CURLOPT_NOSIGNAL, 1L);
    Curl().EasySetopt(FEasy, CURLOPT_SSL_VERIFYPEER, 1L);
    Curl().EasySetopt(FEasy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!FCaFile.isEmpty())
        Curl().EasySetopt(FEasy, CURLOPT_CAINFO, FCaFile.constData());
}

bool TEasyPost::IsConnected() const
{
    // Over https the connection counts once the TLS handshake is done.
    curl_off_t since = 0;
    Curl().EasyGetinfo(FEasy, FSecure ? CURLINFO_APPCONNECT_TIME_T : CURLINFO_CONNECT_TIME_T, &since);
    return since > 0;
}

void TEasyPost::RunUntilDone(milliseconds AConnectTimeout, milliseconds AResponseTimeout, const std::stop_token &AStop)
{
    // A stop request is seen within one short wait: the exit waits no longer than that.
    const milliseconds longestWait = AStop.stop_possible() ? milliseconds(50) : milliseconds(1000);
    // libcurl's own CURLOPT_TIMEOUT_MS counts from the start, connecting
    // included; the reply gets its own clock, started when connected. The sum
    // bounds the whole attempt in any case.
    const steady_clock::time_point start = steady_clock::now();
    const steady_clock::time_point lastMoment = start + AConnectTimeout + AResponseTimeout;
    std::optional<steady_clock::time_point> replyDeadline;
    int running = 1;
    while (true) {
        const CURLMcode code = Curl().MultiPerform(FMulti, &running);
        if (code != CURLM_OK)
            throw EWebRequest(Curl().MultiStrerror(code));
        if (running == 0)
            return;
        if (AStop.stop_requested())
            throw EWebRequest("stopped before the reply was complete");
        const steady_clock::time_point now = steady_clock::now();
        if (!replyDeadline && IsConnected())
            replyDeadline = now + AResponseTimeout;
        const steady_clock::time_point deadline = replyDeadline ? std::min(*replyDeadline, lastMoment) : lastMoment;
        if (now >= deadline)
            throw EWebRequest("no complete reply within " + std::to_string(AResponseTimeout.count()) + " ms");
        // Wakes early on socket activity and on libcurl's own timers (the connect time-out).
        const auto wait = std::chrono::ceil<milliseconds>(deadline - now);
        Curl().MultiPoll(FMulti, nullptr, 0, static_cast<int>(std::min(wait, longestWait).count()), nullptr);
    }
}

void TEasyPost::CheckResult() const
{
    int left = 0;
    while (const CURLMsg *message = Curl().MultiInfoRead(FMulti, &left)) {
        if (message->msg == CURLMSG_DONE && message->data.result != CURLE_OK) {
            const std::string detail = FError[0] ? std::string(": ") + FError : std::string();
            throw EWebRequest(Curl().EasyStrerror(message->data.result) + detail);
        }
    }
}

TPostReply TEasyPost::Perform(milliseconds AConnectTimeout, milliseconds AResponseTimeout, std::stop_token AStop)
{
    if (!FEasy || !FMulti)
        throw EWebRequest("libcurl could not create a handle");
    Curl().EasySetopt(FEasy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(AConnectTimeout.count()));
    const CURLMcode added = Curl().MultiAddHandle(FMulti, FEasy);
    if (added != CURLM_OK)
        throw EWebRequest(Curl().MultiStrerror(added));
    RunUntilDone(AConnectTimeout, AResponseTimeout, AStop);
    CheckResult();
    Curl().EasyGetinfo(FEasy, CURLINFO_RESPONSE_CODE, &FReply.Status);
    const char *contentType = nullptr;
    Curl().EasyGetinfo(FEasy, CURLINFO_CONTENT_TYPE, &contentType);
    FReply.ContentType = QByteArray(contentType);
    return FReply;
}
