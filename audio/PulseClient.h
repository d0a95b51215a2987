#pragma once

#include <QString>
#include <functional>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// A connection to the sound server with its own event thread, for streams
// whose callbacks this program owns. Nothing of the server's calls into the
// owner once Stop() has returned: Stop() joins the event thread.
class TPulseClient
{
public:
    // Holds the event thread off while the owner uses the context or a stream.
    class TLock
    {
    public:
        explicit TLock(const TPulseClient &AClient);
        ~TLock();
        TLock(const TLock &) = delete;
        TLock &operator=(const TLock &) = delete;

    private:
        pa_threaded_mainloop *FLoop;
    };

    // Connects and waits until the server has answered. ALost is called on
    // the event thread, with the reason, when the connection breaks later.
    // ADevice and AKind ("input device") name what the connection is for in
    // messages. Raises ESoundServerError, also when the server does not
    // answer within AnswerTimeoutMs: a hung server must not hang the caller.
    TPulseClient(const QString &ADevice, const char *AKind, std::function<void(const QString &)> ALost);
    ~TPulseClient();
    TPulseClient(const TPulseClient &) = delete;
    TPulseClient &operator=(const TPulseClient &) = delete;

    pa_context *Context() const { return FContext; }
    // With the lock held: waits until AStream is ready. Raises ESoundServerError.
    void WaitUntilReady(pa_stream *AStream);
    // With the lock held, from a callback: wakes a wait.
    void Signal();
    // Ends the event thread; the owner then takes down its streams.
    void Stop();
    // After Stop: disconnects and lets go of AStream (null afterwards), its
    // callbacks first, since a disconnect calls them at once.
    static void CloseStream(pa_stream *&AStream);
    // The reason a stream of this connection failed, in the server's words.
    QString StreamError() const;

    static constexpr int AnswerTimeoutMs = 5000;

private:
    pa_threaded_mainloop *FLoop = nullptr;
    pa_context *FContext = nullptr;
    QString FDevice;
    const char *FKind;
    std::function<void(const QString &)> FLost;
    bool FReady = false;
    bool FTimedOut = false;

    void Connect();
    void Wait(const std::function<bool()> &AReady);
    [[noreturn]] void Raise(int AError) const;
    void Free();
    static void OnContextState(pa_context *AContext, void *ASelf);
};
