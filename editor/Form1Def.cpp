#include "editor/Form1Def.h"

const def::Form &form1Definition()
{
    static const def::Form form{
        .name = "Form1",
        .caption = QStringLiteral("Zendral"),
        .clientWidth = 7275,
        .clientHeight = 6315,
        .border = def::Border::FixedSingle,
        .maxButton = true,
        .minButton = true,
        .centred = true,
        .font = def::Font{"MS Sans Serif", 9.75},
        .controls = {
            {.name = "statusbar", .kind = def::Kind::Custom, .left = 0, .top = 5940, .width = 7275, .height = 375, .tabIndex = 1},
            {.name = "Text1", .kind = def::Kind::Custom, .tabIndex = 0, .font = def::Font{"MS Sans Serif", 8.25}},
        },
    };
    return form;
}

const std::vector<MenuDef> &form1Menus()
{
    using K = QKeySequence;
    static const std::vector<MenuDef> menus{
        {"mnufile", "&File", MenuDef::Menu},
        {"mnufilenew", "&New", MenuDef::Item, {K(Qt::CTRL | Qt::Key_N)}},
        {"mnufileopen", "&Open", MenuDef::Item, {K(Qt::Key_F3)}},
        {"mnufilesep", "-", MenuDef::Separator},
        {"mnufilesave", "&Save", MenuDef::Item, {K(Qt::Key_F2)}},
        {"mnufilesaveas", "Save &As", MenuDef::Item, {K(Qt::Key_F4)}},
        {"mnufilesep1", "-", MenuDef::Separator},
        {"mnufileexit", "E&xit", MenuDef::Item},
        {"mnuedit", "&Edit", MenuDef::Menu},
        {"mnueditcut", "&Cut", MenuDef::Item, {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}},
        {"mnueditcopy", "Copy", MenuDef::Item, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}},
        {"mnueditpaste", "&Paste", MenuDef::Item, {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}},
        {"mnueditsep", "-", MenuDef::Separator},
        {"mnueditall", "Select All", MenuDef::Item, {K(Qt::CTRL | Qt::Key_A)}},
        {"mnueditfont", "Font", MenuDef::Item, {K(Qt::Key_F6)}},
        {"mnuopt", "&Search", MenuDef::Menu},
        {"mnuoptfind", "Find", MenuDef::Item, {K(Qt::CTRL | Qt::Key_F)}},
        {"mnuoptreplace", "Replace", MenuDef::Item, {K(Qt::CTRL | Qt::Key_R)}},
        {"mnutool", "&Tools", MenuDef::Menu},
        {"mnuoptcalc", "Calculator", MenuDef::Item, {K(Qt::Key_F5)}},
        {"mnutoolbcolor", "Back Ground", MenuDef::Item},
        {"mnutooltcolor", "Text Color", MenuDef::Item},
        {"mnuabout", "About", MenuDef::BarCommand},
    };
    return menus;
}
