// Cut, Copy, Paste and Select All of the main window, through a scripted
// clipboard, the real Qt clipboard, and the shortcut keys.
#include "editor/Form1.h"
#include "platform/Clipboard.h"
#include "platform/TextBox.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <memory>

using Holds = FakeClipboard::Holds;
Q_DECLARE_METATYPE(FakeClipboard::Holds)

namespace {
const QString kInvalid = QStringLiteral("Invalid Data Format");

// Text with a NUL, a CR LF pair and a character outside the BMP.
QString awkwardText()
{
    QString s = QStringLiteral("a");
    s += QChar(0);
    s += QStringLiteral("b\r\nc") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("d");
    return s;
}

// Readable in a failed QCOMPARE: control characters spelled out.
QString visible(const QString &s)
{
    QString out;
    for (QChar c : s)
        out += c.unicode() < 32 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')) : QString(c);
    return out;
}

// Says yes to the text question and then cannot deliver, as when another
// program holds the clipboard between the two calls.
class BusyClipboard : public Clipboard
{
public:
    bool hasText() const override { return true; }
    std::optional<QString> text() const override { return std::nullopt; }
    void setText(const QString &) override {}
};
}

class TestEditCommands : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> m_ts;

    Form1 *form() { return m_ts->windows.form1(); }

    // The main window holding `text`, the selection [start, start+length), counted as saved.
    Form1 *open(const QString &text, qint64 start = 0, qint64 length = 0)
    {
        Form1 *f = m_ts->windows.showForm1();
        f->Text1->setText(text);
        f->Text1->setSelStart(start);
        f->Text1->setSelLength(length);
        f->Saved = true;
        return f;
    }

    void setClipboard(Holds holds, const QString &text = {})
    {
        m_ts->clipboard.holds = holds;
        m_ts->clipboard.content = text;
    }

private Q_SLOTS:
    void init() { m_ts = std::make_unique<TestServices>(); }
    void cleanup()
    {
        m_ts.reset();
        QGuiApplication::clipboard()->clear();
    }

    void cutCopy_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::addColumn<Holds>("holds");
        for (bool cut : {false, true}) {
            const char *name = cut ? "cut" : "copy";
            QTest::addRow("%s, clipboard empty", name) << cut << Holds::Nothing;
            QTest::addRow("%s, clipboard holds an image only", name) << cut << Holds::ImageOnly;
            QTest::addRow("%s, clipboard holds text", name) << cut << Holds::Text;
            QTest::addRow("%s, clipboard unreadable", name) << cut << Holds::Unreadable;
        }
    }
    // The selection reaches the clipboard whatever it held before.
    void cutCopy()
    {
        QFETCH(bool, cut);
        QFETCH(Holds, holds);
        setClipboard(holds, QStringLiteral("old"));
        Form1 *f = open(QStringLiteral("abcd"), 1, 2);

        cut ? f->mnueditcut_Click() : f->mnueditcopy_Click();

        QVERIFY(m_ts->dialogs.shown().isEmpty());
        QVERIFY(m_ts->clipboard.hasText());
        QCOMPARE(m_ts->clipboard.content, QStringLiteral("bc"));
        if (cut) {
            QCOMPARE(f->Text1->Text(), QStringLiteral("ad"));
            QCOMPARE(f->Text1->SelStart(), 1);
            QCOMPARE(f->Text1->SelLength(), 0);
            QVERIFY(!f->Saved);
        } else {
            QCOMPARE(f->Text1->Text(), QStringLiteral("abcd"));
            QCOMPARE(f->Text1->SelStart(), 1);
            QCOMPARE(f->Text1->SelLength(), 2);
            QVERIFY(f->Saved);
        }
    }

    void cutCopyAwkwardSelection()
    {
        const QString inner = awkwardText();
        setClipboard(Holds::Nothing);
        Form1 *f = open(QStringLiteral("<") + inner + QStringLiteral(">"), 1, inner.size());
        f->mnueditcopy_Click();
        QCOMPARE(visible(m_ts->clipboard.content), visible(inner));
        f->mnueditcut_Click();
        QCOMPARE(visible(m_ts->clipboard.content), visible(inner));
        QCOMPARE(f->Text1->Text(), QStringLiteral("<>"));
        QCOMPARE(f->Text1->SelStart(), 1);
    }

    void cutCopyNothingSelected_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::newRow("copy") << false;
        QTest::newRow("cut") << true;
    }
    // An empty selection puts an empty text on the clipboard and deletes nothing.
    void cutCopyNothingSelected()
    {
        QFETCH(bool, cut);
        setClipboard(Holds::Text, QStringLiteral("old"));
        Form1 *f = open(QStringLiteral("abcd"), 2, 0);
        cut ? f->mnueditcut_Click() : f->mnueditcopy_Click();
        QCOMPARE(m_ts->clipboard.writes, 1);
        QCOMPARE(m_ts->clipboard.content, QString());
        QCOMPARE(f->Text1->Text(), QStringLiteral("abcd"));
        QCOMPARE(f->Text1->SelStart(), 2);
        QVERIFY(f->Saved);
    }

    void paste_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        const QString smile = QString::fromUcs4(U"\U0001F600");
        QTest::newRow("at the caret") << "abcd" << 2 << 0 << "XY" << "abXYcd" << 4;
        QTest::newRow("over a selection") << "abcd" << 1 << 2 << "XYZ" << "aXYZd" << 4;
        QTest::newRow("over everything") << "abcd" << 0 << 4 << "X" << "X" << 1;
        QTest::newRow("at the start") << "abcd" << 0 << 0 << "X" << "Xabcd" << 1;
        QTest::newRow("at the end") << "abcd" << 4 << 0 << "X" << "abcdX" << 5;
        QTest::newRow("into an empty text") << "" << 0 << 0 << "X" << "X" << 1;
        QTest::newRow("empty text over a selection") << "abcd" << 1 << 2 << "" << "ad" << 1;
        QTest::newRow("after a non-BMP character")
            << QStringLiteral("a%1b").arg(smile) << 3 << 0 << QStringLiteral("\u00e9")
            << QStringLiteral("a%1\u00e9b").arg(smile) << 4;
        QTest::newRow("awkward text over a line break")
            << "x\r\ny" << 1 << 2 << awkwardText() << QStringLiteral("x%1y").arg(awkwardText())
            << int(1 + awkwardText().size());
    }
    void paste()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, clip);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        setClipboard(Holds::Text, clip);
        Form1 *f = open(text, start, length);

        f->mnueditpaste_Click();

        QVERIFY(m_ts->dialogs.shown().isEmpty());
        QCOMPARE(visible(f->Text1->Text()), visible(expected));
        QCOMPARE(f->Text1->bytes().toByteArray(), expected.toUtf8());
        QCOMPARE(f->Text1->SelStart(), caret);
        QCOMPARE(f->Text1->SelLength(), 0);
        QCOMPARE(m_ts->clipboard.content, clip);
        QCOMPARE(f->Saved, text == expected);
    }

    void pasteWithoutText_data()
    {
        QTest::addColumn<Holds>("holds");
        QTest::newRow("clipboard empty") << Holds::Nothing;
        QTest::newRow("clipboard holds an image only") << Holds::ImageOnly;
        QTest::newRow("clipboard unreadable") << Holds::Unreadable;
    }
    void pasteWithoutText()
    {
        QFETCH(Holds, holds);
        setClipboard(holds);
        Form1 *f = open(QStringLiteral("abcd"), 1, 2);
        m_ts->dialogs.answer(MsgAnswer::Ok);

        f->mnueditpaste_Click();

        QCOMPARE(m_ts->dialogs.shown().size(), 1);
        const auto &shown = m_ts->dialogs.shown().constFirst();
        QCOMPARE(shown.text, kInvalid);
        QCOMPARE(shown.buttons, MsgButtons::Ok);
        QCOMPARE(shown.title, QStringLiteral("Zendral"));
        QCOMPARE(f->Text1->Text(), QStringLiteral("abcd"));
        QCOMPARE(f->Text1->SelStart(), 1);
        QCOMPARE(f->Text1->SelLength(), 2);
        QCOMPARE(m_ts->clipboard.writes, 0);
        QVERIFY(f->Saved);
    }

    void pasteFromBusyClipboard()
    {
        BusyClipboard busy;
        Services services{m_ts->dialogs, m_ts->dialogs, busy, m_ts->lockKeys, m_ts->registry, m_ts->launcher};
        Form1 f(services, m_ts->windows);
        f.Text1->setText(QStringLiteral("abcd"));
        f.Text1->setSelStart(1);
        f.Text1->setSelLength(2);
        f.mnueditpaste_Click();
        QCOMPARE(f.Text1->Text(), QStringLiteral("abcd"));
        QCOMPARE(f.Text1->SelText(), QStringLiteral("bc"));
        QVERIFY(m_ts->dialogs.shown().isEmpty());
    }

    void selectAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("one line") << QStringLiteral("abc");
        QTest::newRow("lines and awkward characters") << QStringLiteral("x\r\n%1\ny\r").arg(awkwardText());
    }
    void selectAll()
    {
        QFETCH(QString, text);
        Form1 *f = open(text, text.size() / 2, 0);
        f->mnueditall_Click();
        QCOMPARE(f->Text1->SelStart(), 0);
        QCOMPARE(f->Text1->SelLength(), text.size());
        QCOMPARE(visible(f->Text1->SelText()), visible(text));
        QCOMPARE(f->Text1->Text(), text);
        QVERIFY(f->Saved);
        QVERIFY(m_ts->dialogs.shown().isEmpty());
    }

    // The menu's shortcut keys run the commands; the text box's own clipboard
    // bindings (which would use the system clipboard, not the scripted one) never run.
    void shortcutKeys_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::newRow("Ctrl+X") << (Qt::CTRL | Qt::Key_X) << "mnueditcut" << "ad" << "bc" << 1 << 0;
        QTest::newRow("Shift+Del") << (Qt::SHIFT | Qt::Key_Delete) << "mnueditcut" << "ad" << "bc" << 1 << 0;
        QTest::newRow("Ctrl+C") << (Qt::CTRL | Qt::Key_C) << "mnueditcopy" << "abcd" << "bc" << 1 << 2;
        QTest::newRow("Ctrl+Ins") << (Qt::CTRL | Qt::Key_Insert) << "mnueditcopy" << "abcd" << "bc" << 1 << 2;
        QTest::newRow("Ctrl+V") << (Qt::CTRL | Qt::Key_V) << "mnueditpaste" << "aXYd" << "XY" << 3 << 0;
        QTest::newRow("Shift+Ins") << (Qt::SHIFT | Qt::Key_Insert) << "mnueditpaste" << "aXYd" << "XY" << 3 << 0;
        QTest::newRow("Ctrl+A") << (Qt::CTRL | Qt::Key_A) << "mnueditall" << "abcd" << "XY" << 0 << 4;
    }
    void shortcutKeys()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, action);
        QFETCH(QString, text);
        QFETCH(QString, clip);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        // Only the scripted clipboard may change; the system one must keep its text.
        QGuiApplication::clipboard()->setText(QStringLiteral("system"));
        setClipboard(Holds::Text, QStringLiteral("XY"));
        Form1 *f = open(QStringLiteral("abcd"), 1, 2);
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->Text1->setFocus();
        QTRY_VERIFY(f->mnueditcut->isEnabled() && f->mnueditpaste->isEnabled());
        auto *menuItem = f->findChild<QAction *>(action);
        QVERIFY(menuItem);
        QSignalSpy triggered(menuItem, &QAction::triggered);

        QTest::keyClick(f->Text1, key.key(), key.keyboardModifiers());

        QCOMPARE(triggered.size(), 1);
        QCOMPARE(f->Text1->Text(), text);
        QCOMPARE(f->Text1->SelStart(), selStart);
        QCOMPARE(f->Text1->SelLength(), selLength);
        QCOMPARE(m_ts->clipboard.content, clip);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("system"));
        QVERIFY(m_ts->dialogs.shown().isEmpty());
    }

    // Copy works on a fresh start with nothing on the clipboard.
    void copyKeyOnFreshStart()
    {
        setClipboard(Holds::Nothing);
        Form1 *f = open(QStringLiteral("abcd"), 1, 2);
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->Text1->setFocus();
        QTRY_VERIFY(f->mnueditcopy->isEnabled());
        QTest::keyClick(f->Text1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(m_ts->clipboard.content, QStringLiteral("bc"));
        QVERIFY(m_ts->dialogs.shown().isEmpty());
    }

    // A disabled Paste ignores its keys; the box must not paste the system clipboard itself.
    void disabledPasteKeys()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("system"));
        setClipboard(Holds::Nothing);
        Form1 *f = open(QString());
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->Text1->setFocus();
        QVERIFY(!f->mnueditpaste->isEnabled());
        QTest::keyClick(f->Text1, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(f->Text1, Qt::Key_Insert, Qt::ShiftModifier);
        QVERIFY(f->Text1->isEmpty());
        QVERIFY(m_ts->dialogs.shown().isEmpty());
    }

    // Through the platform clipboard: awkward text survives both ways, and a
    // clipboard without text gets the message.
    void realClipboard()
    {
        QtClipboard clipboard;
        Services services{m_ts->dialogs, m_ts->dialogs, clipboard, m_ts->lockKeys, m_ts->registry, m_ts->launcher};
        QGuiApplication::clipboard()->clear();
        Form1 f(services, m_ts->windows);
        QVERIFY(!f.mnueditpaste->isEnabled());
        const QString text = awkwardText();

        f.Text1->setText(text);
        f.mnueditall_Click();
        f.mnueditcopy_Click();
        QCOMPARE(visible(QGuiApplication::clipboard()->text()), visible(text));
        f.mnueditcut_Click();
        QVERIFY(f.Text1->isEmpty());
        QCOMPARE(visible(QGuiApplication::clipboard()->text()), visible(text));
        f.mnueditpaste_Click();
        f.mnueditpaste_Click();
        QCOMPARE(f.Text1->bytes().toByteArray(), (text + text).toUtf8());

        // Text put there by someone else.
        const QString other = QStringLiteral("\r\n") + text + QChar(0);
        QGuiApplication::clipboard()->setText(other);
        f.mnueditall_Click();
        f.mnueditpaste_Click();
        QCOMPARE(visible(f.Text1->Text()), visible(other));
        QCOMPARE(f.Text1->SelStart(), other.size());

        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(image);
        QVERIFY(!clipboard.hasText());
        m_ts->dialogs.answer(MsgAnswer::Ok);
        f.mnueditpaste_Click();
        QCOMPARE(m_ts->dialogs.messages(), QStringList{kInvalid});
        QCOMPARE(visible(f.Text1->Text()), visible(other));
        // Copying needs no text on the clipboard.
        f.mnueditall_Click();
        f.mnueditcopy_Click();
        QCOMPARE(visible(QGuiApplication::clipboard()->text()), visible(other));
    }
};

ZENDRAL_TEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
