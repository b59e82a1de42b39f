// SPDX-License-Identifier: GPL-3.0-or-later
// Text dragged into the box from elsewhere is copied; a drag within the box moves.
#include "platform/TextBox.h"
#include <QDropEvent>

namespace {
// The component accepts the action proposed, which can be Move for another program's
// drag: told Move, the source deletes what the user dragged. Its own drags are Moves.
void copyFromElsewhere(const TextBox *box, QDropEvent *e)
{
    if (e->isAccepted() && e->source() != box && (e->possibleActions() & Qt::CopyAction))
        e->setDropAction(Qt::CopyAction);
}
}

void TextBox::dragEnterEvent(QDragEnterEvent *e)
{
    QsciScintillaBase::dragEnterEvent(e);
    copyFromElsewhere(this, e);
}

void TextBox::dragMoveEvent(QDragMoveEvent *e)
{
    QsciScintillaBase::dragMoveEvent(e);
    copyFromElsewhere(this, e);
}

void TextBox::dropEvent(QDropEvent *e)
{
    // Whatever the action, the component takes away only text dragged from itself.
    QsciScintillaBase::dropEvent(e);
    copyFromElsewhere(this, e);
}
