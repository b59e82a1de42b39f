#pragma once
#include <QWidget>

struct Services;
class Windows;

// Placeholder until the window is built.
class FindDialog : public QWidget
{
    Q_OBJECT
public:
    FindDialog(Services &services, Windows &windows);
};
