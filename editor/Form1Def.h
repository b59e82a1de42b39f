#pragma once
// The main window's definition and its menu tree, in order.
#include "platform/WindowDef.h"
#include <QKeySequence>
#include <QList>

struct MenuDef {
    enum Level { Menu, Item, Separator, BarCommand };
    const char *name;
    const char *caption;
    Level level;
    QList<QKeySequence> shortcuts;   // the first is the one shown
};

const def::Form &form1Definition();
const std::vector<MenuDef> &form1Menus();
