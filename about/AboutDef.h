// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About window's definition.
#include "platform/WindowDef.h"

// The About window's texts.
namespace abouttext {
inline QString version() { return QStringLiteral("Version 1.0"); }
inline QString unavailable() { return QStringLiteral("System Friend Information Is Unavailable At This Time"); }
}

const def::Form &aboutDefinition();
