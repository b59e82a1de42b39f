#pragma once
// The About window's definition.
#include "platform/WindowDef.h"

const def::Form &aboutDefinition();
