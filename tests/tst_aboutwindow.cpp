// The About window as the user meets it: its texts, its frame, the keys and
// button that close it, focus order, and what its surface shows.
#include "about/AboutIcon.h"
#include "about/AboutWindow.h"
#include "platform/WindowDef.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <memory>

class TestAboutWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> ts;

    // Shows the About window as its menu command does and waits until it is active.
    AboutWindow *open()
    {
        AboutWindow *w = ts->windows.showAbout();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("About window not active");
        return w;
    }

private Q_SLOTS:
    void init() { ts = std::make_unique<TestServices>(); }
    void cleanup() { ts.reset(); }

    void textsAfterLoadAndLongLabelsWithTheirBlankRuns();
    void fixedFrameWithoutMaximizeMinimizeOrTaskbarButton();
    void closesAndComesBackAfresh_data();
    void closesAndComesBackAfresh();
    void focusStartsOnOkAndTabsThroughThePicture();
    void systemInfoWithoutRegistryShowsTheMessage();
    void surfaceShowsLabelsSeparatorAndPicture();
};

void TestAboutWindow::textsAfterLoadAndLongLabelsWithTheirBlankRuns()
{
    AboutWindow *w = open();
    QCOMPARE(w->objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(w->windowTitle(), QStringLiteral("About Zendral"));
    QCOMPARE(w->lblTitle->text(), QStringLiteral("Zendral"));
    QCOMPARE(w->lblVersion->text(), QStringLiteral("Version 1.0"));
    QCOMPARE(w->cmdSysInfo->text(), QStringLiteral("&System Info..."));
    QCOMPARE(w->lblDescription->text(), QStringLiteral("Manufacturer:Vemrick") + QString(34, QLatin1Char(' '))
                                            + QStringLiteral("Operating Systems:Windows 9x,ME"));
    QCOMPARE(w->lblDisclaimer->text(), QStringLiteral("Warning: This program is provided as is,") + QString(26, QLatin1Char(' '))
                                           + QStringLiteral("without warranty of any kind."));
    for (QLabel *label : {w->lblDescription, w->lblDisclaimer})
        QVERIFY(label->textFormat() == Qt::PlainText && label->wordWrap());
}

void TestAboutWindow::fixedFrameWithoutMaximizeMinimizeOrTaskbarButton()
{
    AboutWindow *w = open();
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(w->windowType(), Qt::Tool);
    QCOMPARE(w->minimumSize(), QSize(382, 237));
    QCOMPARE(w->maximumSize(), QSize(382, 237));
    QCOMPARE(w->size(), QSize(382, 237));
}

void TestAboutWindow::closesAndComesBackAfresh_data()
{
    QTest::addColumn<int>("key");   // 0: a click on OK
    QTest::addColumn<bool>("focusOnSysInfo");
    QTest::newRow("Enter") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    QTest::newRow("Esc with the focus elsewhere") << int(Qt::Key_Escape) << true;
    QTest::newRow("OK clicked") << 0 << false;
}

void TestAboutWindow::closesAndComesBackAfresh()
{
    QFETCH(int, key);
    QFETCH(bool, focusOnSysInfo);

    QPointer<AboutWindow> w = open();
    w->lblTitle->setText(QStringLiteral("changed"));
    if (focusOnSysInfo)
        w->cmdSysInfo->setFocus();
    if (key)
        QTest::keyClick(w->focusWidget(), Qt::Key(key));
    else
        QTest::mouseClick(w->cmdOK, Qt::LeftButton);

    // Destroyed, not hidden; the window registry notices, and with no other
    // window left the process would end.
    QTRY_VERIFY(!w);
    QTRY_COMPARE(ts->exits, 1);
    QVERIFY(!ts->windows.about());

    AboutWindow *again = open();
    QCOMPARE(again->lblTitle->text(), QStringLiteral("Zendral"));
    QVERIFY(ts->dialogs.messages().isEmpty());
}

void TestAboutWindow::focusStartsOnOkAndTabsThroughThePicture()
{
    AboutWindow *w = open();
    QCOMPARE(QApplication::focusWidget(), w->cmdOK);
    const QList<QWidget *> order{w->picIcon, w->cmdSysInfo, w->cmdOK};
    for (QWidget *expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
}

void TestAboutWindow::systemInfoWithoutRegistryShowsTheMessage()
{
    AboutWindow *w = open();
    ts->dialogs.answer(MsgAnswer::Ok);
    QTest::mouseClick(w->cmdSysInfo, Qt::LeftButton);
    QCOMPARE(ts->dialogs.messages(), QStringList{QStringLiteral("System Friend Information Is Unavailable At This Time")});
    QCOMPARE(ts->dialogs.shown().first().buttons, MsgButtons::Ok);
    QVERIFY(ts->launcher.attempts.isEmpty());
    QVERIFY(ts->windows.about() == w);
    QVERIFY(w->isVisible());
}

void TestAboutWindow::surfaceShowsLabelsSeparatorAndPicture()
{
    AboutWindow *w = open();
    QImage shot = w->grab().toImage();
    const auto rgb = [&shot](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };

    QCOMPARE(rgb(2, 2), 0xFFFFFFu);            // the window: white
    QCOMPARE(rgb(255, 140), 0xFFC0C0u);        // lblDescription: pink (lower right, below its text)
    QCOMPARE(rgb(72, 220), 0xFF8000u);         // lblDisclaimer: orange
    QCOMPARE(rgb(360, 27), 0xC0C0FFu);         // lblTitle: light blue inside its border
    QCOMPARE(rgb(70 + 298, 16), 0x000000u);    // ... and its thin black border at the top right

    // The separator: a grey row with the window's surface right above it.
    for (int x : {7, 200, 376}) {
        QCOMPARE(rgb(x, 163), 0x808080u);
        QCOMPARE(rgb(x, 162), 0xFFFFFFu);
    }
    // The white line of double width lies right under the grey one (seen on a dark surface).
    def::setBackColor(w, 0x00000000);
    shot = w->grab().toImage();
    for (int x : {8, 200, 376}) {
        QCOMPARE(rgb(x, 163), 0x808080u);
        QCOMPARE(rgb(x, 164), 0xFFFFFFu);
        QCOMPARE(rgb(x, 165), 0xFFFFFFu);
        QCOMPARE(rgb(x, 166), 0x000000u);
    }

    // The picture box fits its 32 x 32 picture inside a 2-pixel sunken border.
    QCOMPARE(w->picIcon->geometry(), QRect(16, 16, 36, 36));
    const QImage icon = icons::aboutImage();
    for (const QPoint p : {QPoint(10, 10), QPoint(16, 26), QPoint(25, 20)})
        QCOMPARE(rgb(18 + p.x(), 18 + p.y()), icon.pixel(p) & 0xFFFFFF);
    // ... drawn in the sixteen standard colours, with fully transparent corners.
    QCOMPARE(icon.size(), QSize(32, 32));
    const QSet<QRgb> standard{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                              0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    QSet<QRgb> used;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (const QRgb c = icon.pixel(x, y); qAlpha(c) != 0) {
                QCOMPARE(qAlpha(c), 255);
                used.insert(c & 0xFFFFFF);
            }
    QCOMPARE(qAlpha(icon.pixel(0, 31)), 0);
    QVERIFY(used.size() >= 6 && standard.contains(used));
}



ZENDRAL_TEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
