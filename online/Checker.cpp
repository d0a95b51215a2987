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

int ReadShowUpdate()
{
    const QString text = SettingsStore().ReadString(Section, QStringLiteral("ShowUpdate"), QStringLiteral("1"));
    return IsInt32Text(text) ? text.toInt() : 1;
}

QString AskServer()
{
    try {
        return PostWithFallback(CheckAddress(), QStringList{QStringLiteral("cmd=check")} + ClientIdentityFields());
    } catch (const EWebRequest &) {
        return {}; // both attempts failed: like a reply that is not accepted
    }
}

} // namespace

TChecker::TChecker(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice)
    : FResults(std::move(AResults))
    , FShowNotice(std::move(AShowNotice))
{}

void TChecker::Start(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice)
{
    auto checker = std::make_unique<TChecker>(std::move(AResults), std::move(AShowNotice));
    std::thread([checker = std::move(checker)] { checker->Execute(); }).detach();
}

void TChecker::Execute()
{
    FResults->CheckFinished.store(false, std::memory_order_relaxed);
    try {
        Check();
    } catch (...) {
        // Whatever went wrong ends the check here; the window must still learn that it ended.
    }
    FResults->CheckFinished.store(true, std::memory_order_release);
}

void TChecker::Check()
{
    FResults->ShowUpdateValue = ReadShowUpdate();
    const TCheckReply reply = ParseCheckReply(AskServer());
    if (reply.Accepted)
        UseAcceptedReply(reply);
}

void TChecker::UseAcceptedReply(const TCheckReply &AReply)
{
    FResults->ServerVersion = AReply.Version;
    SettingsStore().WriteString(Section, QStringLiteral("CurrentVersion"), AReply.Version);
    FResults->UpdateURL = AReply.Url;
    FResults->UpdateSwitchAvailable = true;
    ShowNotice(AReply.Notice);
    DecideUpdate(AReply.Version);
}

void TChecker::ShowNotice(const QString &ANotice)
{
    if (FShowNotice && !TrimControls(ANotice).isEmpty())
        FShowNotice(ANotice); // returns when the user has closed the box
}

void TChecker::DecideUpdate(const QString &AServerVersion)
{
    if (!IsOfferedVersion(AServerVersion, AppVersion) || FResults->ShowUpdateValue != 1)
        return;
    const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    SettingsStore().WriteString(Section, QStringLiteral("LastUpdateInform"), today);
    FResults->UpdateAvailable = true;
}
