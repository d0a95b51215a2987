#pragma once

#include "online/UpdateCheckResults.h"

#include <QString>
#include <functional>
#include <memory>

struct TCheckReply;

// Shows the server's notice to the user (warning box, caption "IMPORTANT"
// translated) and returns only after the user closed it. The check calls it on
// its own thread, so the GUI installs one that hands the box to the GUI thread
// and waits (Qt::BlockingQueuedConnection). Empty: notices are not shown.
using TShowNotice = std::function<void(const QString &ANotice)>;

// The update check: asks the server which version is current, records it in
// the settings, may show the server's notice, and publishes the outcome in its
// TUpdateCheckResults (CheckFinished last). Touches no widget.
class TChecker
{
public:
    TChecker(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice);

    // Starts a check on a thread of its own, which frees the checker when it
    // ends. Returns at once. AResults is shared, so it may outlive the window.
    static void Start(std::shared_ptr<TUpdateCheckResults> AResults, TShowNotice AShowNotice);

    // The check itself, on the calling thread.
    void Execute();

private:
    void Check();
    void UseAcceptedReply(const TCheckReply &AReply);
    void ShowNotice(const QString &ANotice);
    void DecideUpdate(const QString &AServerVersion);

    std::shared_ptr<TUpdateCheckResults> FResults;
    TShowNotice FShowNotice;
};
