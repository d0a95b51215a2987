#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <chrono>
#include <stop_token>

// libcurl's own declarations of its handle types, so that this header needs no curl.h.
typedef void CURL;
typedef void CURLM;
struct curl_slist;

// What one POST got back.
struct TPostReply
{
    long Status = 0;
    QByteArray ContentType;
    QByteArray Body;
};

// One HTTP(S) POST on its own libcurl easy handle, made and freed with the
// object. Sets only what is asked for here: no user agent, cookies, proxy of its
// own, credentials or retries. HTTPS certificates are always verified.
class TEasyPost
{
public:
    TEasyPost(const QByteArray &AUrl, const QByteArrayList &AHeaders, const QByteArray &ABody);
    ~TEasyPost();
    TEasyPost(const TEasyPost &) = delete;

    // The longest reply body taken; a longer one fails the request.
    static constexpr qsizetype MaxReplyBytes = 64 * 1024;
    TEasyPost &operator=(const TEasyPost &) = delete;

    // Runs the request: at most AConnectTimeout to be connected (TLS handshake
    // included), then at most AResponseTimeout until the whole reply is in.
    // Raises EWebRequest when no reply could be obtained, when it is longer
    // than MaxReplyBytes, or when AStop is requested (seen within 50 ms).
    TPostReply Perform(std::chrono::milliseconds AConnectTimeout, std::chrono::milliseconds AResponseTimeout,
                       std::stop_token AStop = {});

private:
    void SetOptions(const QByteArray &AUrl);
    void RunUntilDone(std::chrono::milliseconds AConnectTimeout, std::chrono::milliseconds AResponseTimeout,
                      const std::stop_token &AStop);
    bool IsConnected() const;
    void CheckResult() const;

    CURL *FEasy = nullptr;
    CURLM *FMulti = nullptr;
    curl_slist *FHeaders = nullptr;
    bool FSecure = false;
    QByteArray FBody;
    QByteArray FCaFile;
    TPostReply FReply;
    char FError[256] = {};
};
