// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LongWork.h"
#include "platform/StatusBar.h"
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>

namespace {
// Nothing the user does reaches the windows while the work runs: a command
// started now would find the text half-loaded. Esc cancels.
class InputGate : public QObject
{
public:
    explicit InputGate(LongWork::Progress &progress) : m_progress(progress) { qApp->installEventFilter(this); }
    ~InputGate() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
                m_progress.cancelled = true;
            return true;
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return true;
        default:
            return false;
        }
    }

private:
    LongWork::Progress &m_progress;
};

// Under this, a bar would only flash.
constexpr int ProgressDelayMs = 300;
constexpr int ProgressTickMs = 50;
}

void LongWork::run(StatusBar *bar, const std::function<void(Progress &)> &job)
{
    Progress progress;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    InputGate gate(progress);
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
    loop.exec();
    thread->wait();
    delete thread;
    if (bar)
        bar->hideProgress();
    QApplication::restoreOverrideCursor();
}
