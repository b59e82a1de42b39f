// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window over scripted services, shown and ready for input.
#include "editor/Form1.h"
#include "editor/Form1Def.h"
#include "platform/CommonDialog.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include "support/Fakes.h"
#include <QAction>
#include <QLabel>
#include <QScopeGuard>
#include <QTest>
#include <memory>

struct EditorFixture {
    std::unique_ptr<TestServices> t;
    Form1 *form = nullptr;

    // Call from init(): a fresh main window with the clipboard as given.
    bool start(FakeClipboard::Holds clipboard = FakeClipboard::Holds::Nothing)
    {
        t = std::make_unique<TestServices>();
        t->clipboard.hold(clipboard);
        form = t->windows.showForm1();
        return QTest::qWaitForWindowExposed(form);
    }
    // Call from cleanup(): every queued answer used, no unexpected dialog, every file dialog
    // as the editor shows it (Save asks before overwriting and adds ".txt", Open can list any file).
    void finish()
    {
        const auto reset = qScopeGuard([this] { t.reset(); form = nullptr; });
        if (t) {
            QVERIFY2(t->dialogs.failures().isEmpty(), qPrintable(t->dialogs.failures().join(QLatin1Char('\n'))));
            QCOMPARE(t->dialogs.pending(), 0);
            const QString filter = QStringLiteral("Text file(*.txt)|*.txt");
            using enum ScriptedDialogs::Kind;
            for (const ScriptedDialogs::Shown &s : t->dialogs.shown())
                if (const bool save = s.kind == Save; save || s.kind == Open)
                    QCOMPARE(std::tuple(s.flags, s.file.filter, s.file.defaultExt),
                             std::tuple(10, save ? filter : filter + "|All files (*)|*", save ? "txt" : QString()));
        }
    }
    // The File menu's item: "new", "open", "save", "saveas", "exit".
    QAction *fileItem(const QString &name) const
    { return form->findChild<QAction *>(QStringLiteral("mnufile") + name); }
    // Types into the editing area as a user does.
    void type(const QString &keys) { QTest::keyClicks(form->Text1, keys); }
    // Lets the menu-state timer run after a change.
    void settle() { QTRY_VERIFY(!form->Timer1->isActive()); }
    // Opens `path` through the File menu; the menus follow the loaded text.
    void open(const QString &path) { t->dialogs.chooseFile(path); form->mnufileopen->trigger(); settle(); }
    // What the status bar's first panel says (the document's name, or a blank).
    QString panel() const { return form->statusbar->panel(QStringLiteral("text"))->text(); }
    static QString write(const QString &path, const QByteArray &bytes)
    {
        QFile out(path);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? path : QString();
    }
    static QByteArray contents(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }
};
