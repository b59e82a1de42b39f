// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestMain.h"
#include <QDialog>
#include <QTimer>
#include <QWidget>

namespace testsupport {

static bool g_allowModal = false;

void allowModalDialogs(bool allow) { g_allowModal = allow; }

int run(int argc, char **argv, QObject *testObject)
{
    QApplication::setQuitOnLastWindowClosed(false);
    int unexpected = 0;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&unexpected] {
        QWidget *modal = QApplication::activeModalWidget();
        if (g_allowModal || !modal)
            return;
        ++unexpected;
        qCritical("unexpected modal dialog \"%s\" (%s)", qPrintable(modal->windowTitle()),
                  modal->metaObject()->className());
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    watchdog.start(200);
    const int result = QTest::qExec(testObject, argc, argv);
    if (unexpected)
        qCritical("%d unexpected modal dialog(s)", unexpected);
    return result || !unexpected ? result : 1;
}

}
