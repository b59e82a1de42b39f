// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/SearchDefs.h"
#include "platform/Colors.h"
#include <QFontMetrics>
#include <QLabel>

namespace {
const def::Font Regular12{"MS Sans Serif", 12};
const def::Font Bold12{"MS Sans Serif", 12, true};
const def::Font Bold8{"MS Sans Serif", 8.25, true};
constexpr quint32 DarkRed = 0x000000C0;
constexpr quint32 Blue = 0x00FF0000;
constexpr quint32 ScrollBar = 0x80000000;
constexpr quint32 Menu = 0x80000004;
constexpr quint32 WindowText = 0x80000008;
}

const def::Form &findDefinition()
{
    // Label2 is a band that covers Label3 entirely; Label1 and Text1 lie on it.
    static const def::Form form{
        .name = "find",
        .caption = QStringLiteral("Find"),
        .clientWidth = 7305,
        .clientHeight = 1755,
        .border = def::Border::FixedSingle,
        .maxButton = false,
        .minButton = false,
        .centred = false,
        .left = 45,
        .top = 330,
        .controls = {
            {.name = "Check1", .kind = def::Kind::CheckBox, .caption = QStringLiteral("Case Sensitive"),
             .left = 840, .top = 1080, .width = 2415, .height = 495, .tabIndex = 6, .font = Regular12},
            {.name = "Command2", .kind = def::Kind::Button, .caption = QStringLiteral("Cancel"),
             .left = 5760, .top = 840, .width = 1335, .height = 495, .tabIndex = 5, .cancel = true},
            {.name = "Command1", .kind = def::Kind::Button, .caption = QStringLiteral("&Find"),
             .left = 5760, .top = 240, .width = 1335, .height = 495, .tabIndex = 4},
            {.name = "Text1", .kind = def::Kind::MultiLineTextBox, .caption = QStringLiteral(" "),
             .left = 2040, .top = 360, .width = 3135, .height = 495, .tabIndex = 0, .font = Bold12,
             .backColor = ole::LightBlue, .foreColor = DarkRed, .label = "Label1"},
            {.name = "Label3", .kind = def::Kind::Label, .caption = QStringLiteral("Find Text:"),
             .left = 720, .top = 480, .width = 1215, .height = 495, .tabIndex = 3, .font = Regular12},
            {.name = "Label2", .kind = def::Kind::Label, .caption = QStringLiteral(" "),
             .left = 600, .top = 240, .width = 4935, .height = 735, .tabIndex = 2,
             .backColor = ScrollBar, .foreColor = WindowText},
            {.name = "Label1", .kind = def::Kind::Label, .caption = QStringLiteral("Find What?"),
             .left = 600, .top = 600, .width = 1215, .height = 375, .tabIndex = 1,
             .backColor = Menu, .foreColor = WindowText, .alignment = def::Align::Centre},
        },
    };
    return form;
}

const def::Form &replaceDefinition()
{
    static const def::Form form{
        .name = "replace",
        .caption = QStringLiteral("Form2"),
        .clientWidth = 6045,
        .clientHeight = 2625,
        .border = def::Border::Sizable,
        .maxButton = false,
        .minButton = true,
        .centred = true,
        .controls = {
            {.name = "Command3", .kind = def::Kind::Button, .caption = QStringLiteral("&Cancel "),
             .left = 4200, .top = 1920, .width = 1575, .height = 495, .tabIndex = 5, .font = Bold8,
             .graphical = true, .cancel = true},
            {.name = "Command1", .kind = def::Kind::Button, .caption = QStringLiteral("&Replace"),
             .left = 2280, .top = 1920, .width = 1695, .height = 495, .tabIndex = 4, .font = Bold8,
             .graphical = true},
            {.name = "Text2", .kind = def::Kind::MultiLineTextBox, .caption = QStringLiteral(" "),
             .left = 2280, .top = 1080, .width = 3495, .height = 495, .tabIndex = 1, .font = Bold12,
             .foreColor = DarkRed, .label = "Label2"},
            {.name = "Text1", .kind = def::Kind::MultiLineTextBox, .caption = QStringLiteral(" "),
             .left = 2280, .top = 240, .width = 3495, .height = 495, .tabIndex = 0, .font = Bold12,
             .foreColor = Blue, .label = "Label1"},
            {.name = "Label2", .kind = def::Kind::Label, .caption = QStringLiteral("Replace With.."),
             .left = 120, .top = 1200, .width = 1815, .height = 375, .tabIndex = 3, .font = Bold12},
            {.name = "Label1", .kind = def::Kind::Label, .caption = QStringLiteral("Replace What?"),
             .left = 120, .top = 360, .width = 1935, .height = 375, .tabIndex = 2, .font = Bold12},
        },
    };
    return form;
}

void fitLabels(QWidget *form)
{
    for (QLabel *label : form->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        QFont font = label->font();
        const int room = label->contentsRect().width();
        while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(label->text()) > room)
            font.setPointSizeF(font.pointSizeF() - 0.25);
        if (font != label->font())
            label->setFont(font);
    }
}
