#include "app/UpdateCheckSeam.h"

TUpdateCheckSeam::TStartCheck &TUpdateCheckSeam::StartCheckFunction()
{
    static TStartCheck function;
    return function;
}

TUpdateCheckSeam::TShowPopup &TUpdateCheckSeam::ShowPopupFunction()
{
    static TShowPopup function;
    return function;
}

void TUpdateCheckSeam::Install(TStartCheck AStartCheck, TShowPopup AShowPopup)
{
    StartCheckFunction() = std::move(AStartCheck);
    ShowPopupFunction() = std::move(AShowPopup);
}

void TUpdateCheckSeam::StartCheck(std::shared_ptr<TUpdateCheckResults> AResults)
{
    if (StartCheckFunction())
        StartCheckFunction()(std::move(AResults));
}

void TUpdateCheckSeam::ShowPopup(QWidget *AOwner)
{
    if (ShowPopupFunction())
        ShowPopupFunction()(AOwner);
}
