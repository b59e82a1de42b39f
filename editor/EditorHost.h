// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the main window asks of the program around it: the other windows, and
// the end of the process.
class EditorHost
{
public:
    enum class Window { Find, Replace, Calculator, About };
    virtual ~EditorHost() = default;
    // Shows the window, created afresh if it is closed.
    virtual void open(Window window) = 0;
    // Ends the process at once, without the windows' unload handlers.
    virtual void exitProcess() = 0;
};
