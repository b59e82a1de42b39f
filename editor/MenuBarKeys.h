// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keys that take the keyboard to the menu bar: F10 opens its first menu, and a lone
// Alt (pressed and released with no other key) makes the bar take the arrow keys, as
// on the desktop the program comes from; Alt with a letter still opens that letter's menu.
class QMenuBar;

void enableMenuBarKeys(QMenuBar *bar);
