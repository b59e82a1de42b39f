// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/TextMenu.h"
#include "editor/Form1.h"
#include "platform/Clipboard.h"
#include "platform/TextBox.h"
#include <QContextMenuEvent>
#include <QKeyEvent>

// Replaces the component's built-in menu, whose items act on nothing under this Qt.
TextMenu::TextMenu(Form1 &form, Clipboard &clipboard) : QMenu(&form), m_form(form), m_clipboard(clipboard)
{
    setObjectName(QStringLiteral("textMenu"));
    TextBox *box = form.Text1;
    m_undo = item("textundo", tr("&Undo"), QKeySequence::Undo, [box] { box->SendScintilla(TextBox::SCI_UNDO); });
    m_redo = item("textredo", tr("&Redo"), Qt::CTRL | Qt::Key_Y, [box] { box->SendScintilla(TextBox::SCI_REDO); });
    addSeparator();
    m_cut = item("textcut", tr("Cu&t"), QKeySequence::Cut, [&form] { form.mnueditcut_Click(); });
    m_copy = item("textcopy", tr("&Copy"), QKeySequence::Copy, [&form] { form.mnueditcopy_Click(); });
    m_paste = item("textpaste", tr("&Paste"), QKeySequence::Paste, [&form] { form.mnueditpaste_Click(); });
    m_delete = item("textdelete", tr("&Delete"), QKeySequence::Delete, [box] { box->setSelText(QString()); });
    addSeparator();
    m_all = item("textall", tr("Select &All"), QKeySequence::SelectAll, [&form] { form.mnueditall_Click(); });
    // The mouse's request comes to the viewport, the keyboard's to the box.
    form.Text1->installEventFilter(this);
    form.Text1->viewport()->installEventFilter(this);
}

QAction *TextMenu::item(const char *name, const QString &caption, const QKeySequence &key,
                        const std::function<void()> &act)
{
    // The key is shown only: it belongs to the box or to the Edit menu, which run the same commands.
    QAction *a = addAction(caption + QLatin1Char('\t') + key.toString(QKeySequence::NativeText));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, act);
    return a;
}

bool TextMenu::eventFilter(QObject *watched, QEvent *event)
{
    QPoint at;
    if (event->type() == QEvent::ContextMenu) {
        at = static_cast<QContextMenuEvent *>(event)->globalPos();
    } else if (event->type() == QEvent::KeyPress
               && static_cast<QKeyEvent *>(event)->keyCombination() == QKeyCombination(Qt::SHIFT | Qt::Key_F10)) {
        // The desktop's other key for this menu, which Qt leaves to the program: shown at the caret.
        const QWidget *box = m_form.Text1;
        at = box->mapToGlobal(box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
    } else {
        return QMenu::eventFilter(watched, event);
    }
    updateItems();
    popup(at);
    return true;
}

void TextMenu::updateItems()
{
    const TextBox *box = m_form.Text1;
    const bool selected = !box->selectedBytes().isEmpty();
    m_undo->setEnabled(box->SendScintilla(TextBox::SCI_CANUNDO));
    m_redo->setEnabled(box->SendScintilla(TextBox::SCI_CANREDO));
    m_cut->setEnabled(selected);
    m_copy->setEnabled(selected);
    m_delete->setEnabled(selected);
    m_paste->setEnabled(m_clipboard.hasText());
    m_all->setEnabled(!box->isEmpty());
}
