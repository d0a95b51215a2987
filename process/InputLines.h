#pragma once

#include "platform/Event.h"
#include "process/SimpleRWSync.h"
#include "process/StringList.h"

#include <memory>

// Lines waiting to be written to the child's standard input. The first
// character of each line is a marker: "_" asks for CR LF after the text, any
// other character (a space) for the text alone. Adding a line wakes the worker.
class TInputLines : public TSimpleRWSync
{
public:
    TInputLines();
    ~TInputLines();

    // Appends a line, then sets Event; returns the new line's index.
    int Add(const QString &AValue);
    int Count();
    void Delete(int AIndex);
    QString get_Strings(int AIndex);
    void set_Strings(int AIndex, const QString &AValue);
    QString Strings(int AIndex) { return get_Strings(AIndex); }

    // Locks the queue and hands out the list itself until UnlockList.
    TStrings *LockList();
    void UnlockList();

    // Auto-reset; set after every Add.
    Platform::TEvent &Event() { return FEvent; }

private:
    Platform::TEvent FEvent{false};
    std::unique_ptr<TStringList> FList;
};
