// The Find and Replace windows as built: frames, controls, stacking, tab
// order, Esc, creation afresh after their cancel button, and the hover colours.
#include "platform/Colors.h"
#include "platform/WindowDef.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include "support/Fakes.h"
#include "support/TestMain.h"
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <memory>

namespace {
constexpr quint32 None = 0xFFFFFFFF;   // colour not given

struct Expected {
    const char *name;
    const char *className;
    const char *text;
    int left, top, width, height;   // twips
    double points;
    bool bold;
    quint32 back = None, fore = None;
};

const Expected findControls[] = {
    {"Check1", "QCheckBox", "Case Sensitive", 840, 1080, 2415, 495, 12, false},
    {"Command2", "QPushButton", "Cancel", 5760, 840, 1335, 495, 8.25, false},
    {"Command1", "QPushButton", "&Find", 5760, 240, 1335, 495, 8.25, false},
    {"Text1", "QPlainTextEdit", " ", 2040, 360, 3135, 495, 12, true, 0x00FFC0C0, 0x000000C0},
    {"Label3", "QLabel", "Find Text:", 720, 480, 1215, 495, 12, false},
    {"Label2", "QLabel", " ", 600, 240, 4935, 735, 8.25, false, 0x80000000, 0x80000008},
    {"Label1", "QLabel", "Find What?", 600, 600, 1215, 375, 8.25, false, 0x80000004, 0x80000008},
};

const Expected replaceControls[] = {
    {"Command3", "QPushButton", "&Cancel ", 4200, 1920, 1575, 495, 8.25, true, 0x8000000F},
    {"Command1", "QPushButton", "&Replace", 2280, 1920, 1695, 495, 8.25, true, 0x8000000F},
    {"Text2", "QPlainTextEdit", " ", 2280, 1080, 3495, 495, 12, true, None, 0x000000C0},
    {"Text1", "QPlainTextEdit", "", 2280, 240, 3495, 495, 12, true, None, 0x00FF0000},
    {"Label2", "QLabel", "Replace With..", 120, 1200, 1815, 375, 12, true},
    {"Label1", "QLabel", "Replace What?", 120, 360, 1935, 375, 12, true},
};

QString textOf(const QWidget *w)
{
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(w))
        return e->toPlainText();
    return {};
}

QRect twips(int left, int top, int width, int height)
{
    return QRect(def::px(left), def::px(top), def::px(width), def::px(height));
}

// The widgets that Tab visits, from `first` round to it again.
QStringList tabCycle(QWidget *first)
{
    QStringList names;
    QWidget *w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(first->window()))
            names << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && names.size() < 20);
    return names;
}
}

class TestSearchWindows : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestServices> t;

    void checkControls(QWidget *form, const Expected *begin, const Expected *end);

private Q_SLOTS:
    void init() { t = std::make_unique<TestServices>(); }
    void cleanup() { t.reset(); }

    void findAsDefined();
    void replaceAsDefined();
    void findShowsFindWhatButNeverFindText();
    void replaceResizesWithoutMovingItsControls();
    void escPressesTheCancelButton_data();
    void escPressesTheCancelButton();
    void hoverColours();
};

void TestSearchWindows::checkControls(QWidget *form, const Expected *begin, const Expected *end)
{
    QObjectList order;
    for (const Expected *e = begin; e != end; ++e) {
        auto *w = form->findChild<QWidget *>(QString::fromLatin1(e->name));
        QVERIFY2(w, e->name);
        QCOMPARE(w->parentWidget(), form);
        QCOMPARE(w->metaObject()->className(), e->className);
        QCOMPARE(textOf(w), QString::fromUtf8(e->text));
        QCOMPARE(w->geometry(), twips(e->left, e->top, e->width, e->height));
        QCOMPARE(w->font().bold(), e->bold);
        if (auto *label = qobject_cast<QLabel *>(w)) {
            // A caption may be set smaller to fit its width on one line, never larger.
            QVERIFY(w->font().pointSizeF() <= e->points);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(), e->name);
        } else {
            QCOMPARE(w->font().pointSizeF(), e->points);
        }
        if (e->back != None)
            QCOMPARE(def::backColor(w), e->back);
        if (e->fore != None)
            QCOMPARE(def::foreColor(w), e->fore);
        if (qobject_cast<QLabel *>(w))
            order << w;
    }
    // Labels are stacked in the order of creation (a later one over an
    // earlier one), every other control above all labels.
    QObjectList stacking;
    qsizetype lastLabel = -1;
    const QObjectList &children = form->children();
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (qobject_cast<QLabel *>(children.at(i))) {
            stacking << children.at(i);
            lastLabel = i;
        }
    }
    QCOMPARE(stacking, order);
    for (qsizetype i = 0; i < lastLabel; ++i)
        QVERIFY(!children.at(i)->isWidgetType() || qobject_cast<QLabel *>(children.at(i)));
}

void TestSearchWindows::findAsDefined()
{
    FindDialog *find = t->windows.showFind();
    QVERIFY(QTest::qWaitForWindowExposed(find));
    QCOMPARE(find->objectName(), QStringLiteral("find"));
    QCOMPARE(find->windowTitle(), QStringLiteral("Find"));
    QCOMPARE(find->size(), QSize(def::px(7305), def::px(1755)));
    QCOMPARE(find->minimumSize(), find->maximumSize());   // fixed single frame
    QVERIFY(!(find->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(find->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!find->testAttribute(Qt::WA_SetWindowIcon));
    QVERIFY(!find->parentWidget());
    QVERIFY(!find->isModal());
    checkControls(find, std::begin(findControls), std::end(findControls));
    QCOMPARE(find->Check1->checkState(), Qt::Unchecked);
    QCOMPARE(tabCycle(find->Text1), QStringList({"Text1", "Command1", "Command2", "Check1"}));
    for (QLabel *label : find->findChildren<QLabel *>())
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    QCOMPARE(find->Label1->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // Not centred: the position of its definition.
    QCOMPARE(find->pos(), QPoint(def::px(45), def::px(330)));
}

void TestSearchWindows::replaceAsDefined()
{
    ReplaceDialog *replace = t->windows.showReplace();
    QVERIFY(QTest::qWaitForWindowExposed(replace));
    QCOMPARE(replace->objectName(), QStringLiteral("replace"));
    QCOMPARE(replace->windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(replace->size(), QSize(def::px(6045), def::px(2625)));
    QVERIFY(replace->minimumSize() != replace->maximumSize());   // sizable
    QVERIFY(!(replace->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(replace->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!replace->parentWidget());
    QVERIFY(!replace->isModal());
    checkControls(replace, std::begin(replaceControls), std::end(replaceControls));
    QCOMPARE(tabCycle(replace->Text1), QStringList({"Text1", "Text2", "Command1", "Command3"}));
    // Centred on the screen (give or take the frame).
    const QPoint off = replace->geometry().center() - replace->screen()->availableGeometry().center();
    QVERIFY2(off.manhattanLength() <= 8, qPrintable(QStringLiteral("%1, %2").arg(off.x()).arg(off.y())));
}

void TestSearchWindows::findShowsFindWhatButNeverFindText()
{
    FindDialog *find = t->windows.showFind();
    QVERIFY(QTest::qWaitForWindowExposed(find));
    const QRect covered = find->Label3->geometry();
    const QRect seen = find->Label1->geometry();
    for (int y = 0; y < find->height(); ++y) {
        for (int x = 0; x < find->width(); ++x) {
            QWidget *top = find->childAt(x, y);
            QVERIFY(top != find->Label3);
            if (seen.contains(x, y))
                QCOMPARE(top, find->Label1);
            else if (covered.contains(x, y))
                QVERIFY(top == find->Label2 || top == find->Text1 || (top && top->parentWidget() == find->Text1));
        }
    }
}

void TestSearchWindows::replaceResizesWithoutMovingItsControls()
{
    ReplaceDialog *replace = t->windows.showReplace();
    QVERIFY(QTest::qWaitForWindowExposed(replace));
    QList<QRect> before;
    const QList<QWidget *> controls = replace->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *w : controls)
        before << w->geometry();
    for (const QSize size : {QSize(700, 400), QSize(120, 60)}) {
        replace->resize(size);
        QTRY_COMPARE(replace->size(), size);
        for (qsizetype i = 0; i < controls.size(); ++i)
            QCOMPARE(controls.at(i)->geometry(), before.at(i));
    }
}

void TestSearchWindows::escPressesTheCancelButton_data()
{
    QTest::addColumn<bool>("isFind");
    QTest::addColumn<QString>("box");
    QTest::newRow("find, in Text1") << true << QStringLiteral("Text1");
    QTest::newRow("find, on Check1") << true << QStringLiteral("Check1");
    QTest::newRow("replace, in Text1") << false << QStringLiteral("Text1");
    QTest::newRow("replace, in Text2") << false << QStringLiteral("Text2");
}

void TestSearchWindows::escPressesTheCancelButton()
{
    QFETCH(bool, isFind);
    QFETCH(QString, box);
    QWidget *window = isFind ? static_cast<QWidget *>(t->windows.showFind()) : t->windows.showReplace();
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto *target = window->findChild<QWidget *>(box);
    target->setFocus();
    // Whatever the window holds is thrown away with it.
    if (auto *edit = qobject_cast<QPlainTextEdit *>(target))
        edit->setPlainText(QStringLiteral("typed"));
    if (isFind)
        t->windows.find()->Check1->setChecked(true);
    const QPointer<QWidget> old(window);
    QTest::keyClick(target, Qt::Key_Escape);
    QTRY_VERIFY(!old);
    QVERIFY(!t->windows.find() && !t->windows.replace());

    // The next command builds the window afresh from its definition.
    if (isFind) {
        FindDialog *find = t->windows.showFind();
        QCOMPARE(find->Text1->toPlainText(), QStringLiteral(" "));
        QCOMPARE(find->Check1->checkState(), Qt::Unchecked);
        find->Command2->click();
    } else {
        ReplaceDialog *replace = t->windows.showReplace();
        QCOMPARE(replace->Text1->toPlainText(), QString());
        QCOMPARE(replace->Text2->toPlainText(), QStringLiteral(" "));
        QCOMPARE(def::backColor(replace->Command1), ole::ButtonFace);
        replace->Command3->click();
    }
    QTRY_VERIFY(!t->windows.find() && !t->windows.replace());
}

void TestSearchWindows::hoverColours()
{
    ReplaceDialog *replace = t->windows.showReplace();
    QVERIFY(QTest::qWaitForWindowExposed(replace));
    auto colours = [replace] { return std::pair(def::backColor(replace->Command1), def::backColor(replace->Command3)); };
    const QPoint bare(def::px(60), def::px(60));
    QVERIFY(!replace->childAt(bare));
    QCOMPARE(colours(), std::pair(ole::ButtonFace, ole::ButtonFace));

    QTest::mouseMove(replace->Command1);
    QCOMPARE(colours(), std::pair(ole::LightBlue, ole::ButtonFace));
    // Leaving a button for a label or a box changes nothing ...
    QTest::mouseMove(replace->Label1);
    QTest::mouseMove(replace->Text1);
    QTest::mouseMove(replace->Text2, QPoint(5, 5));
    QCOMPARE(colours(), std::pair(ole::LightBlue, ole::ButtonFace));
    QTest::mouseMove(replace->Command3);
    QCOMPARE(colours(), std::pair(ole::LightBlue, ole::LightBlue));
    // ... the bare surface gives both their resting colour.
    QTest::mouseMove(replace, bare);
    QCOMPARE(colours(), std::pair(ole::ButtonFace, ole::ButtonFace));
    // The colour shows on the button.
    QTest::mouseMove(replace->Command3);
    QCOMPARE(replace->Command3->palette().color(QPalette::Button), QColor(0xC0, 0xC0, 0xFF));
    QCOMPARE(replace->Command1->palette().color(QPalette::Button), QApplication::palette().color(QPalette::Button));
}

ZENDRAL_TEST_MAIN(TestSearchWindows)
#include "tst_searchwindows.moc"
