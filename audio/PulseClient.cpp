#include "audio/PulseClient.h"

#include "audio/SoundServerError.h"

#include <QScopeGuard>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/rtclock.h>
#include <pulse/timeval.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

namespace {

constexpr const char *NoClient = "The sound server's client could not start.";

} // namespace

TPulseClient::TLock::TLock(const TPulseClient &AClient)
    : FLoop(AClient.FLoop)
{
    pa_threaded_mainloop_lock(FLoop);
}

TPulseClient::TLock::~TLock()
{
    pa_threaded_mainloop_unlock(FLoop);
}

TPulseClient::TPulseClient(const QString &ADevice, const char *AKind, std::function<void(const QString &)> ALost)
    : FDevice(ADevice)
    , FKind(AKind)
    , FLost(std::move(ALost))
{
    FLoop = pa_threaded_mainloop_new();
    if (!FLoop)
        throw ESoundServerError(NoClient);
    try {
        Connect();
    } catch (...) {
        Stop();
        Free();
        throw;
    }
}

TPulseClient::~TPulseClient()
{
    Stop();
    Free();
}

void TPulseClient::Connect()
{
    FContext = pa_context_new(pa_threaded_mainloop_get_api(FLoop), "Tonara");
    if (!FContext)
        throw ESoundServerError(NoClient);
    pa_context_set_state_callback(FContext, &TPulseClient::OnContextState, this);
    if (pa_context_connect(FContext, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
        Raise(pa_context_errno(FContext));
    if (pa_threaded_mainloop_start(FLoop) < 0)
        throw ESoundServerError(NoClient);
    const TLock lock(*this);
    Wait([this] {
        const pa_context_state_t state = pa_context_get_state(FContext);
        if (!PA_CONTEXT_IS_GOOD(state))
            Raise(pa_context_errno(FContext));
        return state == PA_CONTEXT_READY;
    });
    FReady = true;
}

void TPulseClient::WaitUntilReady(pa_stream *AStream)
{
    Wait([&] {
        const pa_stream_state_t state = pa_stream_get_state(AStream);
        if (!PA_STREAM_IS_GOOD(state))
            Raise(pa_context_errno(FContext));
        return state == PA_STREAM_READY;
    });
}

// With the lock held: waits until AReady (which may raise) says so, or the time is up.
void TPulseClient::Wait(const std::function<bool()> &AReady)
{
    FTimedOut = false;
    pa_time_event *timer = pa_context_rttime_new(
        FContext, pa_rtclock_now() + pa_usec_t(AnswerTimeoutMs) * PA_USEC_PER_MSEC,
        [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *ASelf) {
            auto *self = static_cast<TPulseClient *>(ASelf);
            self->FTimedOut = true;
            pa_threaded_mainloop_signal(self->FLoop, 0);
        },
        this);
    if (!timer)
        throw ESoundServerError(NoClient);
    const auto freeTimer = qScopeGuard([&] { pa_threaded_mainloop_get_api(FLoop)->time_free(timer); });
    while (!AReady()) {
        if (FTimedOut)
            throw ESoundServerError::NoAnswer();
        pa_threaded_mainloop_wait(FLoop);
    }
}

void TPulseClient::Signal()
{
    pa_threaded_mainloop_signal(FLoop, 0);
}

void TPulseClient::Stop()
{
    if (FLoop)
        pa_threaded_mainloop_stop(FLoop);
}

void TPulseClient::CloseStream(pa_stream *&AStream)
{
    if (!AStream)
        return;
    pa_stream_set_state_callback(AStream, nullptr, nullptr);
    pa_stream_set_read_callback(AStream, nullptr, nullptr);
    pa_stream_set_underflow_callback(AStream, nullptr, nullptr);
    pa_stream_disconnect(AStream);
    pa_stream_unref(AStream);
    AStream = nullptr;
}

QString TPulseClient::StreamError() const
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(FContext)));
}

void TPulseClient::Raise(int AError) const
{
    throw ESoundServerError::OfStream(AError, FDevice, FKind);
}

void TPulseClient::Free()
{
    if (FContext) {
        pa_context_set_state_callback(FContext, nullptr, nullptr);
        pa_context_disconnect(FContext);
        pa_context_unref(FContext);
        FContext = nullptr;
    }
    if (FLoop)
        pa_threaded_mainloop_free(FLoop);
    FLoop = nullptr;
}

void TPulseClient::OnContextState(pa_context *AContext, void *ASelf)
{
    auto *self = static_cast<TPulseClient *>(ASelf);
    if (self->FReady && !PA_CONTEXT_IS_GOOD(pa_context_get_state(AContext)) && self->FLost)
        self->FLost(QStringLiteral("The sound server went away"));
    pa_threaded_mainloop_signal(self->FLoop, 0);
}
