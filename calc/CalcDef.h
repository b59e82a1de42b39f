// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/WindowDef.h"

// The calculator window and its eighteen controls, in creation order.
const def::Form &calcDefinition();
