#include "support/TestMain.h"
#include <QDialog>
#include <QTimer>
#include <QWidget>

namespace testsupport {

namespace {
bool g_allowModal = false;
int g_unexpected = 0;
}

void allowModalDialogs(bool allow) { g_allowModal = allow; }

int run(int argc, char **argv, QObject *testObject)
{
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer watchdog;
    watchdog.setInterval(200);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (g_allowModal)
            return;
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        ++g_unexpected;
        qCritical("unexpected modal dialog \"%s\" (%s)", qPrintable(modal->windowTitle()),
                  modal->metaObject()->className());
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    watchdog.start();
    const int result = QTest::qExec(testObject, argc, argv);
    if (g_unexpected) {
        qCritical("%d unexpected modal dialog(s)", g_unexpected);
        return result ? result : 1;
    }
    return result;
}

}
