#pragma once

#include <QString>

// Where the window's file dialogs open: the folder used last (kept in the
// settings), or the first time the user's music folder. Also the name a save
// dialog proposes for a result: "voice - Robot.mp3" for voice.wav and Robot.
class TDialogFolder
{
public:
    // The folder used last if it still exists, else the music folder (the
    // home folder when there is none).
    static QString StartFolder();
    // Keeps the folder of AChosenFile for the next dialog.
    static void Remember(const QString &AChosenFile);
    // "<input's base name> - <effect>.<AExtension>" in StartFolder(); a "/" in
    // the effect becomes "-", as no file name may hold one.
    static QString ProposedSaveName(const QString &AInput, const QString &AEffect, const QString &AExtension);
};
