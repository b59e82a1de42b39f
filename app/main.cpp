#include "app/WindowRegistry.h"
#include "platform/AppName.h"
#include "platform/Clipboard.h"
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
    WindowRegistry windows(services);
    windows.showForm1();
    return app.exec();
}
