// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Dialogs.h"
#include "platform/Colors.h"
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>

MsgAnswer QtDialogs::show(QWidget *parent, const QString &text, MsgButtons buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(title());
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    if (buttons == MsgButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgAnswer::Ok;
    }
    const bool cancel = buttons == MsgButtons::YesNoCancel;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | (cancel ? QMessageBox::Cancel : QMessageBox::NoButton));
    box.setDefaultButton(buttons == MsgButtons::YesNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(cancel ? QMessageBox::Cancel : QMessageBox::No);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return MsgAnswer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No) || buttons == MsgButtons::YesNo)
        return MsgAnswer::No;
    return MsgAnswer::Cancel;   // Cancel, or closed unanswered (as when the program is told to end)
}

QStringList QtDialogs::nameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the label's closing parentheses: a label that
        // already ends with them is shown as it is.
        const QString label = parts[i];
        result << (label.endsWith(QStringLiteral("(%1)").arg(patterns)) ? label : QStringLiteral("%1 (%2)").arg(label, patterns));
    }
    return result;
}

namespace {
// The default extension goes only on a name that has none and names no file yet:
// saving over "README" or "hosts" writes that file, never a twin beside it. Decided
// before the dialog asks whether to overwrite, so that it asks about the right file.
class FileDialog : public QFileDialog
{
public:
    FileDialog(QWidget *parent, const QString &extension) : QFileDialog(parent), m_extension(extension) {}
    void accept() override
    {
        setDefaultSuffix(QString());
        const QFileInfo typed(selectedFiles().value(0));
        setDefaultSuffix(typed.exists() || typed.isSymLink() ? QString() : m_extension);
        QFileDialog::accept();
    }

private:
    QString m_extension;
};
}

std::optional<QString> QtDialogs::fileDialog(QWidget *parent, const FileRequest &r)
{
    FileDialog dialog(parent, r.defaultExt);
    dialog.setObjectName(r.save ? QStringLiteral("saveDialog") : QStringLiteral("openDialog"));
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(r.filter));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(r.flags & 0x2));
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<FontChoice> QtDialogs::fontDialog(QWidget *parent, const FontChoice &initial, int flags)
{
    QFont font(initial.name);
    if (initial.size > 0)
        font.setPointSizeF(initial.size);
    font.setBold(initial.bold);
    font.setItalic(initial.italic);
    font.setStrikeOut(initial.strikethru);
    font.setUnderline(initial.underline);
    QFontDialog dialog(font, parent);
    dialog.setObjectName(QStringLiteral("fontDialog"));
    // Some native font choosers have no underline or strikeout; 0x100 asks for them.
    if (flags & 0x100)
        dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont f = dialog.selectedFont();
    return FontChoice{f.family(), f.pointSizeF(), f.bold(), f.italic(), f.strikeOut(), f.underline()};
}

std::optional<quint32> QtDialogs::colorDialog(QWidget *parent, quint32, int)
{
    // Started without a preselected colour, as the flags ask.
    QColorDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("colorDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ole::fromQColor(dialog.selectedColor());
}
