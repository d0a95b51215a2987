#pragma once

#include <QString>

#include <stdexcept>

// A text file that exists but could not be read; the message names the file
// and the system's reason, ready to be shown to the user as it is.
class ETextFileError : public std::runtime_error
{
public:
    explicit ETextFileError(const QString &AMessage)
        : std::runtime_error(AMessage.toStdString())
    {}

    QString Message() const { return QString::fromStdString(what()); }
};
