#pragma once

#include <QString>
#include <QStringList>

// A list of text lines that someone else may own: the component mirrors its
// output into one (OutputLines) and reads its environment entries from one.
// A text box can offer its lines through this interface.
class TStrings
{
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    virtual QString Strings(int AIndex) const = 0;
    virtual void SetStrings(int AIndex, const QString &AValue) = 0;
    // Appends a line and returns its index.
    virtual int Add(const QString &AValue) = 0;
    virtual void Delete(int AIndex) = 0;
    virtual void Clear() = 0;

    QStringList ToStringList() const
    {
        QStringList result;
        for (int i = 0; i < Count(); ++i)
            result << Strings(i);
        return result;
    }
};
