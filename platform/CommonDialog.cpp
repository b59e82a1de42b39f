// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CommonDialog.h"
#include <QWidget>

CommonDialog::CommonDialog(DialogBackend &backend, QWidget *owner)
    : QObject(owner), m_backend(backend), m_owner(owner)
{
    setObjectName(QStringLiteral("cdb"));
}

void CommonDialog::setFileName(const QString &name)
{
    if (name == m_fileName)
        return;
    m_fileName = name;
    Q_EMIT fileNameChanged();
}

bool CommonDialog::showFile(bool save)
{
    // Open takes exactly the name typed, and can list any file; Save adds the extension.
    const QString filter = save ? Filter : Filter + QStringLiteral("|All files (*)|*");
    const auto chosen = m_backend.fileDialog(m_owner, FileRequest{save, filter, m_fileName, save ? DefaultExt : QString(), Flags});
    if (!chosen)
        return !CancelError;
    setFileName(*chosen);
    return true;
}

bool CommonDialog::ShowOpen() { return showFile(false); }
bool CommonDialog::ShowSave() { return showFile(true); }

bool CommonDialog::ShowFont()
{
    const auto chosen = m_backend.fontDialog(
        m_owner, FontChoice{FontName, FontSize, FontBold, FontItalic, FontStrikethru, FontUnderline}, Flags);
    if (!chosen)
        return !CancelError;
    FontName = chosen->name;
    FontSize = chosen->size;
    FontBold = chosen->bold;
    FontItalic = chosen->italic;
    FontStrikethru = chosen->strikethru;
    FontUnderline = chosen->underline;
    return true;
}

bool CommonDialog::ShowColor()
{
    const auto chosen = m_backend.colorDialog(m_owner, Color, Flags);
    if (!chosen)
        return !CancelError;
    Color = *chosen;
    return true;
}
