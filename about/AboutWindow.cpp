// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/AboutWindow.h"
#include "about/AboutDef.h"
#include "about/AboutIcon.h"
#include "platform/AppName.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/Services.h"
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <array>

namespace {

// Read rights only (read control, query value, enumerate subkeys, notify):
// the window never writes, and asking for write rights on the local
// machine's keys is refused to ordinary users.
constexpr quint32 KeyReadAccess = 0x00020019;
constexpr quint32 ValueBufferSize = 1024;

// Closes an open key on every way out of the reader, an error included.
class OpenKey
{
public:
    OpenKey(Registry &registry, RegKey key) : m_registry(registry), m_key(key) {}
    ~OpenKey() { m_registry.closeKey(m_key); }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;

private:
    Registry &m_registry;
    RegKey m_key;
};

// A 32-bit number arrives least significant byte first; its text is the
// decimal number.
QString numberText(const QByteArray &bytes)
{
    quint64 value = 0;
    for (qsizetype i = bytes.size() - 1; i >= 0; --i) {
        const auto byte = quint8(bytes[i]);
        if (i >= qsizetype(sizeof(value))) {
            if (byte != 0)
                throw RegistryValueError("number value too large");
            continue;
        }
        value = (value << 8) | byte;
    }
    return QString::number(value);
}
}

AboutWindow::AboutWindow(Services &services) : QWidget(nullptr), m_services(services)
{
    const def::Form &d = aboutDefinition();
    def::build(this, d);

    picIcon = def::control<QLabel>(this, "picIcon");
    cmdOK = def::control<QPushButton>(this, "cmdOK");
    cmdSysInfo = def::control<QPushButton>(this, "cmdSysInfo");
    Line1 = {def::control(this, "Line1", 0), def::control(this, "Line1", 1)};
    lblDescription = def::control<QLabel>(this, "lblDescription");
    lblTitle = def::control<QLabel>(this, "lblTitle");
    lblVersion = def::control<QLabel>(this, "lblVersion");
    lblDisclaimer = def::control<QLabel>(this, "lblDisclaimer");

    // The picture box fits itself to its picture inside its sunken border,
    // on the box's own button-face background.
    const QPixmap picture = QPixmap::fromImage(icons::aboutImage());
    picIcon->setLineWidth(2);
    picIcon->setPixmap(picture);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setAutoFillBackground(true);
    def::setBackColor(picIcon, ole::ButtonFace);
    picIcon->resize(picture.size() + QSize(2, 2) * picIcon->frameWidth());

    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::cmdSysInfo_Click);

    Form_Load();
    def::place(this, d);
}

void AboutWindow::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + appName());
    lblVersion->setText(abouttext::version());
    lblTitle->setText(appName());
}

void AboutWindow::cmdOK_Click()
{
    close();
}

void AboutWindow::cmdSysInfo_Click()
{
    StartSysInfo();
}

void AboutWindow::StartSysInfo()
{
    static const QString ProgramFile = QStringLiteral("\\MSINFO32.EXE");
    bool started = false;
    try {
        QString SysInfoPath;
        if (GetKeyValue(HKEY_LOCAL_MACHINE_KEY, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QStringLiteral("PATH"), SysInfoPath)) {
            started = m_services.launcher.start(SysInfoPath);
        } else if (GetKeyValue(HKEY_LOCAL_MACHINE_KEY, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                               QStringLiteral("MSINFO"), SysInfoPath)
                   && m_services.launcher.isOrdinaryFile(SysInfoPath + ProgramFile)) {
            SysInfoPath += ProgramFile;
            started = m_services.launcher.start(SysInfoPath);
        }
    } catch (const std::exception &) {
        // A value that cannot be read, or a registry that fails, ends the search:
        // the user hears the one message below.
        started = false;
    }
    if (started)
        return;
    const QPointer<AboutWindow> self(this);
    m_services.messages.show(this, abouttext::unavailable(), MsgButtons::Ok);
    // The closed box may hand the activation to another window; the user goes on here.
    if (!self)
        return;
    activateWindow();
    cmdSysInfo->setFocus(Qt::OtherFocusReason);
}

bool AboutWindow::GetKeyValue(RegKey KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal)
{
    Registry &registry = m_services.registry;
    RegKey key = 0;
    if (registry.openKey(KeyRoot, KeyName.toLocal8Bit(), KeyReadAccess, &key) != RegSuccess) {
        KeyVal.clear();
        return false;
    }
    const OpenKey keyGuard(registry, key);

    std::array<unsigned char, ValueBufferSize> buffer{};
    quint32 size = ValueBufferSize;
    quint32 type = 0;
    if (registry.queryValue(key, SubKeyRef.toLocal8Bit(), &type, buffer.data(), &size) != RegSuccess
        || size > ValueBufferSize) {
        KeyVal.clear();
        return false;
    }
    if (size == 0)
        throw RegistryValueError("empty registry value");

    // The operating system may or may not end a string with a zero byte.
    QByteArray kept(reinterpret_cast<const char *>(buffer.data()), size);
    if (kept.endsWith('\0'))
        kept.chop(1);

    switch (type) {
    case RegSz:
        KeyVal = QString::fromLocal8Bit(kept);
        break;
    case RegDword:
        KeyVal = numberText(kept);
        break;
    default:
        break;
    }
    return true;
}
