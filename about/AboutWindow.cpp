#include "about/AboutWindow.h"

AboutWindow::AboutWindow(Services &, Windows &) : QWidget(nullptr)
{
    setObjectName(QStringLiteral("frmAbout"));
}
