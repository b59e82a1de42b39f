// Font, Back Ground and Text Color of the main window, through scripted
// dialogs and once through the real Qt dialogs.
#include "editor/Form1.h"
#include "platform/CommonDialog.h"
#include "platform/TextBox.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QTimer>
#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(FontChoice)

// Readable failures when two fonts differ.
char *toString(const FontChoice &f)
{
    return QTest::toString(QStringLiteral("%1 %2pt%3%4%5%6")
                               .arg(f.name)
                               .arg(f.size)
                               .arg(f.bold ? " bold" : "", f.italic ? " italic" : "",
                                    f.strikethru ? " strikeout" : "", f.underline ? " underline" : ""));
}

namespace {
using Kind = ScriptedDialogs::Kind;

int distance(quint32 a, quint32 b)
{
    int sum = 0;
    for (int shift : {0, 8, 16}) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        sum += d * d;
    }
    return int(std::sqrt(double(sum)));
}

// Runs `act` on the next modal dialog of type D, once it is up.
template<class D>
void onModal(std::function<void(D *)> act)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}
}

class TestFontColor : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> m_ts;

    Form1 *open()
    {
        Form1 *f = m_ts->windows.showForm1();
        f->Text1->setText(QStringLiteral("Some text\r\nto style"));
        f->Saved = true;
        return f;
    }

    static FontChoice fontOf(const TextBox *box)
    {
        return FontChoice{box->FontName(), box->FontSize(), box->FontBold(), box->FontItalic(),
                          box->FontStrikethru(), box->FontUnderline()};
    }

private Q_SLOTS:
    void init() { m_ts = std::make_unique<TestServices>(); }
    void cleanup() { m_ts.reset(); }

    void font_data()
    {
        QTest::addColumn<FontChoice>("choice");
        QTest::newRow("Arial, bold, 14 pt, underline") << FontChoice{"Arial", 14, true, false, false, true};
        QTest::newRow("italic and strikeout") << FontChoice{"Courier New", 10, false, true, true, false};
        QTest::newRow("fractional size") << FontChoice{"DejaVu Sans", 8.25, false, false, false, false};
    }
    // The choice replaces the whole font, whatever the box had before.
    void font()
    {
        QFETCH(FontChoice, choice);
        Form1 *f = open();
        f->Text1->setFontItalic(!choice.italic);
        f->Text1->setFontStrikethru(!choice.strikethru);
        f->Text1->setFontUnderline(!choice.underline);
        f->Text1->setFontBold(!choice.bold);
        const quint32 back = f->Text1->BackColor(), fore = f->Text1->ForeColor();
        m_ts->dialogs.chooseFont(choice);

        f->mnueditfont_Click();

        QCOMPARE(m_ts->dialogs.shown().size(), 1);
        QCOMPARE(m_ts->dialogs.shown().constFirst().kind, Kind::Font);
        QCOMPARE(m_ts->dialogs.shown().constFirst().flags, 259);
        QCOMPARE(fontOf(f->Text1), choice);
        QCOMPARE(f->Text1->BackColor(), back);
        QCOMPARE(f->Text1->ForeColor(), fore);
        QVERIFY(f->Saved);
    }

    // Each dialog starts from the dialog's own last confirmed choice, never from the box.
    void fontDialogStartsFromLastChoice()
    {
        Form1 *f = open();
        const FontChoice first{"Arial", 14, true, false, false, true};
        const FontChoice second{"Courier New", 9, false, true, false, false};
        m_ts->dialogs.chooseFont(first);
        m_ts->dialogs.cancelFont();
        m_ts->dialogs.chooseFont(second);

        f->mnueditfont_Click();
        f->Text1->setFontSize(30);   // changed some other way: not where the dialog starts
        f->mnueditfont_Click();      // cancelled
        QCOMPARE(fontOf(f->Text1).size, 30.0);
        f->mnueditfont_Click();

        const auto &shown = m_ts->dialogs.shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].font.size, 12.0);
        QVERIFY(!shown[0].font.bold && !shown[0].font.italic && !shown[0].font.strikethru
                && !shown[0].font.underline);
        QCOMPARE(shown[1].font, first);
        QCOMPARE(shown[2].font, first);
        QCOMPARE(fontOf(f->Text1), second);
    }

    void fontCancel()
    {
        Form1 *f = open();
        const FontChoice before = fontOf(f->Text1);
        const FontChoice cdbBefore{f->cdb->FontName, f->cdb->FontSize, f->cdb->FontBold, f->cdb->FontItalic,
                                   f->cdb->FontStrikethru, f->cdb->FontUnderline};
        m_ts->dialogs.cancelFont();
        f->mnueditfont_Click();
        QCOMPARE(fontOf(f->Text1), before);
        QCOMPARE(fontOf(f->Text1).size, 12.0);
        const FontChoice cdbAfter{f->cdb->FontName, f->cdb->FontSize, f->cdb->FontBold, f->cdb->FontItalic,
                                  f->cdb->FontStrikethru, f->cdb->FontUnderline};
        QCOMPARE(cdbAfter, cdbBefore);
        QVERIFY(m_ts->dialogs.messages().isEmpty());
        QVERIFY(f->Saved);
    }

    void color_data()
    {
        QTest::addColumn<bool>("back");
        QTest::addColumn<quint32>("color");
        for (bool back : {true, false}) {
            const char *which = back ? "Back Ground" : "Text Color";
            QTest::addRow("%s, pure blue", which) << back << quint32(0x00FF0000);
            QTest::addRow("%s, pure red", which) << back << quint32(0x000000FF);
            QTest::addRow("%s, mixed", which) << back << quint32(0x00123456);
            QTest::addRow("%s, black", which) << back << quint32(0);
        }
    }
    void color()
    {
        QFETCH(bool, back);
        QFETCH(quint32, color);
        Form1 *f = open();
        const quint32 otherBefore = back ? f->Text1->ForeColor() : f->Text1->BackColor();
        const FontChoice font = fontOf(f->Text1);
        m_ts->dialogs.chooseColor(color);

        back ? f->mnutoolbcolor_Click() : f->mnutooltcolor_Click();

        QCOMPARE(m_ts->dialogs.shown().size(), 1);
        QCOMPARE(m_ts->dialogs.shown().constFirst().kind, Kind::Color);
        QCOMPARE(m_ts->dialogs.shown().constFirst().flags, 58);
        QCOMPARE(back ? f->Text1->BackColor() : f->Text1->ForeColor(), color);
        QCOMPARE(back ? f->Text1->ForeColor() : f->Text1->BackColor(), otherBefore);
        QCOMPARE(fontOf(f->Text1), font);
        QVERIFY(f->Saved);
    }

    void colorCancel_data()
    {
        QTest::addColumn<bool>("back");
        QTest::newRow("Back Ground") << true;
        QTest::newRow("Text Color") << false;
    }
    void colorCancel()
    {
        QFETCH(bool, back);
        Form1 *f = open();
        m_ts->dialogs.chooseColor(0x0000FF00);
        m_ts->dialogs.chooseColor(0x00FF0000);
        f->mnutoolbcolor_Click();
        f->mnutooltcolor_Click();
        m_ts->dialogs.cancelColor();

        back ? f->mnutoolbcolor_Click() : f->mnutooltcolor_Click();

        QCOMPARE(f->Text1->BackColor(), 0x0000FF00u);
        QCOMPARE(f->Text1->ForeColor(), 0x00FF0000u);
        QCOMPARE(f->cdb->Color, 0x00FF0000u);
        QVERIFY(m_ts->dialogs.messages().isEmpty());
    }

    // Whatever the two colours, the caret shows against the background.
    void caretVisible_data()
    {
        QTest::addColumn<quint32>("fore");
        QTest::addColumn<quint32>("back");
        QTest::newRow("black on white") << quint32(0) << quint32(0xFFFFFF);
        QTest::newRow("white on black") << quint32(0xFFFFFF) << quint32(0);
        QTest::newRow("white on white") << quint32(0xFFFFFF) << quint32(0xFFFFFF);
        QTest::newRow("black on black") << quint32(0) << quint32(0);
        QTest::newRow("grey on grey") << quint32(0x808080) << quint32(0x808080);
        QTest::newRow("nearly the same blue") << quint32(0xF01010) << quint32(0xFF0000);
        QTest::newRow("yellow on white") << quint32(0x00FFFF) << quint32(0xFFFFFF);
    }
    void caretVisible()
    {
        QFETCH(quint32, fore);
        QFETCH(quint32, back);
        Form1 *f = open();
        m_ts->dialogs.chooseColor(fore);
        m_ts->dialogs.chooseColor(back);
        f->mnutooltcolor_Click();
        f->mnutoolbcolor_Click();
        const auto caret = quint32(f->Text1->SendScintilla(QsciScintillaBase::SCI_GETCARETFORE));
        QVERIFY2(distance(caret, back) >= 96, qPrintable(QString::number(caret, 16)));
        if (distance(fore, back) >= 96)
            QCOMPARE(caret, fore);
    }

    // The real Qt font dialog: starts from the dialog's size 12 and returns what was chosen.
    void realFontDialog()
    {
        QtDialogs qt;
        Services services{m_ts->dialogs, qt, m_ts->clipboard, m_ts->lockKeys, m_ts->registry, m_ts->launcher};
        Form1 f(services, m_ts->windows);
        f.Text1->setText(QStringLiteral("abc"));
        const QStringList families = QFontDatabase::families();
        QVERIFY(!families.isEmpty());
        const QString family = families.contains(QStringLiteral("Nimbus Sans")) ? QStringLiteral("Nimbus Sans")
                                                                               : families.constFirst();
        double startSize = 0;
        onModal<QFontDialog>([&](QFontDialog *dialog) {
            startSize = dialog->currentFont().pointSizeF();
            QFont chosen(family);
            chosen.setPointSize(14);
            chosen.setBold(true);
            chosen.setUnderline(true);
            dialog->setCurrentFont(chosen);
            dialog->accept();
        });
        testsupport::allowModalDialogs(true);
        f.mnueditfont_Click();
        testsupport::allowModalDialogs(false);

        QCOMPARE(startSize, 12.0);
        QCOMPARE(f.Text1->FontName(), family);
        QCOMPARE(f.Text1->FontSize(), 14.0);
        QVERIFY(f.Text1->FontBold());
        QVERIFY(f.Text1->FontUnderline());
        QVERIFY(!f.Text1->FontItalic());
        QVERIFY(!f.Text1->FontStrikethru());
    }

    void realColorDialog()
    {
        QtDialogs qt;
        Services services{m_ts->dialogs, qt, m_ts->clipboard, m_ts->lockKeys, m_ts->registry, m_ts->launcher};
        Form1 f(services, m_ts->windows);
        const quint32 fore = f.Text1->ForeColor();
        testsupport::allowModalDialogs(true);
        onModal<QColorDialog>([](QColorDialog *dialog) {
            dialog->setCurrentColor(QColor(0, 0, 255));
            dialog->accept();
        });
        f.mnutoolbcolor_Click();
        onModal<QColorDialog>([](QColorDialog *dialog) {
            dialog->setCurrentColor(QColor(255, 0, 0));
            dialog->reject();
        });
        f.mnutoolbcolor_Click();
        testsupport::allowModalDialogs(false);

        QCOMPARE(f.Text1->BackColor(), 0x00FF0000u);
        QCOMPARE(f.Text1->ForeColor(), fore);
    }
};

ZENDRAL_TEST_MAIN(TestFontColor)
#include "tst_fontcolor.moc"
