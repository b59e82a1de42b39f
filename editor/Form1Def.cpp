// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Form1Def.h"
#include "editor/Form1.h"
#include "platform/AppName.h"

const def::Form &form1Definition()
{
    static const def::Form form{
        .name = "Form1",
        .caption = appName(),
        .clientWidth = 7275,
        .clientHeight = 6315,
        .border = def::Border::FixedSingle,
        .maxButton = true,
        .minButton = true,
        .centred = true,
        .font = def::Font{"MS Sans Serif", 9.75},
        .controls = {
            {.name = "statusbar", .kind = def::Kind::Custom, .left = 0, .top = 5940, .width = 7275, .height = 375, .tabIndex = 1},
            {.name = "Text1", .kind = def::Kind::Custom, .tabIndex = 0, .font = def::Font{"MS Sans Serif", 8.25},
             .accessibleName = "Text"},
        },
    };
    return form;
}

const std::vector<MenuDef> &form1Menus()
{
    using K = QKeySequence;
    static const std::vector<MenuDef> menus{
        {"mnufile", "&File", MenuDef::Menu},
        {"mnufilenew", "&New", MenuDef::Item, {K(Qt::CTRL | Qt::Key_N)},
         &Form1::mnufilenew, &Form1::mnufilenew_Click},
        {"mnufileopen", "&Open", MenuDef::Item, {K(Qt::Key_F3)},
         &Form1::mnufileopen, &Form1::mnufileopen_Click},
        {"mnufilesep", "-", MenuDef::Separator},
        {"mnufilesave", "&Save", MenuDef::Item, {K(Qt::Key_F2), K(Qt::CTRL | Qt::Key_S)},
         &Form1::mnufilesave, &Form1::mnufilesave_Click, true},
        {"mnufilesaveas", "Save &As", MenuDef::Item, {K(Qt::Key_F4)},
         &Form1::mnufilesaveas, &Form1::mnufilesaveas_Click, true},
        {"mnufilesep1", "-", MenuDef::Separator},
        {"mnufileexit", "E&xit", MenuDef::Item, {},
         &Form1::mnufileexit, &Form1::mnufileexit_Click},
        {"mnuedit", "&Edit", MenuDef::Menu},
        {"mnueditcut", "&Cut", MenuDef::Item, {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)},
         &Form1::mnueditcut, &Form1::mnueditcut_Click, true},
        {"mnueditcopy", "Copy", MenuDef::Item, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)},
         &Form1::mnueditcopy, &Form1::mnueditcopy_Click, true},
        {"mnueditpaste", "&Paste", MenuDef::Item, {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)},
         &Form1::mnueditpaste, &Form1::mnueditpaste_Click},
        {"mnueditsep", "-", MenuDef::Separator},
        {"mnueditall", "Select All", MenuDef::Item, {K(Qt::CTRL | Qt::Key_A)},
         &Form1::mnueditall, &Form1::mnueditall_Click, true},
        {"mnueditfont", "Font", MenuDef::Item, {K(Qt::Key_F6)},
         &Form1::mnueditfont, &Form1::mnueditfont_Click, true},
        {"mnuopt", "&Search", MenuDef::Menu},
        {"mnuoptfind", "Find", MenuDef::Item, {K(Qt::CTRL | Qt::Key_F)},
         &Form1::mnuoptfind, &Form1::mnuoptfind_Click, true},
        {"mnuoptreplace", "Replace", MenuDef::Item, {K(Qt::CTRL | Qt::Key_R)},
         &Form1::mnuoptreplace, &Form1::mnuoptreplace_Click, true},
        {"mnutool", "&Tools", MenuDef::Menu},
        {"mnuoptcalc", "Calculator", MenuDef::Item, {K(Qt::Key_F5)},
         &Form1::mnuoptcalc, &Form1::mnuoptcalc_Click},
        {"mnutoolbcolor", "Back Ground", MenuDef::Item, {},
         &Form1::mnutoolbcolor, &Form1::mnutoolbcolor_Click},
        {"mnutooltcolor", "Text Color", MenuDef::Item, {},
         &Form1::mnutooltcolor, &Form1::mnutooltcolor_Click},
        {"mnuabout", "About", MenuDef::BarCommand, {},
         &Form1::mnuabout, &Form1::mnuabout_Click},
    };
    return menus;
}
