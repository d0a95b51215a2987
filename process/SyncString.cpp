#include "process/SyncString.h"

QString TSyncString::Value()
{
    BeginRead();
    const QString result = FValue;
    EndRead();
    return result;
}

void TSyncString::SetValue(const QString &AValue)
{
    BeginWrite();
    FValue = AValue;
    EndWrite();
}

bool TSyncString::Add(const QString &AValue)
{
    BeginWrite();
    const bool wasEmpty = FValue.isEmpty();
    FValue += AValue;
    EndWrite();
    return wasEmpty;
}

void TSyncString::Delete(int APos, int ACount)
{
    BeginWrite();
    FValue.remove(APos - 1, ACount);
    EndWrite();
}

int TSyncString::Length()
{
    BeginRead();
    const int result = int(FValue.size());
    EndRead();
    return result;
}

QString TSyncString::Take()
{
    QString result;
    BeginWrite();
    result.swap(FValue);
    EndWrite();
    return result;
}
