#pragma once
// The main window's definition and its menu tree, in order.
#include "platform/WindowDef.h"
#include <QKeySequence>
#include <QList>

class Form1;
class QAction;

// One row per menu, item or separator: everything about a command is here.
struct MenuDef {
    enum Level { Menu, Item, Separator, BarCommand };
    const char *name;
    const char *caption;
    Level level;
    QList<QKeySequence> shortcuts = {};   // the first is the one shown
    QAction *Form1::*action = nullptr;    // the window's member that holds it
    void (Form1::*handler)() = nullptr;
    bool needsText = false;               // the timer enables it only while there is text
};

const def::Form &form1Definition();
const std::vector<MenuDef> &form1Menus();
