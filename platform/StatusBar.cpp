// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StatusBar.h"
#include "platform/LockKeys.h"
#include "platform/WindowDef.h"
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLocale>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTime>

StatusBar::StatusBar(LockKeys &locks, QWidget *parent) : QWidget(parent), m_locks(locks)
{
    setObjectName(QStringLiteral("statusbar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(addPanel(QStringLiteral("text"), QStringLiteral(" "), def::px(500)), 1);
    layout->addWidget(addPanel(QStringLiteral("caps"), QStringLiteral("CAPS"), def::px(500)));
    layout->addWidget(addPanel(QStringLiteral("numlock"), QStringLiteral("NUM"), def::px(500)));
    QLabel *time = addPanel(QStringLiteral("time"), QStringLiteral("11:15 PM"), def::px(1000));
    time->setFixedWidth(def::px(1000));
    layout->addWidget(time);
    panel(1)->setTextFormat(Qt::PlainText);

    m_clock.setSingleShot(true);
    connect(&m_clock, &QTimer::timeout, this, &StatusBar::refreshClock);
    refreshClock();
    refreshLocks();
    // Lock keys change only with key presses or while another program is active.
    qApp->installEventFilter(this);
    if (parent)
        parent->installEventFilter(this);
    dock();
}

QLabel *StatusBar::addPanel(const QString &key, const QString &text, int minWidth)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(key);
    label->setMinimumWidth(minWidth);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panels << label;
    return label;
}

QLabel *StatusBar::panel(const QString &key) const
{
    for (QLabel *p : m_panels)
        if (p->objectName() == key)
            return p;
    return nullptr;
}

QLabel *StatusBar::panel(int index) const
{
    return index >= 1 && index <= m_panels.size() ? m_panels[index - 1] : nullptr;
}

int StatusBar::fixedHeight() const { return def::px(375); }

void StatusBar::showProgress(int percent)
{
    if (!m_progress) {
        m_progress = new QProgressBar(panel(1));
        m_progress->setObjectName(QStringLiteral("progress"));
        auto *layout = new QHBoxLayout(panel(1));
        layout->setContentsMargins(1, 1, 1, 1);
        layout->addWidget(m_progress);
    }
    // Work that cannot tell how far it is shows a bar that moves all the same.
    m_progress->setRange(0, percent < 0 ? 0 : 100);
    m_progress->setValue(qBound(0, percent, 100));
    m_progress->show();
}

void StatusBar::hideProgress()
{
    if (m_progress)
        m_progress->hide();
}

void StatusBar::refreshLocks()
{
    const auto show = [](QLabel *p, std::optional<bool> on) { p->setEnabled(on.value_or(false)); };
    show(panel(QStringLiteral("caps")), m_locks.capsLock());
    show(panel(QStringLiteral("numlock")), m_locks.numLock());
}

void StatusBar::refreshClock()
{
    const QTime now = QTime::currentTime();
    panel(QStringLiteral("time"))->setText(QLocale::system().toString(now, shortTimeFormat()));
    // Wake again just after the next minute starts.
    m_clock.start((60 - now.second()) * 1000 - now.msec() + 20);
}

QString StatusBar::shortTimeFormat()
{
    // The clock changes once a minute, so seconds (which some locales' short
    // format carries) would only ever show a stale value.
    QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[:.]?s+"));
    format.remove(seconds);
    return format;
}

void StatusBar::dock()
{
    if (QWidget *p = parentWidget())
        setGeometry(0, p->height() - fixedHeight(), p->width(), fixedHeight());
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == parentWidget())
            dock();
        break;
    case QEvent::KeyRelease:
    case QEvent::ApplicationActivate:
    case QEvent::WindowActivate:
        if (watched == qApp || watched == parentWidget() || event->type() == QEvent::KeyRelease)
            refreshLocks();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
