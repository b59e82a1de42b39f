// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/MenuBarKeys.h"
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QShortcut>

namespace {
// The bar itself handles a lone Alt, but only under styles that ask for it; and some
// styles mark a title only while its menu is open, not while the keys are on it.
class AltKeyStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *data) const override
    {
        return hint == SH_MenuBar_AltKeyNavigation ? 1 : QProxyStyle::styleHint(hint, option, widget, data);
    }
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (element == CE_MenuBarItem && item && widget && widget->hasFocus() && (item->state & State_Selected)) {
            QStyleOptionMenuItem marked(*item);
            marked.state |= State_Sunken;
            return QProxyStyle::drawControl(element, &marked, painter, widget);
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
}

void enableMenuBarKeys(QMenuBar *bar)
{
    auto *style = new AltKeyStyle;
    style->setParent(bar);
    bar->setStyle(style);
    auto *f10 = new QShortcut(Qt::Key_F10, bar->window());
    f10->setObjectName(QStringLiteral("menuKey"));
    QObject::connect(f10, &QShortcut::activated, bar, [bar] { bar->setActiveAction(bar->actions().value(0)); });
}
