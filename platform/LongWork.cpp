// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LongWork.h"
#include "platform/StatusBar.h"
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace {
// Input waits in the window system's queue; what is not input comes through
// and needs holding here: a window closed or a file dropped now would find the
// text half-loaded.
class Gate : public QObject
{
public:
    Gate() { qApp->installEventFilter(this); }
    ~Gate() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
};

// Under this, a bar would only flash.
constexpr int ProgressDelayMs = 300;
constexpr int ProgressTickMs = 50;
}

void LongWork::run(StatusBar *bar, const std::function<void(Progress &)> &job)
{
    Progress progress;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Gate gate;
    QEventLoop loop;
    QThread *thread = QThread::create([&] { job(progress); });
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (bar && clock.elapsed() >= ProgressDelayMs) {
            const qint64 total = progress.total;
            bar->showProgress(total > 0 ? int(100 * progress.done / total) : -1);
        }
    });
    tick.start(ProgressTickMs);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    delete thread;
    if (bar)
        bar->hideProgress();
    QApplication::restoreOverrideCursor();
}
