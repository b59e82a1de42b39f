#pragma once
// The fixed definitions of the Find and Replace windows.
#include "platform/WindowDef.h"

const def::Form &findDefinition();
const def::Form &replaceDefinition();

class QWidget;
// The captions were laid out for a narrow font: a label whose caption would not
// fit its width on one line with the font at hand gets a smaller size instead
// of a wrapped, cut-off caption.
void fitLabels(QWidget *form);
