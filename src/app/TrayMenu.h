#pragma once

#include <QMenu>

class QSignalMapper;

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
    // The settings page to open, 1 to 7 in the order of the entries.
    void doSetting(int type);

private slots:
    void home_action_triggered();
    void about_action_triggered();

private:
    QSignalMapper* m_settingMapper;
};
