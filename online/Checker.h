#pragma once

#include "online/UpdateCheckResults.h"

#include <QString>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

struct TCheckReply;
class TSettingsStore;

// Shows the server's notice to the user (warning box, caption "IMPORTANT"
// translated) and returns only after the user closed it, or as soon as AStop is
// requested. The check calls it on its own thread, so the GUI installs one that
// hands the box to the GUI thread and waits. Empty: notices are not shown.
using TShowNotice = std::function<void(const QString &ANotice, std::stop_token AStop)>;

// The update check: asks the server which version is current, records it in
// the settings, may show the server's notice, and publishes the outcome in its
// TUpdateCheckResults (CheckFinished last). Touches no widget.
class TChecker
{
public:
    TChecker(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice);

    // Starts a check on a thread of its own and returns at once. The thread
    // ends with the returned object: its destruction asks the check to stop
    // (the request and the notice stop waiting) and then waits for it, so the
    // check never outlives its owner.
    [[nodiscard]] static std::jthread Start(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice);

    // The check itself, on the calling thread, with a settings store of its own.
    void Execute(std::stop_token AStop = {});

private:
    void Check(TSettingsStore &ASettings);
    void UseAcceptedReply(TSettingsStore &ASettings, const TCheckReply &AReply);
    void ShowNotice(const QString &ANotice);
    void DecideUpdate(TSettingsStore &ASettings, const QString &AServerVersion);

    std::shared_ptr<TUpdateCheckResults> FResults;
    TShowNotice FShowNotice;
    std::stop_token FStop;
};
