#include "online/EasyPost.h"

#include "online/CertificateTrust.h"
#include "online/CurlGlobal.h"
#include "online/EWebRequest.h"

#include <curl/curl.h>
#include <optional>
#include <string>

using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

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
    FEasy = curl_easy_init();
    FMulti = curl_multi_init();
    if (!FEasy || !FMulti)
        return; // reported by Perform
    for (const QByteArray &header : AHeaders)
        FHeaders = curl_slist_append(FHeaders, header.constData());
    SetOptions(AUrl);
}

TEasyPost::~TEasyPost()
{
    if (FMulti && FEasy)
        curl_multi_remove_handle(FMulti, FEasy);
    if (FEasy)
        curl_easy_cleanup(FEasy);
    if (FMulti)
        curl_multi_cleanup(FMulti);
    curl_slist_free_all(FHeaders);
}

void TEasyPost::SetOptions(const QByteArray &AUrl)
{
    curl_easy_setopt(FEasy, CURLOPT_URL, AUrl.constData());
    curl_easy_setopt(FEasy, CURLOPT_POST, 1L);
    curl_easy_setopt(FEasy, CURLOPT_POSTFIELDS, FBody.constData());
    curl_easy_setopt(FEasy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(FBody.size()));
    curl_easy_setopt(FEasy, CURLOPT_HTTPHEADER, FHeaders);
    curl_easy_setopt(FEasy, CURLOPT_WRITEFUNCTION, AppendToBody);
    curl_easy_setopt(FEasy, CURLOPT_WRITEDATA, &FReply.Body);
    // A declared length over the cap fails before the body is read at all.
    curl_easy_setopt(FEasy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxReplyBytes));
    curl_easy_setopt(FEasy, CURLOPT_ERRORBUFFER, FError);
    // Posts run on worker threads; time-outs must not rely on signals there.
    curl_easy_setopt(FEasy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(FEasy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(FEasy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!FCaFile.isEmpty())
        curl_easy_setopt(FEasy, CURLOPT_CAINFO, FCaFile.constData());
}

bool TEasyPost::IsConnected() const
{
    // Over https the connection counts once the TLS handshake is done.
    curl_off_t since = 0;
    curl_easy_getinfo(FEasy, FSecure ? CURLINFO_APPCONNECT_TIME_T : CURLINFO_CONNECT_TIME_T, &since);
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
        const CURLMcode code = curl_multi_perform(FMulti, &running);
        if (code != CURLM_OK)
            throw EWebRequest(curl_multi_strerror(code));
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
        curl_multi_poll(FMulti, nullptr, 0, static_cast<int>(std::min(wait, longestWait).count()), nullptr);
    }
}

void TEasyPost::CheckResult() const
{
    int left = 0;
    while (const CURLMsg *message = curl_multi_info_read(FMulti, &left)) {
        if (message->msg == CURLMSG_DONE && message->data.result != CURLE_OK) {
            const std::string detail = FError[0] ? std::string(": ") + FError : std::string();
            throw EWebRequest(curl_easy_strerror(message->data.result) + detail);
        }
    }
}

TPostReply TEasyPost::Perform(milliseconds AConnectTimeout, milliseconds AResponseTimeout, std::stop_token AStop)
{
    if (!FEasy || !FMulti)
        throw EWebRequest("libcurl could not create a handle");
    curl_easy_setopt(FEasy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(AConnectTimeout.count()));
    const CURLMcode added = curl_multi_add_handle(FMulti, FEasy);
    if (added != CURLM_OK)
        throw EWebRequest(curl_multi_strerror(added));
    RunUntilDone(AConnectTimeout, AResponseTimeout, AStop);
    CheckResult();
    curl_easy_getinfo(FEasy, CURLINFO_RESPONSE_CODE, &FReply.Status);
    const char *contentType = nullptr;
    curl_easy_getinfo(FEasy, CURLINFO_CONTENT_TYPE, &contentType);
    FReply.ContentType = QByteArray(contentType);
    return FReply;
}
