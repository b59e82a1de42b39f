// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About window. Reading the registry fails with the functions' status
// codes, and a value that cannot be read as text throws RegistryValueError;
// StartSysInfo turns every failure into the one message.
#include "platform/Registry.h"
#include <QWidget>
#include <array>
#include <stdexcept>

struct Services;
class QLabel;
class QPushButton;

// A registry value that cannot be read as text (a size of 0, a number too
// large for its kind). It ends the search for the System Information tool.
class RegistryValueError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The About window: title, version, description and disclaimer, an OK button
// and a button that starts the System Information tool.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindow(Services &services);

    // Finds the System Information tool in the registry and starts it, or
    // tells the user it is unavailable. Never throws.
    void StartSysInfo();
    // Reads the value `SubKeyRef` of the key `KeyName` under `KeyRoot` as text
    // into `KeyVal`. Returns false, with `KeyVal` empty, for a missing key or
    // value or a value over 1024 bytes; a value of another kind than text or
    // number leaves `KeyVal` as it was. Throws RegistryValueError for a value
    // of no bytes at all. The key is always closed again.
    bool GetKeyValue(RegKey KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    QLabel *picIcon = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    std::array<QWidget *, 2> Line1{};
    QLabel *lblDescription = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDisclaimer = nullptr;

private:
    Services &m_services;
};
