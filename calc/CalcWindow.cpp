#include "calc/CalcWindow.h"

CalcWindow::CalcWindow(Services &, Windows &) : QWidget(nullptr)
{
    setObjectName(QStringLiteral("calc"));
}
