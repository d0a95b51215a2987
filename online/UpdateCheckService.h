#pragma once

#include <atomic>
#include <functional>
#include <memory>

class QWidget;

// What the update check leaves for the main window. The check sets
// CheckFinished last (release); the window reads the other fields only after it
// has seen it set (acquire).
struct TUpdateCheckResults
{
    std::atomic<bool> CheckFinished = false;
    bool UpdateSwitchAvailable = false; // the server's reply was accepted
    int ShowUpdateValue = 1;            // "ShowUpdate" as read at the start of the check
    bool UpdateAvailable = false;       // the update popup is wanted
};

// Where the main window's update timer meets the update check: the check's
// module installs how the check thread is started and how the update popup is
// shown. With nothing installed no check runs, so none ever finishes.
class TUpdateCheckService
{
public:
    // Starts the check thread, which fills AResults (shared, so it may outlive the
    // window) and frees itself. Returns at once.
    using TStartCheck = std::function<void(std::shared_ptr<TUpdateCheckResults> AResults)>;
    // Creates the update popup, which shows itself.
    using TShowPopup = std::function<void(QWidget *AOwner)>;

    static void Install(TStartCheck AStartCheck, TShowPopup AShowPopup);
    static void StartCheck(std::shared_ptr<TUpdateCheckResults> AResults);
    static void ShowPopup(QWidget *AOwner);

private:
    static TStartCheck &StartCheckFunction();
    static TShowPopup &ShowPopupFunction();
};
