// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed definitions of the Find and Replace windows.
#include "platform/WindowDef.h"

// The Find and Replace windows' messages.
namespace searchtext {
inline QString notFound() { return QStringLiteral("Sorry Friend,String Not Found"); }
inline QString nothingToReplace() { return QStringLiteral("Please Enter Text To Find And Replace"); }
inline QString cannotFind(const QString &what) { return QStringLiteral("Cannot Find ") + what; }
}

const def::Form &findDefinition();
const def::Form &replaceDefinition();

class QWidget;
// The captions were laid out for a narrow font: a label whose caption would not
// fit its width on one line with the font at hand gets a smaller size instead
// of a wrapped, cut-off caption.
void fitLabels(QWidget *form);
