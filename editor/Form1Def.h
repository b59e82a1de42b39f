// SPDX-License-Identifier: GPL-3.0-or-later
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

// The main window's messages.
namespace form1text {
inline QString saveQuestion() { return QStringLiteral("Do You Want to Save File ?"); }
inline QString changedOnDisk() { return QStringLiteral("The file has been changed by another program. Overwrite it?"); }
inline QString reload() { return QStringLiteral("The file has been changed by another program. Reload it?"); }
inline QString reloadLosingChanges()
{
    return QStringLiteral("The file has been changed by another program. Reload it?\n\n"
                          "The changes you have made here will be lost.");
}
inline QString cannotOpen(const QString &path) { return QStringLiteral("Cannot open \"%1\".").arg(path); }
inline QString cannotSave(const QString &path) { return QStringLiteral("Cannot save \"%1\".").arg(path); }
inline QString cannotStore(const QString &encoding, const QString &character)
{
    return QStringLiteral("This text holds characters that %1 cannot store, such as \"%2\". Save it as UTF-8 instead?")
        .arg(encoding, character);
}
inline QString invalidFormat() { return QStringLiteral("Invalid Data Format"); }
inline QString textFilter() { return QStringLiteral("Text file(*.txt)|*.txt"); }
}

const def::Form &form1Definition();
const std::vector<MenuDef> &form1Menus();
