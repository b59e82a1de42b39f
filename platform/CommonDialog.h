// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The common dialog component `cdb`: a set of properties the callers fill in
// and read back, and four modal dialogs shown through a DialogBackend.
#include "platform/Dialogs.h"
#include <QObject>

class CommonDialog : public QObject
{
    Q_OBJECT
public:
    CommonDialog(DialogBackend &backend, QWidget *owner);

    QString Filter;
    QString DefaultExt;
    int Flags = 0;
    bool CancelError = false;
    QString FontName;
    double FontSize = 12;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontStrikethru = false;
    bool FontUnderline = false;
    quint32 Color = 0;

    const QString &FileName() const { return m_fileName; }
    void setFileName(const QString &name);

    // Each returns false when the dialog was cancelled while CancelError is
    // True (the cancel error); a cancelled dialog changes no property.
    [[nodiscard]] bool ShowOpen();
    [[nodiscard]] bool ShowSave();
    [[nodiscard]] bool ShowFont();
    [[nodiscard]] bool ShowColor();

Q_SIGNALS:
    void fileNameChanged();

private:
    bool showFile(bool save);
    DialogBackend &m_backend;
    QWidget *m_owner;
    QString m_fileName;
};
