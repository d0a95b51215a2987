#include "app/ApplicationMain.h"

#include "cli/CommandLineMode.h"
#include "gui/AppForm.h"
#include "platform/ChildProcess.h"
#include "platform/NamedSemaphore.h"

#include <QApplication>

int RunApplication(int argc, char *argv[])
{
    Platform::RestoreDefaultChildSignal();
    // Marks a running instance for installers; a second instance starts anyway.
    Platform::CreateNamedSemaphore(QStringLiteral("QUILLABY_Tonara"));
    // The window takes no arguments: any argument asks for the command-line mode.
    if (argc > 1)
        return RunCommandLine(argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonara"));
    TAppForm appForm;
    appForm.show();
    return QApplication::exec();
}
