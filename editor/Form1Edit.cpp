// SPDX-License-Identifier: GPL-3.0-or-later
// Edit, font and colour commands of the main window.
#include "editor/Form1.h"
#include "editor/Form1Def.h"
#include "platform/Clipboard.h"
#include "platform/CommonDialog.h"
#include "platform/Dialogs.h"
#include "platform/LongWork.h"
#include "platform/Services.h"
#include "platform/TextBox.h"
#include "text/Utf8.h"

// Cut and Copy put the selection on the clipboard whatever it held before;
// only Paste needs text there. With nothing selected they leave the clipboard
// alone: what the user copied elsewhere is not thrown away. The text box
// reports its own change, which marks the document unsaved.
void Form1::mnueditcut_Click()
{
    mnueditcopy_Click();
    if (!Text1->selectedBytes().isEmpty())
        Text1->setSelText(QString());
}

void Form1::mnueditcopy_Click()
{
    const QByteArrayView selected = Text1->selectedBytes();
    if (selected.isEmpty())
        return;
    // Tens of megabytes take a noticeable moment to convert for the clipboard.
    constexpr qsizetype Big = 16 << 20;
    QString text;
    if (selected.size() < Big)
        text = fromUtf8Text(selected);
    else
        LongWork::run(statusbar, [&](LongWork::Progress &) { text = fromUtf8Text(selected); });
    m_services.clipboard.setText(text);
}

void Form1::mnueditpaste_Click()
{
    Clipboard &clipboard = m_services.clipboard;
    if (!clipboard.hasText()) {
        m_services.messages.show(this, form1text::invalidFormat(), MsgButtons::Ok);
        return;
    }
    // Another program may hold the clipboard between the question and the read:
    // then the text stays as it is.
    const std::optional<QString> text = clipboard.text();
    if (!text)
        return;
    Text1->setSelText(*text);
}

void Form1::mnueditall_Click()
{
    Text1->selectAll();
}

// The dialog starts from cdb's own last confirmed font, never from the box.
void Form1::mnueditfont_Click()
{
    cdb->Flags = 259;
    if (!cdb->ShowFont())
        return;
    Text1->setFontBold(cdb->FontBold);
    Text1->setFontItalic(cdb->FontItalic);
    Text1->setFontName(cdb->FontName);
    Text1->setFontSize(static_cast<float>(cdb->FontSize));
    Text1->setFontStrikethru(cdb->FontStrikethru);
    Text1->setFontUnderline(cdb->FontUnderline);
}

void Form1::mnutoolbcolor_Click()
{
    cdb->Flags = 58;
    if (!cdb->ShowColor())
        return;
    Text1->setBackColor(cdb->Color);
}

void Form1::mnutooltcolor_Click()
{
    cdb->Flags = 58;
    if (!cdb->ShowColor())
        return;
    Text1->setForeColor(cdb->Color);
}
