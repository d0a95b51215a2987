#pragma once

#include <QString>

// A message box a test answered in place of the user.
struct TMessage
{
    QString Text;
    QString Caption;
    int Icon;
};
