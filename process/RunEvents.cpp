#include "process/RunEvents.h"

#include "process/ProcessRunner.h"
#include "process/StringList.h"

TRunEvents::TRunEvents(TProcessRunner *AOwner, TStringList *ALines, TStrings *AOutputLines, TNewLineEvent AOnNewLine,
                       TNewCharEvent AOnNewChar)
    : FOwner(AOwner)
    , FLines(ALines)
    , FOutputLines(AOutputLines)
    , FOnNewLine(std::move(AOnNewLine))
    , FOnNewChar(std::move(AOnNewChar))
{}

void TRunEvents::EntireLine(void *AEvents, const QString &AText, int AReplaceLast)
{
    auto *self = static_cast<TRunEvents *>(AEvents);
    self->FLines->Add(AText);
    if (self->FOutputLines)
        OutputLine(AEvents, AText, AReplaceLast);
    if (self->FOnNewLine)
        NewLine(AEvents, AText, otEntireLine);
}

void TRunEvents::NewChar(void *AEvents, const QString &, int AChar)
{
    auto *self = static_cast<TRunEvents *>(AEvents);
    self->FOwner->CallHandler([&] { self->FOnNewChar(self->FOwner, QChar(char16_t(AChar))); });
}

void TRunEvents::NewLine(void *AEvents, const QString &AText, int AOutputType)
{
    auto *self = static_cast<TRunEvents *>(AEvents);
    self->FOwner->CallHandler([&] { self->FOnNewLine(self->FOwner, AText, TOutputType(AOutputType)); });
}

void TRunEvents::OutputLine(void *AEvents, const QString &AText, int AReplaceLast)
{
    TStrings *list = static_cast<TRunEvents *>(AEvents)->FOutputLines;
    if (AReplaceLast && list->Count() > 0)
        list->SetStrings(list->Count() - 1, AText);
    else
        list->Add(AText);
}
