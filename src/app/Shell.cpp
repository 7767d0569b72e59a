#include "app/Shell.h"

#include "app/MainWindow.h"

#include <QCoreApplication>

namespace shell {

namespace {
MainWindow* g_mainWindow = nullptr;
std::function<void(SettingsPage)> g_settingsOpener;
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

void setSettingsOpener(std::function<void(SettingsPage)> opener)
{
    g_settingsOpener = std::move(opener);
}

void openSettingsPage(SettingsPage page)
{
    if (g_settingsOpener)
        g_settingsOpener(page);
}

void quit()
{
    QCoreApplication::quit();
}

} // namespace shell
