#include "process/InputLines.h"

TInputLines::TInputLines()
    : FList(std::make_unique<TStringList>())
{}

TInputLines::~TInputLines()
{
    BeginWrite();
    FList.reset();
    EndWrite();
}

int TInputLines::Add(const QString &AValue)
{
    BeginWrite();
    const int index = FList->Add(AValue);
    EndWrite();
    FEvent.Set();
    return index;
}

int TInputLines::Count()
{
    BeginRead();
    const int result = FList->Count();
    EndRead();
    return result;
}

void TInputLines::Delete(int AIndex)
{
    BeginWrite();
    FList->Delete(AIndex);
    EndWrite();
}

QString TInputLines::get_Strings(int AIndex)
{
    BeginRead();
    const QString result = FList->Strings(AIndex);
    EndRead();
    return result;
}

void TInputLines::set_Strings(int AIndex, const QString &AValue)
{
    BeginWrite();
    FList->SetStrings(AIndex, AValue);
    EndWrite();
}

TStrings *TInputLines::LockList()
{
    BeginWrite();
    return FList.get();
}

void TInputLines::UnlockList()
{
    EndWrite();
}
