// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/ReplaceDialog.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "search/SearchDefs.h"
#include "search/SearchTarget.h"
#include "text/TextSearch.h"
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

ReplaceDialog::ReplaceDialog(Services &services, EditTargetLookup target)
    : QWidget(nullptr), m_services(services), m_target(std::move(target))
{
    const def::Form &d = replaceDefinition();
    def::build(this, d);
    fitLabels(this);
    Command3 = def::control<QPushButton>(this, "Command3");
    Command1 = def::control<QPushButton>(this, "Command1");
    Text2 = def::control<QPlainTextEdit>(this, "Text2");
    Text1 = def::control<QPlainTextEdit>(this, "Text1");
    Label2 = def::control<QLabel>(this, "Label2");
    Label1 = def::control<QLabel>(this, "Label1");
    for (QPlainTextEdit *box : {Text1, Text2}) {
        // Boxes without scroll bars, as defined: a second line scrolls within them.
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->installEventFilter(this);
    }
    // Moves over the buttons and the bare surface drive the hover colours; the
    // labels and boxes do not track, so moves over them change nothing.
    setMouseTracking(true);
    for (QPushButton *button : {Command1, Command3}) {
        button->setMouseTracking(true);
        button->setAttribute(Qt::WA_NoMousePropagation);
        button->installEventFilter(this);
    }

    connect(Command1, &QPushButton::clicked, this, &ReplaceDialog::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &ReplaceDialog::Command3_Click);
    Form_Load();
    def::place(this, d);
}

void ReplaceDialog::Form_Load()
{
    Text1->setPlainText(QString());
}

void ReplaceDialog::Command1_Click()
{
    const QString what = searchtarget::boxText(Text1);
    if (what.isEmpty()) {
        searchtarget::tellAndRefocus(this, m_services.messages, searchtext::nothingToReplace(), Text1);
        return;
    }
    // With the editor closed there is nothing to find in.
    EditTarget *target = m_target();
    const textsearch::Match hit = target ? searchtarget::find(*target, what, textsearch::Compare::Text) : textsearch::Match{};
    if (!hit.found()) {
        searchtarget::tellAndRefocus(this, m_services.messages, searchtext::cannotFind(what), Text1);
        return;
    }
    target->select(hit.start, hit.end);
    // Replacing the selection leaves the caret right after the new text.
    target->replace(hit.start, hit.end, searchtarget::toDocument(searchtarget::boxText(Text2), target->lineEnd()));
    target->takeFocus();
}

void ReplaceDialog::Command3_Click()
{
    close();
}

void ReplaceDialog::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Command1_Click();
}

void ReplaceDialog::Text2_KeyPress(int keyAscii)
{
    Text1_KeyPress(keyAscii);
}

void ReplaceDialog::Command1_MouseMove() { def::setBackColor(Command1, ole::LightBlue); }
void ReplaceDialog::Command3_MouseMove() { def::setBackColor(Command3, ole::LightBlue); }

void ReplaceDialog::Form_MouseMove()
{
    def::setBackColor(Command1, ole::ButtonFace);
    def::setBackColor(Command3, ole::ButtonFace);
}

void ReplaceDialog::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

bool ReplaceDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == Command1)
            Command1_MouseMove();
        else if (watched == Command3)
            Command3_MouseMove();
    } else if (event->type() == QEvent::KeyPress && searchtarget::isEnter(static_cast<QKeyEvent *>(event))) {
        // The replacement runs before Enter reaches the box, which then takes it as a line break.
        if (watched == Text1)
            Text1_KeyPress(13);
        else if (watched == Text2)
            Text2_KeyPress(13);
        if (auto *box = qobject_cast<QPlainTextEdit *>(watched))
            return searchtarget::typeLineBreak(box, static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}
