#pragma once

#include "core/SettingsPage.h"

#include <QMenu>

// The context menu of the tray icons and of the floating widget: seven settings pages, show the
// window, web site, about, quit.
class TrayMenu : public QMenu
{
    Q_OBJECT

public:
    explicit TrayMenu(QWidget* parent = nullptr);

signals:
    void showWindow();
    void quitWindow();
    // The settings page to open, in the order of the entries.
    void doSetting(SettingsPage type);

private slots:
    void home_action_triggered();
    void about_action_triggered();
};
