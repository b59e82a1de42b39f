// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform services a window needs, handed in rather than reached through globals.
class MessageBoxes;
class DialogBackend;
class Clipboard;
class LockKeys;
class Registry;
class ProgramLauncher;
class Memory;

struct Services {
    MessageBoxes &messages;
    DialogBackend &dialogs;
    Clipboard &clipboard;
    LockKeys &lockKeys;
    Registry &registry;
    ProgramLauncher &launcher;
    Memory &memory;
};
