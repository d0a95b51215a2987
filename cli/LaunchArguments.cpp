#include "cli/LaunchArguments.h"

TLaunchArguments TLaunchArguments::Decide(const QStringList &AArguments)
{
    TLaunchArguments launch;
    for (const QString &argument : AArguments)
        if (IsOption(argument))
            launch.CommandLineMode = true;
    if (!launch.CommandLineMode)
        launch.Files = AArguments;
    return launch;
}

bool TLaunchArguments::IsOption(const QString &AArgument)
{
    // A lone "-" is no option; as a file it is reported as missing. A file whose
    // name starts with "-" is reached as "./-name".
    return AArgument.size() > 1 && AArgument.startsWith(QLatin1Char('-'));
}
