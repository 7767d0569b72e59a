#include "app/Shell.h"

#include "app/MainWindow.h"

#include <QPointer>

namespace shell {

namespace {
MainWindow* g_mainWindow = nullptr;
QPointer<QWidget> g_settingsPanel;
} // namespace

MainWindow* mainWindow()
{
    if (!g_mainWindow)
        g_mainWindow = new MainWindow;
    return g_mainWindow;
}

bool hasMainWindow()
{
    return g_mainWindow != nullptr;
}

void destroyMainWindow()
{
    delete g_mainWindow;
    g_mainWindow = nullptr;
}

void showMainWindow()
{
    MainWindow* window = mainWindow();
    window->showNormal();
    window->raise();
    window->activateWindow();
}

QWidget* settingsPanel()
{
    return g_settingsPanel;
}

void setSettingsPanel(QWidget* panel)
{
    g_settingsPanel = panel;
}

void openSettingsPage(int page)
{
    if (g_settingsPanel)
        QMetaObject::invokeMethod(g_settingsPanel, "execPage", Q_ARG(int, page));
}

} // namespace shell
