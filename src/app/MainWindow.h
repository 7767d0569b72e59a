#pragma once

#include <QWidget>

// The working window after the shop is chosen. For now a frame that shows where the cashier landed;
// the tabs, tray icon, serial input and hot key come with the main window proper.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
};
