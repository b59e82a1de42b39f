// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Form1.h"
#include "editor/DocumentJournal.h"
#include "editor/Form1Def.h"
#include "editor/FileChangeNotice.h"
#include "editor/Recovery.h"
#include "editor/Icons.h"
#include "editor/MenuBarKeys.h"
#include "editor/TextMenu.h"
#include "platform/Clipboard.h"
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "platform/LongWork.h"
#include "platform/Services.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>

namespace {
// The editing area as the Find and Replace windows work on it.
class Form1EditTarget final : public EditTarget
{
public:
    explicit Form1EditTarget(Form1 &form) : m_form(form) {}
    textsearch::Match find(const QByteArray &what, textsearch::Compare compare) override
    {
        const auto search = m_form.Text1->finder(what, compare);
        // Tens of megabytes take a noticeable moment to search.
        constexpr qint64 Big = 16 << 20;
        if (m_form.Text1->byteLength() < Big)
            return search();
        textsearch::Match hit;
        LongWork::run(m_form.statusbar, [&](LongWork::Progress &) { hit = search(); });
        return hit;
    }
    LineEnd lineEnd() const override { return m_form.Text1->lineEnd(); }
    void select(qint64 from, qint64 to) override
    {
        m_form.Text1->raise();
        m_form.Text1->selectBytes(from, to);
    }
    void replace(qint64 from, qint64 to, QByteArrayView utf8) override { m_form.Text1->replaceBytes(from, to, utf8); }
    void takeFocus() override
    {
        m_form.raise();
        m_form.activateWindow();
        m_form.Text1->setFocus(Qt::OtherFocusReason);
    }

private:
    Form1 &m_form;
};
}
#include <QMenuBar>

Form1::Form1(Services &services, EditorHost &host) : m_services(services), m_host(host)
{
    createControls();
    m_editTarget = std::make_unique<Form1EditTarget>(*this);
    createMenus();
    new TextMenu(*this, m_services.clipboard);
    sizeToClientArea();
    Form_Load();
    def::place(this, form1Definition());
    armTimer();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    const def::Form &d = form1Definition();
    setObjectName(QString::fromLatin1(d.name));
    setWindowTitle(d.caption);
    setWindowIcon(icons::zendral());
    setFont(def::toQFont(*d.font));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    def::createControls(m_client, d, [this](const def::Control &c, QWidget *parent) -> QWidget * {
        if (qstrcmp(c.name, "statusbar") == 0)
            return statusbar = new StatusBar(m_services.lockKeys, parent);
        Text1 = new TextBox(parent);
        Text1->setFontSize(c.font->points);
        return Text1;
    });
    // Only a change of the text makes it unsaved, by whatever means (a key that changes
    // nothing does not); a change that empties an untitled text leaves nothing to save.
    connect(Text1, &TextBox::aboutToChange, this, [this](qint64, qint64 length, bool insertion) {
        Saved = !insertion && length == Text1->byteLength() && cdb->FileName().isEmpty();
    });
    m_journal = new DocumentJournal(*Text1, [this] {
        const qint64 pid = QCoreApplication::applicationPid();
        return journal::Header{cdb->FileName(), m_stamp, m_encoding, Text1->lineEnd(), pid};
    }, this);
    m_journal->onFailure = [this](const QString &reason) {
        m_services.messages.show(this, recoverytext::cannotKeep(reason), MsgButtons::Ok);
    };
    connect(Text1, &TextBox::changed, this, &Form1::armTimer);
    m_client->installEventFilter(this);
    // A file dropped on the text opens; dropped text goes in as the box does it.
    Text1->viewport()->installEventFilter(this);
    setAcceptDrops(true);

    cdb = new CommonDialog(m_services.dialogs, this);
    cdb->Filter = form1text::textFilter();
    cdb->DefaultExt = QStringLiteral("txt");
    cdb->FontName = def::toQFont(def::Font{}).family();
    cdb->FontSize = 12;
    connect(cdb, &CommonDialog::fileNameChanged, this, &Form1::armTimer);
    m_notice = new FileChangeNotice(this, m_services.messages, {[this] { return !Saved; },
                                                                [this](const QString &path) { openFile(path); }});

    // Runs once after each change that can alter what it shows, and sleeps otherwise.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    Text1->setFocus();
}

void Form1::sizeToClientArea()
{
    // The defined size is the client area's: let the layout add the menu bar around it.
    const def::Form &d = form1Definition();
    m_client->setFixedSize(def::px(d.clientWidth), def::px(d.clientHeight));
    adjustSize();
    m_client->setMinimumSize(0, 0);
    m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void Form1::createMenus()
{
    QList<QKeySequence> reserved;
    QMenu *menu = nullptr;
    for (const MenuDef &m : form1Menus()) {
        const QString name = QString::fromLatin1(m.name);
        const QString caption = QString::fromLatin1(m.caption);
        if (m.level == MenuDef::Menu) {
            menu = menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            continue;
        }
        QAction *action = nullptr;
        if (m.level == MenuDef::Separator) {
            action = menu->addSeparator();
        } else if (m.level == MenuDef::BarCommand) {
            action = menuBar()->addAction(caption);
        } else {
            action = menu->addAction(caption);
        }
        action->setObjectName(name);
        if (m.level == MenuDef::Separator)
            continue;
        action->setShortcuts(m.shortcuts);
        action->setShortcutContext(Qt::WindowShortcut);
        reserved << m.shortcuts;
        this->*m.action = action;
        connect(action, &QAction::triggered, this, m.handler);
        if (m.needsText)
            m_needText << action;
    }
    Text1->setReservedShortcuts(reserved);
    enableMenuBarKeys(menuBar());
}

void Form1::Form_Load()
{
    Text1->setFontSize(12);
    cdb->CancelError = true;
    // What the clipboard holds is no change of this text: the new document stays saved.
    Saved = true;
    mnueditpaste->setEnabled(m_services.clipboard.hasText());
    // From now on Paste follows the clipboard, whatever the text holds.
    connect(&m_services.clipboard, &Clipboard::changed, this,
            [this] { mnueditpaste->setEnabled(m_services.clipboard.hasText()); });
}

int Form1::ScaleWidth() const { return m_client->width() * def::TwipsPerPixel; }
int Form1::ScaleHeight() const { return m_client->height() * def::TwipsPerPixel; }

void Form1::Form_Resize()
{
    // The bottom band is the status bar's, to the pixel: a band of the defined 350 twips
    // left the bar over the box's scroll bar. A very short window gives the box no height.
    const int height = qMax(0, m_client->height() - statusbar->fixedHeight());
    Text1->setGeometry(0, 0, def::px(ScaleWidth()), height);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    if (watched == Text1->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (takeDrag(static_cast<QDragMoveEvent *>(event)))
                return true;
            break;
        case QEvent::Drop:
            if (takeDrop(static_cast<QDropEvent *>(event)))
                return true;
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::AskToSave()
{
    cdb->Flags = 10;
    if (Saved)
        return true;
    switch (m_services.messages.show(this, form1text::saveQuestion(), MsgButtons::YesNoCancel)) {
    case MsgAnswer::No:   // don't save: the caller replaces the text only once it has its successor
        return true;
    case MsgAnswer::Yes: {
        FileNum = FreeFile();
        const std::optional<QString> path = askFileName(true);
        return path && saveTo(*path, FileText);
    }
    case MsgAnswer::Cancel:
    case MsgAnswer::Ok:
        break;
    }
    return false;
}

void Form1::newDocument()
{
    Text1->loadBytes({});
    m_encoding = textfile::Encoding::Utf8;
    Text1->setLineEnd(LineEnd::Lf);
    cdb->setFileName(QString());
    m_stamp.reset();
    m_notice->follow({}, m_stamp);
    Saved = true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Form_Unload: the window closes only when the text is safe, or the user gave it up.
    if (!AskToSave())
        return event->ignore();
    m_journal->reset();
    event->accept();
}

void Form1::mnufileexit_Click()
{
    if (!AskToSave())
        return;
    m_journal->reset();   // saved, or given up with No
    m_host.exitProcess();
}

void Form1::mnuoptfind_Click() { m_host.open(EditorHost::Window::Find); }
void Form1::mnuoptreplace_Click() { m_host.open(EditorHost::Window::Replace); }
void Form1::mnuoptcalc_Click() { m_host.open(EditorHost::Window::Calculator); }
void Form1::mnuabout_Click() { m_host.open(EditorHost::Window::About); }

void Form1::armTimer()
{
    if (!Timer1->isActive())
        Timer1->start();
}

void Form1::showFailure(const QString &what, const QString &reason)
{
    m_services.messages.show(this, QStringLiteral("%1\n%2").arg(what, reason), MsgButtons::Ok);
}

void Form1::reportCannotOpen(const QString &path, const QString &reason)
{
    showFailure(form1text::cannotOpen(path), reason);
}

std::optional<QString> Form1::askFileName(bool save)
{
    // The status bar shows cdb.FileName: it must never name a file that was not read or written.
    const QString current = cdb->FileName();
    if (!(save ? cdb->ShowSave() : cdb->ShowOpen()))
        return std::nullopt;
    const QString chosen = cdb->FileName();
    cdb->setFileName(current);
    return chosen;
}
