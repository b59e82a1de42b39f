// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
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

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    if (line.exitCode) {
        std::fputs(line.out.toLocal8Bit().constData(), stdout);
        std::fputs(line.err.toLocal8Bit().constData(), stderr);
        return *line.exitCode;
    }
    // Qt sees the program's name only: every argument is a file, even one named like a Qt option.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
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
        const auto startAnother = [](const QString &file) {
            return QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("--"), file});
        };
        QStringList files = line.files;
        if (form->offerRecovery(files.value(0)) && !files.isEmpty())
            files.first().clear();   // its text is back, unsaved: opening it again would lose that
        if (!ending)
            for (const QString &file : openFiles(*form, files, startAnother))
                std::fprintf(stderr, "zendral: cannot start a window for %s\n", file.toLocal8Bit().constData());
        if (!ending)   // a signal during the start's questions: the event loop would not see it
            status = app.exec();
    }
    // The windows are gone by now; what the user copied outlives the process.
    handOverClipboard();
    return status;
}
