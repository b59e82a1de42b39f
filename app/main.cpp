#include "app/WindowRegistry.h"
#include "platform/AppName.h"
#include "platform/Clipboard.h"
#include "platform/ClipboardHandover.h"
#include "platform/Dialogs.h"
#include "platform/LockKeys.h"
#include "platform/Services.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(appName());
    QApplication::setDesktopFileName(QStringLiteral("zendral"));
    // The windows decide when the process ends (see WindowRegistry).
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    QtClipboard clipboard;
    SystemLockKeys lockKeys;
    SystemRegistry registry;
    SystemLauncher launcher;
    Services services{dialogs, dialogs, clipboard, lockKeys, registry, launcher};
    int status = 0;
    {
        WindowRegistry windows(services);
        windows.showForm1();
        status = app.exec();
    }
    // The windows are gone by now; what the user copied outlives the process.
    handOverClipboard();
    return status;
}
