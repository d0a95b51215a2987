#include "online/UpdateCheckService.h"

TUpdateCheckService::TStartCheck &TUpdateCheckService::StartCheckFunction()
{
    static TStartCheck function;
    return function;
}

TUpdateCheckService::TShowPopup &TUpdateCheckService::ShowPopupFunction()
{
    static TShowPopup function;
    return function;
}

void TUpdateCheckService::Install(TStartCheck AStartCheck, TShowPopup AShowPopup)
{
    StartCheckFunction() = std::move(AStartCheck);
    ShowPopupFunction() = std::move(AShowPopup);
}

void TUpdateCheckService::StartCheck(std::shared_ptr<TUpdateCheckResults> AResults)
{
    if (StartCheckFunction())
        StartCheckFunction()(std::move(AResults));
}

void TUpdateCheckService::ShowPopup(QWidget *AOwner)
{
    if (ShowPopupFunction())
        ShowPopupFunction()(AOwner);
}
