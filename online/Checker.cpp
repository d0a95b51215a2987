#include "online/Checker.h"

#include "identity/AppIdentity.h"
#include "identity/SettingsStore.h"
#include "online/CheckReply.h"
#include "online/ClientIdentity.h"
#include "online/EWebRequest.h"
#include "online/FormPost.h"
#include "online/ServerEndpoints.h"
#include "online/TextLines.h"
#include "online/UpdateDecision.h"

#include <QDate>
#include <QLocale>
#include <thread>

namespace {

const QString Section = QStringLiteral("Settings");

int ReadShowUpdate(const TSettingsStore &ASettings)
{
    const QString text = ASettings.ReadString(Section, QStringLiteral("ShowUpdate"), QStringLiteral("1"));
    return IsInt32Text(text) ? text.toInt() : 1;
}

QString AskServer(const std::stop_token &AStop)
{
    try {
        return PostWithFallback(CheckAddress(), QStringList{QStringLiteral("cmd=check")} + ClientIdentityFields(),
                                AStop);
    } catch (const EWebRequest &) {
        return {}; // both attempts failed: like a reply that is not accepted
    }
}

} // namespace

TChecker::TChecker(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice)
    : FResults(std::move(AResults))
    , FShowNotice(std::move(AShowNotice))
{}

std::jthread TChecker::Start(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice)
{
    return std::jthread([checker = TChecker(std::move(AResults), std::move(AShowNotice))](
                            std::stop_token AStop) mutable { checker.Execute(std::move(AStop)); });
}

void TChecker::Execute(std::stop_token AStop)
{
    FStop = std::move(AStop);
    FResults->CheckFinished.store(false, std::memory_order_relaxed);
    try {
        // Opened on this thread and used by it alone: the window's store is never shared.
        TSettingsStore settings;
        Check(settings);
    } catch (...) {
        // Whatever went wrong ends the check here; the window must still learn that it ended.
    }
    FResults->CheckFinished.store(true, std::memory_order_release);
}

void TChecker::Check(TSettingsStore &ASettings)
{
    FResults->ShowUpdateValue = ReadShowUpdate(ASettings);
    const TCheckReply reply = ParseCheckReply(AskServer(FStop));
    // Once the owner is going away, nothing is shown or written any more.
    if (reply.Accepted && !FStop.stop_requested())
        UseAcceptedReply(ASettings, reply);
}

void TChecker::UseAcceptedReply(TSettingsStore &ASettings, const TCheckReply &AReply)
{
    FResults->ServerVersion = AReply.Version;
    ASettings.WriteString(Section, QStringLiteral("CurrentVersion"), AReply.Version); // a failure changes nothing
    FResults->UpdateURL = AReply.Url;
    FResults->UpdateSwitchAvailable = true;
    ShowNotice(AReply.Notice);
    if (!FStop.stop_requested())
        DecideUpdate(ASettings, AReply.Version);
}

void TChecker::ShowNotice(const QString &ANotice)
{
    if (FShowNotice && !TrimControls(ANotice).isEmpty())
        FShowNotice(ANotice, FStop); // returns when the user has closed the box, or on a stop request
}

void TChecker::DecideUpdate(TSettingsStore &ASettings, const QString &AServerVersion)
{
    if (!IsOfferedVersion(AServerVersion, AppVersion) || FResults->ShowUpdateValue != 1)
        return;
    const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    // A popup whose day cannot be recorded is not shown.
    FResults->UpdateAvailable = ASettings.WriteString(Section, QStringLiteral("LastUpdateInform"), today);
}
