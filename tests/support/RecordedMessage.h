#pragma once

#include <QString>

#include <ostream>

// A message box a test answered in place of the user.
struct TMessage
{
    QString Text;
    QString Caption;
    int Icon = 0;
    bool operator==(const TMessage &) const = default;
};

inline void PrintTo(const TMessage &AMessage, std::ostream *AStream)
{
    *AStream << '{' << AMessage.Text.toStdString() << " | " << AMessage.Caption.toStdString() << " | " << AMessage.Icon
             << '}';
}
