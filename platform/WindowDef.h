// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fixed window definitions: each window and its controls in creation order,
// lengths in twips (15 twips per logical pixel), colours as 0x00BBGGRR or system colours.
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;
class QFont;

namespace def {

constexpr int TwipsPerPixel = 15;
inline int px(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }

struct Font {
    const char *name = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// Custom: a control the window makes itself (status bar, editing area), placed by the builder.
enum class Kind { Label, Button, CheckBox, TextBox, MultiLineTextBox, PictureBox, Line, Custom };
enum class Align { Left = 0, Right = 1, Centre = 2 };

struct Control {
    const char *name;
    int index = -1;              // element of a control array, or -1
    Kind kind = Kind::Label;
    QString caption;             // caption, or initial text of a text box
    int left = 0, top = 0, width = 0, height = 0;   // a line: x1, y1, x2, y2
    int tabIndex = -1;           // -1: takes no focus
    std::optional<Font> font;    // none: the window's font
    std::optional<quint32> backColor;
    std::optional<quint32> foreColor;
    Align alignment = Align::Left;
    bool graphical = false;      // a button that shows its BackColor
    bool cancel = false;         // pressed by Esc anywhere in the window
    bool isDefault = false;      // pressed by Enter
    bool border = false;         // a thin border (labels), sunken (picture boxes)
    int lineWidth = 1;           // lines, in pixels
    const char *label = nullptr;            // text boxes: the label that names them
    const char *accessibleName = nullptr;   // what a screen reader says, when not the caption
};

enum class Border { FixedSingle = 1, Sizable = 2, FixedDialog = 3 };

struct Form {
    const char *name;
    QString caption;
    int clientWidth = 0, clientHeight = 0;
    Border border = Border::FixedSingle;
    bool maxButton = true;
    bool minButton = true;
    bool centred = false;
    int left = 0, top = 0;       // client-area position when not centred
    bool showInTaskbar = true;
    std::optional<Font> font;
    std::optional<quint32> backColor;
    std::vector<Control> controls;
};

QFont toQFont(const Font &f);
// The name of a control's widget: "Command1", or "Command1_3" for element 3 of an array.
QString objectName(const Control &c);

using CustomFactory = std::function<QWidget *(const Control &, QWidget *parent)>;

// Applies the window's own properties and creates its controls on `form`.
void build(QWidget *form, const Form &definition, const CustomFactory &custom = {});
// Only the controls, on `surface` (the main window builds its own frame and menus).
void createControls(QWidget *surface, const Form &definition, const CustomFactory &custom = {});
// Shows a window at its defined place: centred on the screen, or at left/top.
void place(QWidget *form, const Form &definition);

// Colours of a built control, kept as the defined value in the property "BackColor"/"ForeColor".
void setBackColor(QWidget *w, quint32 ole);
void setForeColor(QWidget *w, quint32 ole);
quint32 backColor(const QWidget *w);
quint32 foreColor(const QWidget *w);

template<class T = QWidget>
T *control(const QWidget *form, const char *name, int index = -1);
}

#include <QWidget>
template<class T>
T *def::control(const QWidget *form, const char *name, int index)
{
    const QString n = index < 0 ? QString::fromLatin1(name) : QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
    return form->findChild<T *>(n);
}
