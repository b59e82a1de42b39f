// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Modal message boxes and the common dialogs go through these interfaces, so
// tests can script the answers and check exactly what was shown. A dialog
// the user cancelled comes back empty (nullopt); nothing here throws.
#include "platform/AppName.h"
#include <QString>
#include <optional>

class QWidget;

// Yes is the default of YesNoCancel and YesNoDefaultYes, No of YesNo; Esc answers Cancel or No.
enum class MsgButtons { Ok, YesNoCancel, YesNo, YesNoDefaultYes };
enum class MsgAnswer { Ok, Yes, No, Cancel };

// Every message box of the system: no icon, title "Zendral".
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(QWidget *parent, const QString &text, MsgButtons buttons) = 0;
    static QString title() { return appName(); }
};

struct FontChoice {
    QString name;
    double size = 12;
    bool bold = false;
    bool italic = false;
    bool strikethru = false;
    bool underline = false;
    bool operator==(const FontChoice &) const = default;
};

struct FileRequest {
    bool save = false;
    QString filter;       // "Text file(*.txt)|*.txt", pairs of label and patterns
    QString fileName;     // the dialog starts from it
    QString defaultExt;   // added to a name typed without one that names no file yet (Save only)
    int flags = 0;        // 0x2: ask before overwriting
};

// The dialogs behind the common dialog component; nullopt means Cancel.
class DialogBackend
{
public:
    virtual ~DialogBackend() = default;
    virtual std::optional<QString> fileDialog(QWidget *parent, const FileRequest &request) = 0;
    virtual std::optional<FontChoice> fontDialog(QWidget *parent, const FontChoice &initial, int flags) = 0;
    virtual std::optional<quint32> colorDialog(QWidget *parent, quint32 initial, int flags) = 0;
};

// The real Qt dialogs.
class QtDialogs : public MessageBoxes, public DialogBackend
{
public:
    MsgAnswer show(QWidget *parent, const QString &text, MsgButtons buttons) override;
    std::optional<QString> fileDialog(QWidget *parent, const FileRequest &request) override;
    std::optional<FontChoice> fontDialog(QWidget *parent, const FontChoice &initial, int flags) override;
    std::optional<quint32> colorDialog(QWidget *parent, quint32 initial, int flags) override;

    // "Text file(*.txt)|*.txt" as Qt name filters, each label shown once.
    static QStringList nameFilters(const QString &filter);
};
