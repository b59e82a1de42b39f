#pragma once
#include <QWidget>

struct Services;
class Windows;

// Placeholder until the window is built.
class CalcWindow : public QWidget
{
    Q_OBJECT
public:
    CalcWindow(Services &services, Windows &windows);
};
