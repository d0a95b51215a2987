#pragma once

#include "process/ProcessRunnerTypes.h"

#include <QString>

class TProcessRunner;
class TStringList;
class TStrings;

// What the frequent calls of one run use on the component's thread: the
// component, its two lists and the run's copies of the line and character
// handlers. The worker shares it with its call queue, which keeps it until the
// last call has returned: a handler that opens a nested event loop may see the
// run end and the worker free itself inside that loop, and still finds its own
// captures when the loop returns.
class TRunEvents
{
public:
    TRunEvents(TProcessRunner *AOwner, TStringList *ALines, TStrings *AOutputLines, TNewLineEvent AOnNewLine,
               TNewCharEvent AOnNewChar);

    TProcessRunner *Owner() const { return FOwner; }
    bool HasOutputLines() const { return FOutputLines != nullptr; }
    bool HasOnNewChar() const { return bool(FOnNewChar); }
    bool HasOnNewLine() const { return bool(FOnNewLine); }

    // The calls, in the shape of a queued call: AEvents is this object.
    // A line that has ended: added to Lines, shown in OutputLines and reported
    // to OnNewLine, in that order; one call instead of three, as lines come by
    // the million.
    static void EntireLine(void *AEvents, const QString &AText, int AReplaceLast);
    static void NewChar(void *AEvents, const QString &, int AChar);
    static void NewLine(void *AEvents, const QString &AText, int AOutputType);
    // Shows AText in OutputLines: in place of its last entry while that entry
    // shows the growing line (AReplaceLast), otherwise as a new entry.
    static void OutputLine(void *AEvents, const QString &AText, int AReplaceLast);

private:
    TProcessRunner *FOwner;
    TStringList *FLines;
    TStrings *FOutputLines;
    TNewLineEvent FOnNewLine;
    TNewCharEvent FOnNewChar;
};
