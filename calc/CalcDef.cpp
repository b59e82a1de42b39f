// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/CalcDef.h"

const def::Form &calcDefinition()
{
    using def::Kind;
    const def::Font large{"MS Sans Serif", 13.5};
    const def::Font largeBold{"MS Sans Serif", 13.5, true};
    constexpr quint32 buttonFace = 0x8000000F;
    auto digit = [](int index, const char *caption, int left, int top, quint32 back) {
        return def::Control{.name = "Command1", .index = index, .kind = Kind::Button, .caption = QString::fromLatin1(caption),
                            .left = left, .top = top, .width = 615, .height = 495, .tabIndex = index,
                            .backColor = back, .graphical = true};
    };
    auto op = [&large](int index, const char *caption, int left, int top, const char *spoken) {
        return def::Control{.name = "Command2", .index = index, .kind = Kind::Button, .caption = QString::fromLatin1(caption),
                            .left = left, .top = top, .width = 615, .height = 495, .tabIndex = 11 + index, .font = large,
                            .accessibleName = spoken};
    };
    static const def::Form form{
        .name = "calc",
        .caption = QStringLiteral("My Parvix(Calculator)"),
        .clientWidth = 7020,
        .clientHeight = 4050,
        .border = def::Border::FixedSingle,
        .maxButton = false,
        .minButton = false,
        .centred = true,
        .font = def::Font{"MS Sans Serif", 9.75, true},
        .backColor = 0x80000018,
        .controls = {
            {.name = "Command5", .kind = Kind::Button, .caption = QStringLiteral("="), .left = 4200, .top = 2760,
             .width = 615, .height = 495, .tabIndex = 17, .font = largeBold, .accessibleName = "equals"},
            {.name = "Command4", .kind = Kind::Button, .caption = QStringLiteral("AC"), .left = 5640, .top = 2040,
             .width = 1095, .height = 615, .tabIndex = 16, .backColor = 0x00C0FFC0, .graphical = true},
            {.name = "Command3", .kind = Kind::Button, .caption = QStringLiteral("OFF"), .left = 5640, .top = 1200,
             .width = 1095, .height = 615, .tabIndex = 15, .backColor = 0x00C0C0C0, .graphical = true, .cancel = true},
            op(3, " *", 4560, 1920, "times"),
            op(2, " /", 3720, 1920, "divide"),
            op(1, " -", 4560, 1200, "minus"),
            op(0, "+", 3720, 1200, "plus"),
            {.name = "Text1", .kind = Kind::TextBox, .caption = QString(), .left = 480, .top = 240, .width = 5895,
             .height = 495, .tabIndex = 10, .alignment = def::Align::Right, .accessibleName = "Display"},
            digit(9, " 0", 1320, 3360, buttonFace),
            digit(8, " 9", 2160, 2640, buttonFace),
            digit(7, " 8", 1320, 2640, buttonFace),
            digit(6, " 7", 480, 2640, buttonFace),
            digit(5, " 6", 2160, 1920, buttonFace),
            digit(4, " 5", 1320, 1920, buttonFace),
            digit(3, " 4", 480, 1920, buttonFace),
            digit(2, " 3", 2160, 1200, 0x8000000A),   // the active window border's colour
            digit(1, "2", 1320, 1200, buttonFace),
            digit(0, "1", 480, 1200, buttonFace),
        },
    };
    return form;
}
