// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/PlatformChoice.h"
#include "app/Ending.h"
#include "app/WindowRegistry.h"
#include "editor/DocumentJournal.h"
#include "editor/Form1.h"
#include "platform/AppName.h"
#include "platform/Clipboard.h"
#include "platform/ClipboardHandover.h"
#include "platform/Dialogs.h"
#include "platform/LockKeys.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include <QApplication>
#include <QProcess>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    if (line.exitCode) {
        std::fputs(line.out.toLocal8Bit().constData(), stdout);
        std::fputs(line.err.toLocal8Bit().constData(), stderr);
        return *line.exitCode;
    }
    const PlatformChoice platform = choosePlatform(systemDisplays());
    if (!platform.problem.isEmpty()) {
        std::fprintf(stderr, "zendral: cannot open a window: %s\n", platform.problem.toLocal8Bit().constData());
        return 1;
    }
    // Qt sees the program's name and the platform only: every argument is a file, even one named like a Qt option.
    QByteArray platformName = platform.platform;
    char platformOption[] = "-platform";
    char *qtArgv[] = {argv[0], platformOption, platformName.data(), nullptr};
    int qtArgc = platformName.isEmpty() ? 1 : 3;
    auto guard = std::make_unique<StartupGuard>(platformName);
    QApplication app(qtArgc, qtArgv);
    guard.reset();
    if (!QGuiApplication::primaryScreen()) {
        std::fprintf(stderr, "zendral: cannot open a window: the window system has no screen\n");
        return 1;
    }
    QApplication::setApplicationName(appName());
    QApplication::setDesktopFileName(QStringLiteral("zendral"));
    // The windows decide when the process ends (see WindowRegistry).
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    QtClipboard clipboard;
    SystemLockKeys lockKeys;
    SystemRegistry registry;
    SystemLauncher launcher;
    Memory memory;
    Services services{dialogs, dialogs, clipboard, lockKeys, registry, launcher, memory};
    int status = 0;
    {
        WindowRegistry windows(services);
        Form1 *form = windows.showForm1();
        // Unsaved edits go to a journal; a start offers what an earlier process left there.
        QString whyNoJournal;
        const QString journals = journal::folder(&whyNoJournal);
        form->journal().setFolder(journals, whyNoJournal);
        syncJournalsAtExit();
        bool ending = false;
        EndSignals endSignals;
        const auto endNow = [&] {
            // The journal keeps the unsaved text; the user's file stays as it is.
            if (Form1 *f = windows.form1())
                f->journal().sync();
            ending = true;
            QCoreApplication::exit(0);   // leaves any dialog's loop too, and no dialog shows after it
        };
        QObject::connect(&endSignals, &EndSignals::received, endNow);
        followSession(windows, endNow);
        const auto startAnother = [&line](const QString &file) {
            const QStringList arguments = line.passOn + QStringList{QStringLiteral("--"), file};
            return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
        };
        CommandLine opened = line;
        if (form->offerRecovery(opened.files.value(0)) && !opened.files.isEmpty())
            opened.files.first().clear();   // its text is back, unsaved: opening it again would lose that
        if (!ending)
            for (const QString &file : openFiles(*form, opened, startAnother))
                std::fprintf(stderr, "zendral: cannot start a window for %s\n", file.toLocal8Bit().constData());
        if (!ending)   // a signal during the start's questions: the event loop would not see it
            status = app.exec();
    }
    // The windows are gone by now; what the user copied outlives the process.
    handOverClipboard();
    return status;
}
