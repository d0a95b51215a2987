#include "process/StringList.h"

int TStringList::Count() const
{
    return int(FList.size());
}

QString TStringList::Strings(int AIndex) const
{
    return FList.at(AIndex);
}

void TStringList::SetStrings(int AIndex, const QString &AValue)
{
    FList[AIndex] = AValue;
}

int TStringList::Add(const QString &AValue)
{
    FList.append(AValue);
    return int(FList.size()) - 1;
}

void TStringList::Delete(int AIndex)
{
    FList.removeAt(AIndex);
}

void TStringList::Clear()
{
    FList.clear();
}
