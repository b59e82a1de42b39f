// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes of the platform services, and a bundle of them for the windows under test.
#include "app/WindowRegistry.h"
#include "platform/Clipboard.h"
#include "platform/LockKeys.h"
#include "support/ScriptedDialogs.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include <QStringList>
#include <QTest>

class FakeClipboard : public Clipboard
{
public:
    enum class Holds { Nothing, Text, ImageOnly, Unreadable };
    QString content;

    // What another program put there; the change is announced as the system does.
    void hold(Holds h) { m_holds = h; Q_EMIT changed(); }
    // Unreadable: says it holds text, then cannot deliver it (another program holds it).
    bool hasText() const override { return m_holds == Holds::Text || m_holds == Holds::Unreadable; }
    std::optional<QString> text() const override
    {
        if (m_holds == Holds::Unreadable)
            return std::nullopt;
        return m_holds == Holds::Text ? content : QString();
    }
    void setText(const QString &t) override { content = t; hold(Holds::Text); }

private:
    Holds m_holds = Holds::Nothing;
};

class FakeLockKeys : public LockKeys
{
public:
    std::optional<bool> caps, num;
    std::optional<bool> capsLock() const override { return caps; }
    std::optional<bool> numLock() const override { return num; }
};

// Only the programs named here exist and start.
class FakeLauncher : public ProgramLauncher
{
public:
    QStringList ordinaryFiles;       // paths that pass the file test
    QStringList started;             // command lines started
    bool isOrdinaryFile(const QString &path) const override { return ordinaryFiles.contains(path); }
    bool start(const QString &commandLine) override
    {
        if (ordinaryFiles.contains(commandLine))
            started << commandLine;
        return ordinaryFiles.contains(commandLine);
    }
};

// The system's free memory, or as much as a test says.
struct FakeMemory : Memory {
    qint64 free = -2;
    qint64 available() const override { return free == -2 ? Memory::available() : free; }
};

// Scripted dialogs, fake clipboard and friends, a window registry over them
// whose exit is recorded instead of ending the test process.
struct TestServices {
    ScriptedDialogs dialogs;
    FakeClipboard clipboard;
    FakeLockKeys lockKeys;
    NoRegistry registry;
    FakeLauncher launcher;
    FakeMemory memory;
    Services services{dialogs, dialogs, clipboard, lockKeys, registry, launcher, memory};
    WindowRegistry windows{services};
    int exits = 0;

    TestServices()
    {
        windows.onExit = [this] { ++exits; };
        // A dialog nobody queued an answer for fails the running test.
        dialogs.onUnexpected = [](const QString &message) { QTest::qFail(qPrintable(message), __FILE__, __LINE__); };
    }
};
