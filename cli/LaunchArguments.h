#pragma once

#include <QStringList>

// What the arguments ask of the program at start: no arguments or only file
// names open the window with those files in its list (as a file manager's
// "Open with" passes them); an option anywhere asks for the command-line mode,
// whose own parser then judges every argument, file names included.
class TLaunchArguments
{
public:
    // AArguments without the program name.
    static TLaunchArguments Decide(const QStringList &AArguments);

    bool CommandLineMode = false;
    QStringList Files; // for the window, as given; checked when they are added

private:
    static bool IsOption(const QString &AArgument);
};
