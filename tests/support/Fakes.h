#pragma once
// Fakes of the platform services, and a bundle of them for the windows under test.
#include "app/WindowRegistry.h"
#include "platform/Clipboard.h"
#include "platform/LockKeys.h"
#include "support/ScriptedDialogs.h"
#include "platform/Services.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include <QStringList>

class FakeClipboard : public Clipboard
{
public:
    enum class Holds { Nothing, Text, ImageOnly, Unreadable };
    QString content;
    mutable int reads = 0;
    int writes = 0;

    // What another program put there; the change is announced as the system does.
    void hold(Holds h) { m_holds = h; Q_EMIT changed(); }
    void putText(const QString &t) { content = t; hold(Holds::Text); }
    Holds holds() const { return m_holds; }
    // Unreadable: says it holds text, then cannot deliver it (another program holds it).
    bool hasText() const override { return m_holds == Holds::Text || m_holds == Holds::Unreadable; }
    std::optional<QString> text() const override;
    void setText(const QString &t) override;

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

class FakeLauncher : public ProgramLauncher
{
public:
    QStringList ordinaryFiles;       // paths that pass the file test; only these programs start
    QStringList attempts;            // command lines asked to start
    QStringList started;             // command lines started
    bool startFails = false;         // even an existing program fails to start
    bool isOrdinaryFile(const QString &path) const override { return ordinaryFiles.contains(path); }
    bool start(const QString &commandLine) override;
};

// Scripted dialogs, fake clipboard and friends, a window registry over them
// whose exit is recorded instead of ending the test process.
struct TestServices {
    ScriptedDialogs dialogs;
    FakeClipboard clipboard;
    FakeLockKeys lockKeys;
    NoRegistry registry;
    FakeLauncher launcher;
    Services services{dialogs, dialogs, clipboard, lockKeys, registry, launcher};
    WindowRegistry windows{services};
    int exits = 0;

    TestServices();
    // Fails the running test on dialogs nobody queued an answer for.
    void failOnUnexpectedDialogs();
};
