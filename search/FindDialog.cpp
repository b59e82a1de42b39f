// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/FindDialog.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "search/SearchDefs.h"
#include "search/SearchTarget.h"
#include "text/TextSearch.h"
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

FindDialog::FindDialog(Services &services, EditTargetLookup target)
    : QWidget(nullptr), m_services(services), m_target(std::move(target))
{
    const def::Form &d = findDefinition();
    def::build(this, d);
    fitLabels(this);
    Check1 = def::control<QCheckBox>(this, "Check1");
    Command2 = def::control<QPushButton>(this, "Command2");
    Command1 = def::control<QPushButton>(this, "Command1");
    Text1 = def::control<QPlainTextEdit>(this, "Text1");
    Label3 = def::control<QLabel>(this, "Label3");
    Label2 = def::control<QLabel>(this, "Label2");
    Label1 = def::control<QLabel>(this, "Label1");
    // A box without scroll bars, as defined: a second line scrolls within it.
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(Command1, &QPushButton::clicked, this, &FindDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FindDialog::Command2_Click);
    Text1->installEventFilter(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &FindDialog::focusWindowChanged);
    def::place(this, d);
}

void FindDialog::Command1_Click()
{
    const textsearch::Compare compare =
        Check1->checkState() == Qt::Checked ? textsearch::Compare::Binary : textsearch::Compare::Text;
    const QString what = searchtarget::boxText(Text1);
    // With the editor closed there is nothing to find in.
    EditTarget *target = m_target();
    const textsearch::Match hit = target ? searchtarget::find(*target, what, compare) : textsearch::Match{};
    if (!hit.found()) {
        searchtarget::tellAndRefocus(this, m_services.messages, searchtext::notFound(), Text1);
        return;
    }
    target->select(hit.start, hit.end);
    target->takeFocus();
}

void FindDialog::Command2_Click()
{
    close();
}

void FindDialog::Form_Activate()
{
    Text1->selectAll();
    Text1->setFocus(Qt::ActiveWindowFocusReason);
}

void FindDialog::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Command1_Click();
}

bool FindDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The search runs before Enter reaches the box, which then takes it as a line break.
    if (watched == Text1 && event->type() == QEvent::KeyPress && searchtarget::isEnter(static_cast<QKeyEvent *>(event))) {
        Text1_KeyPress(13);
        return searchtarget::typeLineBreak(Text1, static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

void FindDialog::focusWindowChanged(QWindow *window)
{
    // Returning from another application, or from a message box of this one,
    // is not an activation of the window.
    if (!window)
        return;
    if (window == windowHandle()) {
        if (m_activateDue) {
            m_activateDue = false;
            Form_Activate();
        }
        return;
    }
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->windowHandle() == window) {
            m_activateDue = !qobject_cast<QDialog *>(w);
            return;
        }
    }
}
