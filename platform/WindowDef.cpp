// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowDef.h"
#include "platform/Colors.h"
#include "platform/TextBox.h"
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <map>

namespace def {

namespace {
// A line drawn between two points of its window.
class LineControl : public QWidget
{
public:
    LineControl(QWidget *parent, QPoint a, QPoint b, int width) : QWidget(parent), m_width(width)
    {
        const int pad = width;
        setGeometry(QRect(a, b).normalized().adjusted(-pad, -pad, pad, pad));
        m_a = a - pos();
        m_b = b - pos();
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QColor colour = ole::toQColor(foreColor(this), palette());
        const bool level = m_a.y() == m_b.y(), upright = m_a.x() == m_b.x();
        if (level || upright) {
            // A wide level (upright) line grows beneath (to the right of) its
            // defined row, so a wide light line one pixel under a thin dark one
            // leaves the dark one showing, as an etched separator needs.
            const int extra = m_width - 1;
            p.fillRect(QRect(m_a, m_b).normalized().adjusted(0, 0, upright ? extra : 0, level ? extra : 0), colour);
            return;
        }
        p.setPen(QPen(colour, m_width));
        p.drawLine(m_a, m_b);
    }

private:
    QPoint m_a, m_b;
    int m_width;
};

// Presses the window's default button on an Enter that no control took: a
// focused button takes Enter itself and presses itself.
class DefaultButton : public QObject
{
public:
    DefaultButton(QWidget *form, QPushButton *button) : QObject(form), m_button(button) { form->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        m_button->click();
        return true;
    }

private:
    QPushButton *m_button;
};

// The palette roles of a control's background and text colours.
std::pair<QPalette::ColorRole, QPalette::ColorRole> colorRoles(const QWidget *w)
{
    if (qobject_cast<const QPushButton *>(w))
        return {QPalette::Button, QPalette::ButtonText};
    if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w))
        return {QPalette::Base, QPalette::Text};
    return {QPalette::Window, QPalette::WindowText};
}

void setColor(QWidget *w, const char *property, bool back, quint32 c)
{
    w->setProperty(property, c);
    QPalette p = w->palette();
    const QPalette scheme = QApplication::palette();
    const auto [backRole, foreRole] = colorRoles(w);
    const QColor colour = ole::toQColor(c, scheme);
    p.setColor(back ? backRole : foreRole, colour);
    // A background that does not follow the user's scheme keeps text that can be
    // read on it (a dark scheme's light text on light green was unreadable); one
    // that follows the scheme takes the scheme's text colour with it.
    if (back && !w->property("ForeColor").isValid()) {
        const bool light = qGray(colour.rgb()) >= 128;
        p.setColor(foreRole, ole::followsScheme(c) ? scheme.color(foreRole) : QColor(light ? Qt::black : Qt::white));
    }
    w->setPalette(p);
    w->update();
}

Qt::Alignment toQt(Align a, Qt::Alignment vertical)
{
    switch (a) {
    case Align::Right: return Qt::AlignRight | vertical;
    case Align::Centre: return Qt::AlignHCenter | vertical;
    case Align::Left: break;
    }
    return Qt::AlignLeft | vertical;
}

// A caption as read aloud: without its access-key marks and outer blanks.
QString spoken(const QString &caption)
{
    QString s;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;   // "&&" stands for one "&"
        s += caption[i];
    }
    return s.trimmed();
}

// Names for screen readers: buttons and check boxes by their caption, text
// boxes by their label (which also tells which label describes them).
void name(QWidget *form, QWidget *w, const Control &c)
{
    if (c.accessibleName)
        w->setAccessibleName(QString::fromUtf8(c.accessibleName));
    else if (c.kind == Kind::Button || c.kind == Kind::CheckBox)
        w->setAccessibleName(spoken(c.caption));
    if (c.label)
        control<QLabel>(form, c.label)->setBuddy(w);
}

QWidget *create(QWidget *form, const Control &c, const CustomFactory &custom)
{
    switch (c.kind) {
    case Kind::Custom:
        return custom(c, form);
    case Kind::Label: {
        auto *l = new QLabel(c.caption, form);
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setAlignment(toQt(c.alignment, Qt::AlignTop));
        l->setAutoFillBackground(true);
        if (c.border)
            l->setFrameStyle(QFrame::Box | QFrame::Plain);
        return l;
    }
    case Kind::Button: {
        auto *b = new QPushButton(c.caption, form);
        // Enter on a focused button presses it, as Space does.
        b->setAutoDefault(true);
        if (c.graphical) {
            b->setAutoFillBackground(true);
            b->setFlat(false);
        }
        return b;
    }
    case Kind::CheckBox:
        return new QCheckBox(c.caption, form);
    case Kind::TextBox: {
        auto *e = new QLineEdit(c.caption, form);
        e->setAlignment(toQt(c.alignment, Qt::AlignVCenter));
        return e;
    }
    case Kind::MultiLineTextBox: {
        auto *e = new QPlainTextEdit(c.caption, form);
        e->setTabChangesFocus(true);
        e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        return e;
    }
    case Kind::PictureBox: {
        auto *p = new QLabel(form);
        p->setFrameStyle(c.border ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
        p->setFocusPolicy(Qt::TabFocus);
        return p;
    }
    case Kind::Line:
        return new LineControl(form, QPoint(px(c.left), px(c.top)), QPoint(px(c.width), px(c.height)), c.lineWidth);
    }
    return nullptr;
}
}

QFont toQFont(const Font &f)
{
    QFont font;
    if (qstrcmp(f.name, "MS Sans Serif") == 0)
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    else
        font.setFamily(QString::fromLatin1(f.name));
    font.setPointSizeF(f.points);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    return font;
}

QString objectName(const Control &c)
{
    return c.index < 0 ? QString::fromLatin1(c.name) : QStringLiteral("%1_%2").arg(QLatin1String(c.name)).arg(c.index);
}

void setBackColor(QWidget *w, quint32 c) { setColor(w, "BackColor", true, c); }
void setForeColor(QWidget *w, quint32 c) { setColor(w, "ForeColor", false, c); }

quint32 backColor(const QWidget *w) { return w->property("BackColor").toUInt(); }
quint32 foreColor(const QWidget *w) { return w->property("ForeColor").toUInt(); }

void build(QWidget *form, const Form &f, const CustomFactory &custom)
{
    // Screen readers see the program's own kinds of controls as what they are,
    // whichever window comes first.
    TextBox::installAccessibility();
    form->setObjectName(QString::fromLatin1(f.name));
    form->setWindowTitle(f.caption);
    Qt::WindowFlags flags = (f.showInTaskbar ? Qt::Window : Qt::Tool) | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (f.maxButton)
        flags |= Qt::WindowMaximizeButtonHint;
    if (f.minButton)
        flags |= Qt::WindowMinimizeButtonHint;
    form->setWindowFlags(flags);
    form->setFont(toQFont(f.font.value_or(Font{})));
    if (f.backColor) {
        form->setAutoFillBackground(true);
        setBackColor(form, *f.backColor);
    }
    const QSize client(px(f.clientWidth), px(f.clientHeight));
    if (f.border == Border::Sizable)
        form->resize(client);
    else
        form->setFixedSize(client);
    createControls(form, f, custom);
    // A window opens with the focus on its first control in tab order.
    const Control *first = nullptr;
    for (const Control &c : f.controls) {
        if (c.tabIndex >= 0 && c.kind != Kind::Label && c.kind != Kind::Line && (!first || c.tabIndex < first->tabIndex))
            first = &c;
    }
    if (first)
        control(form, first->name, first->index)->setFocus(Qt::OtherFocusReason);
}

void createControls(QWidget *form, const Form &f, const CustomFactory &custom)
{
    std::map<int, QWidget *> tabOrder;
    std::vector<QWidget *> aboveLabels;
    for (const Control &c : f.controls) {
        QWidget *w = create(form, c, custom);
        w->setObjectName(objectName(c));
        if (c.index >= 0)
            w->setProperty("Index", c.index);
        if (c.kind != Kind::Line)
            w->setGeometry(px(c.left), px(c.top), px(c.width), px(c.height));
        if (c.font)
            w->setFont(toQFont(*c.font));
        if (c.backColor)
            setBackColor(w, *c.backColor);
        if (c.foreColor)
            setForeColor(w, *c.foreColor);
        if (c.kind == Kind::Button && !c.backColor)
            w->setProperty("BackColor", ole::ButtonFace);
        if (c.kind == Kind::Label && !c.backColor)
            setBackColor(w, ole::ButtonFace);
        if (c.tabIndex >= 0 && c.kind != Kind::Label)
            tabOrder[c.tabIndex] = w;
        else if (c.kind == Kind::Label)
            w->setFocusPolicy(Qt::NoFocus);
        if (c.kind != Kind::Label && c.kind != Kind::Line && c.kind != Kind::Custom)
            aboveLabels.push_back(w);
        if (auto *button = qobject_cast<QPushButton *>(w)) {
            if (c.cancel)
                QObject::connect(new QShortcut(Qt::Key_Escape, form), &QShortcut::activated, button, &QPushButton::click);
            if (c.isDefault)
                new DefaultButton(form, button);
        }
    }
    for (const Control &c : f.controls)
        name(form, control(form, c.name, c.index), c);
    // Labels and lines are painted on the window's surface; the other controls lie above them.
    for (QWidget *w : aboveLabels)
        w->raise();
    // A label that a later one covers whole is never seen, so it is not read aloud either.
    const QList<QLabel *> labels = form->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const auto covers = [&](QLabel *above) { return above->geometry().contains(labels[i]->geometry()); };
        if (std::any_of(labels.begin() + i + 1, labels.end(), covers))
            labels[i]->hide();
    }
    QWidget *previous = nullptr;
    for (auto &[index, w] : tabOrder) {
        Q_UNUSED(index);
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void place(QWidget *form, const Form &f)
{
    if (f.centred) {
        const QRect screen = form->screen() ? form->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        QRect r(QPoint(0, 0), form->size());
        r.moveCenter(screen.center());
        form->move(r.topLeft());
    } else {
        form->move(px(f.left), px(f.top));
    }
}

}
