#pragma once
#include <QWidget>

struct Services;
class Windows;

// Placeholder until the window is built.
class ReplaceDialog : public QWidget
{
    Q_OBJECT
public:
    ReplaceDialog(Services &services, Windows &windows);
};
