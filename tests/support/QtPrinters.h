#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable Qt strings in GoogleTest's failure messages.
inline void PrintTo(const QString &AText, std::ostream *AStream)
{
    *AStream << '"' << AText.toStdString() << '"';
}

inline void PrintTo(const QStringList &AList, std::ostream *AStream)
{
    *AStream << '{';
    for (const QString &text : AList) {
        PrintTo(text, AStream);
        *AStream << ' ';
    }
    *AStream << '}';
}
