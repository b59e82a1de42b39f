// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/CalcWindow.h"
#include "calc/CalcDef.h"
#include "calc/CalcIcon.h"
#include "platform/Colors.h"
#include <QButtonGroup>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <limits>

CalcWindow::CalcWindow() : QWidget(nullptr)
{
    const def::Form &d = calcDefinition();
    def::build(this, d);
    setWindowIcon(calcicon::icon());

    Text1 = def::control<QLineEdit>(this, "Text1");
    // No cap on the display: a digit appended to a long display must not be cut off.
    Text1->setMaxLength(std::numeric_limits<int>::max());
    Command3 = def::control<QPushButton>(this, "Command3");
    Command4 = def::control<QPushButton>(this, "Command4");
    Command5 = def::control<QPushButton>(this, "Command5");
    m_digits = new QButtonGroup(this);
    m_operators = new QButtonGroup(this);
    for (int i = 0; i < int(Command1.size()); ++i) {
        Command1[i] = def::control<QPushButton>(this, "Command1", i);
        m_digits->addButton(Command1[i], i);
        Command1[i]->installEventFilter(this);
    }
    for (int i = 0; i < int(Command2.size()); ++i) {
        Command2[i] = def::control<QPushButton>(this, "Command2", i);
        m_operators->addButton(Command2[i], i);
    }
    Command3->installEventFilter(this);
    connect(m_digits, &QButtonGroup::idClicked, this, &CalcWindow::Command1_Click);
    connect(m_operators, &QButtonGroup::idClicked, this, &CalcWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &CalcWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &CalcWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &CalcWindow::Command5_Click);

    // Mouse moves reach the window only over its bare surface: no control
    // hands its moves on to it.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->setAttribute(Qt::WA_NoMousePropagation);
    setMouseTracking(true);
    for (QPushButton *b : Command1)
        b->setMouseTracking(true);
    Command3->setMouseTracking(true);

    // Where a failed key is explained, just under the display; it lies on the
    // surface as painted text would, so mouse moves over it are the surface's.
    m_failure = new QLabel(this);
    m_failure->setObjectName(QStringLiteral("failure"));
    m_failure->setGeometry(def::px(480), def::px(750), def::px(5895), def::px(420));
    m_failure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_failure->setTextFormat(Qt::PlainText);
    m_failure->setFont(def::toQFont(def::Font{"MS Sans Serif", 8.25}));
    def::setForeColor(m_failure, 0x000000C0);   // dark red
    m_failure->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_failure->hide();
    // The explanation is about the display's text: typing a new one retires it.
    connect(Text1, &QLineEdit::textEdited, this, [this] { showFailure(QString()); });

    Form_Load();
    def::place(this, d);
}

void CalcWindow::Form_Load()
{
    m_engine.DecimalSeparator = QLocale().decimalPoint().toStdU16String();
    m_engine.Reset();
    Text1->setText(QStringLiteral("0"));
}

void CalcWindow::Command1_Click(int index)
{
    const int digit = index == 9 ? 0 : index + 1;
    runKey([digit](CalcEngine &e) { return e.PressDigit(digit); });
}

void CalcWindow::Command2_Click(int index)
{
    runKey([index](CalcEngine &e) { return e.PressOperator(index); });
}

void CalcWindow::Command3_Click()
{
    close();
}

void CalcWindow::Command4_Click()
{
    runKey([](CalcEngine &e) {
        e.ClearAll();
        return CalcError::None;
    });
}

void CalcWindow::Command5_Click()
{
    runKey([](CalcEngine &e) { return e.PressEquals(); });
}

void CalcWindow::Command1_MouseMove(int index)
{
    def::setBackColor(Command1[index], ole::LightBlue);
}

void CalcWindow::Command3_MouseMove()
{
    def::setBackColor(Command3, ole::LightBlue);
}

void CalcWindow::Form_MouseMove()
{
    def::setBackColor(Command3, ole::LightGrey);
    for (QPushButton *b : Command1)
        def::setBackColor(b, ole::ButtonFace);
}

QString CalcWindow::failureText() const
{
    return m_failure->isHidden() ? QString() : m_failure->text();
}

bool CalcWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == Command3) {
            Command3_MouseMove();
        } else {
            const int index = m_digits->id(qobject_cast<QAbstractButton *>(watched));
            if (index >= 0)
                Command1_MouseMove(index);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CalcWindow::mouseMoveEvent(QMouseEvent *)
{
    Form_MouseMove();
}

void CalcWindow::runKey(const std::function<CalcError(CalcEngine &)> &key)
{
    m_engine.Display = Text1->text().toStdU16String();
    CalcError error = CalcError::None;
    QString failure;
    try {
        error = key(m_engine);
    } catch (const std::exception &) {
        // Only running out of memory for the display's text can throw here.
        failure = tr("Out of memory");
    }
    // The display shows the engine's text whether or not the key failed.
    Text1->setText(QString::fromStdU16String(m_engine.Display));
    switch (error) {
    case CalcError::None: break;
    case CalcError::NotANumber: failure = tr("Not a number"); break;
    case CalcError::Overflow: failure = tr("Overflow"); break;
    }
    showFailure(failure);
}

void CalcWindow::showFailure(const QString &text)
{
    m_failure->setText(text);
    m_failure->setVisible(!text.isEmpty());
}
