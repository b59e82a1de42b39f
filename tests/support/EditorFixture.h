#pragma once
// A main window over scripted services, shown and ready for input.
#include "editor/Form1.h"
#include "platform/CommonDialog.h"
#include "platform/TextBox.h"
#include "support/Fakes.h"
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
    // Call from cleanup(): every queued answer used, no unexpected dialog.
    void finish()
    {
        if (t) {
            QVERIFY2(t->dialogs.failures().isEmpty(), qPrintable(t->dialogs.failures().join(QLatin1Char('\n'))));
            QCOMPARE(t->dialogs.pending(), 0);
        }
        t.reset();
        form = nullptr;
    }
    // Types into the editing area as a user does.
    void type(const QString &keys) { QTest::keyClicks(form->Text1, keys); }
    // Lets the menu-state timer run after a change.
    void settle() { QTRY_VERIFY(!form->Timer1->isActive()); }
};
