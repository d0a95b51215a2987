// PostForm and PostWithFallback against a real HTTP/HTTPS server on 127.0.0.1.
#include "online/EWebRequest.h"
#include "online/FormPost.h"
#include "support/OnlineFixture.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "support/CaseName.h"
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/QtPrinters.h"

namespace {

using TPairs = TRecordedRequest::TPairs;

// "127.0.0.1:<port>" with nothing listening on the port.
QString ClosedAuthority()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length);
    close(probe);
    return QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port));
}

// A listening socket on 127.0.0.1 whose accept queue is full: the kernel drops
// every further connection attempt, so the TCP handshake is never answered, as
// with a peer that has gone silent on a real network.
class TFullListener
{
public:
    TFullListener()
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(FListener, 0);
        getsockname(FListener, reinterpret_cast<sockaddr *>(&address), &length);
        FPort = ntohs(address.sin_port);
        // Never accepted: the first completes the handshake and fills the queue.
        for (int &filler : FFillers) {
            filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
    }
    ~TFullListener()
    {
        for (const int filler : FFillers)
            close(filler);
        close(FListener);
    }
    TFullListener(const TFullListener &) = delete;
    TFullListener &operator=(const TFullListener &) = delete;

    QString Authority() const { return QStringLiteral("127.0.0.1:%1").arg(FPort); }

private:
    int FListener = socket(AF_INET, SOCK_STREAM, 0);
    int FFillers[2] = {-1, -1};
    int FPort = 0;
};

const QStringList TrickyFields = {
    QStringLiteral("plain=value"),
    QStringLiteral("equals=a=b==c"),
    QStringLiteral("amp=x&y=z&"),
    QStringLiteral("blanks=  two  blanks  "),
    QStringLiteral("letters=Grüße, Ñandú, Ελληνικά, 日本語"),
    QStringLiteral("breaks=one\r\ntwo\nthree\rfour"),
    QStringLiteral("marks=1+1=2 100% ?#;/"),
    QStringLiteral("empty="),
    QStringLiteral("=no name"),
    QStringLiteral("no equals sign"),
    QStringLiteral("ünïcode name=v"),
};

// What the server decodes: the items with a name, in order, intact.
const TPairs TrickyPairs = {
    {QStringLiteral("plain"), QStringLiteral("value")},
    {QStringLiteral("equals"), QStringLiteral("a=b==c")},
    {QStringLiteral("amp"), QStringLiteral("x&y=z&")},
    {QStringLiteral("blanks"), QStringLiteral("  two  blanks  ")},
    {QStringLiteral("letters"), QStringLiteral("Grüße, Ñandú, Ελληνικά, 日本語")},
    {QStringLiteral("breaks"), QStringLiteral("one\r\ntwo\nthree\rfour")},
    {QStringLiteral("marks"), QStringLiteral("1+1=2 100% ?#;/")},
    {QStringLiteral("empty"), QStringLiteral("")},
    {QStringLiteral("ünïcode name"), QStringLiteral("v")},
};

struct TSchemeCase
{
    const char *Name;
    QString Scheme;
    QString ContentType;
    QString Connection; // null: the header must not be sent
};

class PostFormRequest : public OnlineFixture, public ::testing::WithParamInterface<TSchemeCase>
{};

} // namespace

TEST_P(PostFormRequest, SendsExactlyTheForm)
{
    TFormServer server(Answer(QStringLiteral("over https")), Answer(QStringLiteral("over http")));
    const QString url = GetParam().Scheme + QStringLiteral("://") + server.Authority() + QStringLiteral("/php/x.php");
    EXPECT_EQ(PostForm(url, TrickyFields), QStringLiteral("over ") + GetParam().Scheme);

    const QList<TRecordedRequest> requests = server.Requests(1);
    ASSERT_EQ(requests.size(), 1);
    const TRecordedRequest &request = requests.first();
    EXPECT_EQ(request.Scheme, GetParam().Scheme);
    EXPECT_EQ(request.Method, QStringLiteral("POST"));
    EXPECT_EQ(request.Path, QStringLiteral("/php/x.php"));
    EXPECT_EQ(request.Header(QStringLiteral("Content-Type")), GetParam().ContentType);
    EXPECT_EQ(request.Header(QStringLiteral("Connection")), GetParam().Connection);
    EXPECT_EQ(request.Fields, TrickyPairs);
    EXPECT_FALSE(request.Body.endsWith('&'));
    EXPECT_TRUE(request.Body.contains("blanks=++two++blanks++")) << request.Body.constData();
    for (const char *absent : {"User-Agent", "Cookie", "Authorization", "Proxy-Authorization", "Expect"})
        EXPECT_FALSE(request.HasHeader(QString::fromLatin1(absent))) << absent;
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, PostFormRequest,
    ::testing::Values(
        TSchemeCase{"Https", QStringLiteral("https"),
                    QStringLiteral("application/x-www-form-urlencoded; charset=UTF-8"), QStringLiteral("close")},
        TSchemeCase{"Http", QStringLiteral("http"), QStringLiteral("application/x-www-form-urlencoded"), QString()}),
    CaseName<TSchemeCase>);

namespace {

struct TReplyCase
{
    const char *Name;
    QString Scheme;
    TServerScript Script;
    bool Fails;
    int MinMs; // the attempt lasts at least this long
    int MaxMs; // and at most this long
    QString Reply;
};

TServerScript WithBody(TServerScript AScript, const QString &ABody, const QString &AContentType = {},
                       const QString &AEncoding = QStringLiteral("utf-8"))
{
    AScript.Body = ABody;
    if (!AContentType.isEmpty())
        AScript.ContentType = AContentType;
    AScript.BodyEncoding = AEncoding;
    return AScript;
}

TServerScript Delayed(double ASeconds)
{
    TServerScript script = Answer(QStringLiteral("late but in time"));
    script.Delay = ASeconds;
    return script;
}

TServerScript Trickling()
{
    // Twelve bytes, one every half second: the reply would take six seconds.
    TServerScript script = Answer(QStringLiteral("slowly sent."));
    script.Trickle = 0.5;
    return script;
}

// ARepeat kibibytes of "x", with or without a declared length.
TServerScript Kibibytes(int ARepeat, bool ADeclareLength)
{
    TServerScript script = Answer(QString(1024, u'x'));
    script.Repeat = ARepeat;
    script.DeclareLength = ADeclareLength;
    return script;
}

class PostFormReply : public OnlineFixture, public ::testing::WithParamInterface<TReplyCase>
{};

} // namespace

// One attempt: a reply, or an error within the time-outs (3 s to connect, then
// 3 s for the whole reply).
TEST_P(PostFormReply, ReplyOrError)
{
    const TReplyCase &c = GetParam();
    TFormServer server(c.Script, c.Script);
    const QString url = c.Scheme + QStringLiteral("://") + server.Authority() + QStringLiteral("/");
    QElapsedTimer clock;
    clock.start();
    if (c.Fails) {
        EXPECT_THROW(PostForm(url, {QStringLiteral("a=b")}), EWebRequest);
    } else {
        EXPECT_EQ(PostForm(url, {QStringLiteral("a=b")}), c.Reply);
    }
    EXPECT_GE(clock.elapsed(), c.MinMs);
    EXPECT_LE(clock.elapsed(), c.MaxMs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostFormReply,
    ::testing::Values(
        TReplyCase{"HttpsErrorPageIsAReply", QStringLiteral("https"), Answer(QStringLiteral("<h1>Oops</h1>"), 500),
                   false, 0, 2000, QStringLiteral("<h1>Oops</h1>")},
        TReplyCase{"HttpErrorStatusIsAnError",
                   QStringLiteral("http"),
                   Answer(QStringLiteral("<h1>Oops</h1>"), 500),
                   true,
                   0,
                   2000,
                   {}},
        TReplyCase{
            "HttpNotFoundIsAnError", QStringLiteral("http"), Answer(QStringLiteral("gone"), 404), true, 0, 2000, {}},
        TReplyCase{
            "HttpsDroppedConnection", QStringLiteral("https"), Behaviour(QStringLiteral("drop")), true, 0, 2000, {}},
        TReplyCase{
            "HttpDroppedConnection", QStringLiteral("http"), Behaviour(QStringLiteral("drop")), true, 0, 2000, {}},
        TReplyCase{"HttpsCertificateForAnotherName",
                   QStringLiteral("https"),
                   Behaviour(QStringLiteral("wrong_name")),
                   true,
                   0,
                   2000,
                   {}},
        TReplyCase{"HttpNotHttp", QStringLiteral("http"), Behaviour(QStringLiteral("garbage")), true, 0, 2000, {}},
        TReplyCase{"HttpsNotHttp", QStringLiteral("https"), Behaviour(QStringLiteral("garbage")), true, 0, 2000, {}},
        TReplyCase{"HttpsNoAnswer", QStringLiteral("https"), Behaviour(QStringLiteral("silent")), true, 2900, 4500, {}},
        TReplyCase{"HttpNoAnswer", QStringLiteral("http"), Behaviour(QStringLiteral("silent")), true, 2900, 4500, {}},
        TReplyCase{"HttpsTooSlowAReply", QStringLiteral("https"), Trickling(), true, 2900, 4500, {}},
        TReplyCase{"HttpTooSlowAReply", QStringLiteral("http"), Trickling(), true, 2900, 4500, {}},
        TReplyCase{"HttpsLateButInTime", QStringLiteral("https"), Delayed(2.0), false, 1900, 3000,
                   QStringLiteral("late but in time")},
        TReplyCase{"Latin1Reply", QStringLiteral("https"),
                   WithBody(Answer({}), QStringLiteral("Grüße"), QStringLiteral("text/plain; charset=ISO-8859-1"),
                            QStringLiteral("latin-1")),
                   false, 0, 2000, QStringLiteral("Grüße")},
        TReplyCase{"Utf8ReplyWithoutCharset", QStringLiteral("http"),
                   WithBody(Answer({}), QStringLiteral("Grüße\r\n"), QStringLiteral("text/plain")), false, 0, 2000,
                   QStringLiteral("Grüße\r\n")},
        // The protocol's replies are a few lines; a longer one is not read on.
        TReplyCase{"LongestReplyTaken", QStringLiteral("http"), Kibibytes(64, false), false, 0, 2000,
                   QString(64 * 1024, u'x')},
        TReplyCase{"DeclaredTooLong", QStringLiteral("https"), Kibibytes(65, true), true, 0, 2000, QString()},
        TReplyCase{"UndeclaredTooLong", QStringLiteral("http"), Kibibytes(4096, false), true, 0, 2000, QString()}),
    CaseName<TReplyCase>);

class PostFormTrust : public OnlineFixture
{};

TEST_F(PostFormTrust, RefusedConnectionFailsAtOnce)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(PostForm(QStringLiteral("https://") + ClosedAuthority() + QStringLiteral("/"), {}), EWebRequest);
    EXPECT_THROW(PostForm(QStringLiteral("http://") + ClosedAuthority() + QStringLiteral("/"), {}), EWebRequest);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(PostFormTrust, SystemStoreDoesNotKnowTheTestAuthority)
{
    TFormServer server(Answer(QStringLiteral("secret")), Answer(QStringLiteral("plain")));
    SetCertificateAuthorityFile(QString());
    EXPECT_THROW(PostForm(QStringLiteral("https://") + server.Authority() + QStringLiteral("/"), {}), EWebRequest);
    EXPECT_TRUE(server.Requests(1, 300).isEmpty());
}

TEST_F(PostFormTrust, SchemeTestIsCaseSensitive)
{
    // "HTTPS://" is not the secure transport's prefix; libcurl still speaks TLS
    // for it, but without the secure transport's headers.
    TFormServer server(Answer(QStringLiteral("secure")), Answer(QStringLiteral("plain")));
    EXPECT_EQ(PostForm(QStringLiteral("HTTPS://") + server.Authority() + QStringLiteral("/"), {QStringLiteral("a=1")}),
              QStringLiteral("secure"));
    const QList<TRecordedRequest> requests = server.Requests(1);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.first().Header(QStringLiteral("Content-Type")),
              QStringLiteral("application/x-www-form-urlencoded"));
    EXPECT_FALSE(requests.first().HasHeader(QStringLiteral("Connection")));
}

namespace {

struct TFallbackCase
{
    const char *Name;
    TServerScript Https;
    TServerScript Http;
    QString Reply;       // null: the caller gets an error
    QStringList Schemes; // the requests the server records, in order
    int MinMs;
    int MaxMs;
};

class PostWithFallbackCases : public OnlineFixture, public ::testing::WithParamInterface<TFallbackCase>
{};

} // namespace

TEST_P(PostWithFallbackCases, HttpOnlyAfterAnHttpsError)
{
    const TFallbackCase &c = GetParam();
    TFormServer server(c.Https, c.Http);
    QElapsedTimer clock;
    clock.start();
    if (c.Reply.isNull()) {
        EXPECT_THROW(PostWithFallback(server.Authority() + QStringLiteral("/php/check2.php"), TrickyFields),
                     EWebRequest);
    } else {
        EXPECT_EQ(PostWithFallback(server.Authority() + QStringLiteral("/php/check2.php"), TrickyFields), c.Reply);
    }
    EXPECT_GE(clock.elapsed(), c.MinMs);
    EXPECT_LE(clock.elapsed(), c.MaxMs);

    // Waits a little beyond the expected requests, so a stray one is seen too.
    const QList<TRecordedRequest> requests = server.Requests(static_cast<int>(c.Schemes.size()) + 1, 500);
    QStringList schemes;
    for (const TRecordedRequest &request : requests) {
        schemes += request.Scheme;
        EXPECT_EQ(request.Path, QStringLiteral("/php/check2.php"));
        EXPECT_EQ(request.Fields, TrickyPairs) << "the same fields on every attempt";
    }
    EXPECT_EQ(schemes, c.Schemes);
}

INSTANTIATE_TEST_SUITE_P(Cases, PostWithFallbackCases,
                         ::testing::Values(TFallbackCase{"HttpsAnswers",
                                                         Answer(QStringLiteral("secure")),
                                                         Answer(QStringLiteral("plain")),
                                                         QStringLiteral("secure"),
                                                         {QStringLiteral("https")},
                                                         0,
                                                         2000},
                                           TFallbackCase{"HttpsDroppedThenHttp",
                                                         Behaviour(QStringLiteral("drop")),
                                                         Answer(QStringLiteral("plain")),
                                                         QStringLiteral("plain"),
                                                         {QStringLiteral("http")},
                                                         0,
                                                         2000},
                                           TFallbackCase{"HttpsErrorPageNoFallback",
                                                         Answer(QStringLiteral("<h1>503</h1>"), 503),
                                                         Answer(QStringLiteral("plain")),
                                                         QStringLiteral("<h1>503</h1>"),
                                                         {QStringLiteral("https")},
                                                         0,
                                                         2000},
                                           TFallbackCase{"HttpsNoAnswerThenHttp",
                                                         Behaviour(QStringLiteral("silent")),
                                                         Answer(QStringLiteral("plain")),
                                                         QStringLiteral("plain"),
                                                         {QStringLiteral("https"), QStringLiteral("http")},
                                                         2900,
                                                         4500},
                                           TFallbackCase{"CertificateNameMismatchThenHttp",
                                                         Behaviour(QStringLiteral("wrong_name")),
                                                         Answer(QStringLiteral("plain")),
                                                         QStringLiteral("plain"),
                                                         {QStringLiteral("http")},
                                                         0,
                                                         2000},
                                           TFallbackCase{"HttpsNotHttpThenHttp",
                                                         Behaviour(QStringLiteral("garbage")),
                                                         Answer(QStringLiteral("plain")),
                                                         QStringLiteral("plain"),
                                                         {QStringLiteral("https"), QStringLiteral("http")},
                                                         0,
                                                         2000},
                                           TFallbackCase{"BothDropped",
                                                         Behaviour(QStringLiteral("drop")),
                                                         Behaviour(QStringLiteral("drop")),
                                                         QString(),
                                                         {},
                                                         0,
                                                         2000},
                                           TFallbackCase{"HttpsDroppedHttpErrorStatus",
                                                         Behaviour(QStringLiteral("drop")),
                                                         Answer(QStringLiteral("busy"), 503),
                                                         QString(),
                                                         {QStringLiteral("http")},
                                                         0,
                                                         2000},
                                           TFallbackCase{"BothSilent",
                                                         Behaviour(QStringLiteral("silent")),
                                                         Behaviour(QStringLiteral("silent")),
                                                         QString(),
                                                         {QStringLiteral("https"), QStringLiteral("http")},
                                                         5800,
                                                         8500}),
                         CaseName<TFallbackCase>);

TEST_F(PostFormTrust, NothingListeningOnEitherScheme)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(PostWithFallback(ClosedAuthority() + QStringLiteral("/php/check2.php"), {}), EWebRequest);
    EXPECT_LT(clock.elapsed(), 1000);
}

namespace {

class PostFormUnanswered : public OnlineFixture, public ::testing::WithParamInterface<const char *>
{};

} // namespace

// Nothing answers the handshake: the attempt ends by its connect time-out.
TEST_P(PostFormUnanswered, HandshakeEndsByTheConnectTimeOut)
{
    const TFullListener listener;
    const QString url = QString::fromLatin1(GetParam()) + QStringLiteral("://") + listener.Authority() + u'/';
    try {
        PostForm(url, {QStringLiteral("a=b")});
        ADD_FAILURE() << "a reply from a listener that never accepts";
    } catch (const EWebRequest &error) {
        // libcurl's own connect time-out, not the wait for a reply.
        const std::string text = error.what();
        EXPECT_NE(text.find("Timeout was reached: Failed to connect"), std::string::npos) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Schemes, PostFormUnanswered, ::testing::Values("https", "http"));
