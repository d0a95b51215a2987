#include "gui/UpdateNotice.h"

#include "gui/UserDialogs.h"
#include "i18n/Language.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <mutex>

namespace {

// Set on the GUI thread once the box is closed; shared, so that a check that
// stopped waiting leaves nothing dangling behind the posted call.
struct TNoticeClosed
{
    std::mutex Mutex;
    std::condition_variable_any Changed;
    bool Closed = false;
    bool Abandoned = false; // the check stopped waiting: the box is no longer wanted
};

// The box wraps at blanks only: an unbroken run of characters would make it
// wider than the screen, so such runs get a line break every so often.
QString WithBreakableWords(const QString &AText)
{
    constexpr int LongestRun = 40;
    QString text;
    int run = 0;
    for (const QChar c : AText) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestRun) {
            text += QLatin1Char('\n');
            run = 1;
        }
        text += c;
    }
    return text;
}

bool WasAbandoned(TNoticeClosed &AState)
{
    const std::lock_guard lock(AState.Mutex);
    return AState.Abandoned;
}

} // namespace

void ShowUpdateNotice(const QString &ANotice)
{
    TUserDialogs::ShowMessage(WithBreakableWords(ANotice), Translate(QStringLiteral("IMPORTANT")), TUserDialogs::IconWarning);
}

TShowNotice GuiThreadNotice()
{
    return [](const QString &ANotice, std::stop_token AStop) {
        QCoreApplication *application = QCoreApplication::instance();
        if (!application || AStop.stop_requested())
            return; // the application is going away: no box any more
        // A blocking call from the GUI thread itself would never return.
        if (QThread::currentThread() == application->thread()) {
            ShowUpdateNotice(ANotice);
            return;
        }
        auto state = std::make_shared<TNoticeClosed>();
        QMetaObject::invokeMethod(
            application,
            [ANotice, state] {
                if (WasAbandoned(*state))
                    return;
                ShowUpdateNotice(ANotice);
                const std::lock_guard lock(state->Mutex);
                state->Closed = true;
                state->Changed.notify_all();
            },
            Qt::QueuedConnection);
        // The window's end asks the check to stop while it waits here: the box
        // may still be queued, and the GUI thread is about to wait for this one.
        std::unique_lock lock(state->Mutex);
        state->Abandoned = !state->Changed.wait(lock, AStop, [&state] { return state->Closed; });
    };
}
