// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text the Find and Replace windows search in and change, seen through
// what they need of the editor: a search, a selection, a replacement, the focus.
#include "text/LineEnd.h"
#include "text/TextSearch.h"
#include <QByteArrayView>
#include <functional>

class EditTarget
{
public:
    virtual ~EditTarget() = default;
    // The first hit of `what` (UTF-8) in the text; a long search shows the editor busy.
    virtual textsearch::Match find(const QByteArray &what, textsearch::Compare compare) = 0;
    virtual LineEnd lineEnd() const = 0;
    // Selects bytes [from, to) and shows them.
    virtual void select(qint64 from, qint64 to) = 0;
    // Replaces bytes [from, to); the caret ends right after the new text.
    virtual void replace(qint64 from, qint64 to, QByteArrayView utf8) = 0;
    // Makes the editor the active window, its text holding the focus.
    virtual void takeFocus() = 0;
};

// The open editor's text, or null while the editor is closed.
using EditTargetLookup = std::function<EditTarget *()>;
