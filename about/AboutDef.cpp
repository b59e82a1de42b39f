// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/AboutDef.h"

const def::Form &aboutDefinition()
{
    // The separator under the description: a grey line and, one pixel lower,
    // a white line of double width, which together look etched.
    static const def::Form form{
        .name = "frmAbout",
        .caption = QStringLiteral("About MyApp"),
        .clientWidth = 5730,
        .clientHeight = 3555,
        .border = def::Border::FixedDialog,
        .maxButton = false,
        .minButton = false,
        .centred = false,
        .left = 2340,
        .top = 1935,
        .showInTaskbar = false,
        .backColor = 0x80000009,
        .controls = {
            {.name = "picIcon", .kind = def::Kind::PictureBox, .left = 240, .top = 240, .width = 540, .height = 540,
             .tabIndex = 1, .border = true},
            {.name = "cmdOK", .kind = def::Kind::Button, .caption = QStringLiteral("OK"),
             .left = 4245, .top = 2625, .width = 1260, .height = 345, .tabIndex = 0, .cancel = true, .isDefault = true},
            {.name = "cmdSysInfo", .kind = def::Kind::Button, .caption = QStringLiteral("&System Info..."),
             .left = 4260, .top = 3075, .width = 1245, .height = 345, .tabIndex = 2},
            {.name = "Line1", .index = 1, .kind = def::Kind::Line, .left = 90, .top = 2445, .width = 5654, .height = 2445,
             .foreColor = 0x00808080},
            {.name = "lblDescription", .kind = def::Kind::Label,
             .caption = QStringLiteral("Manufacturer:Vemrick") + QString(34, QLatin1Char(' '))
                 + QStringLiteral("Operating Systems:Windows 9x,ME"),
             .left = 1050, .top = 1125, .width = 3885, .height = 1170, .tabIndex = 3,
             .backColor = 0x00C0C0FF, .foreColor = 0x00000000},
            {.name = "lblTitle", .kind = def::Kind::Label, .caption = QStringLiteral("My"),
             .left = 1050, .top = 240, .width = 4485, .height = 480, .tabIndex = 5,
             .font = def::Font{"MS Sans Serif", 12, false, false, true},
             .backColor = 0x00FFC0C0, .foreColor = 0x00000000, .alignment = def::Align::Centre, .border = true},
            {.name = "Line1", .index = 0, .kind = def::Kind::Line, .left = 105, .top = 2460, .width = 5654, .height = 2460,
             .foreColor = 0x00FFFFFF, .lineWidth = 2},
            {.name = "lblVersion", .kind = def::Kind::Label,
             .left = 1050, .top = 780, .width = 3885, .height = 225, .tabIndex = 6,
             .backColor = 0x80000009, .alignment = def::Align::Centre},
            {.name = "lblDisclaimer", .kind = def::Kind::Label,
             .caption = QStringLiteral("Warning: This program is provided as is,") + QString(26, QLatin1Char(' '))
                 + QStringLiteral("without warranty of any kind."),
             .left = 255, .top = 2625, .width = 3870, .height = 825, .tabIndex = 4,
             .font = def::Font{"MS Sans Serif", 8.25, true},
             .backColor = 0x000080FF, .foreColor = 0x00000000},
        },
    };
    return form;
}
