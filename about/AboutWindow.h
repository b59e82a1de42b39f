#pragma once
#include <QWidget>

struct Services;
class Windows;

// Placeholder until the window is built.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    AboutWindow(Services &services, Windows &windows);
};
