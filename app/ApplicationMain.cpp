#include "app/ApplicationMain.h"

#include "cli/CommandLineMode.h"
#include "cli/LaunchArguments.h"
#include "gui/AppForm.h"
#include "platform/ChildProcess.h"
#include "platform/FileName.h"
#include "platform/NamedSemaphore.h"

#include <QApplication>

namespace {

QStringList ArgumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << Platform::DecodeFileName(argv[i]);
    return arguments;
}

} // namespace

int RunApplication(int argc, char *argv[])
{
    Platform::RestoreDefaultChildSignal();
    // Marks a running instance for installers; a second instance starts anyway.
    Platform::CreateNamedSemaphore(QStringLiteral("QUILLABY_Tonara"));
    const TLaunchArguments launch = TLaunchArguments::Decide(ArgumentsOf(argc, argv));
    if (launch.CommandLineMode)
        return RunCommandLine(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonara"));
    // Lets the desktop match the window with the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quillaby.Tonara"));
    TAppForm appForm;
    appForm.show();
    if (!launch.Files.isEmpty())
        appForm.OpenSoundFiles(launch.Files);
    return QApplication::exec();
}
