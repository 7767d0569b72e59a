#include "app/Shell.h"

#include "app/MainWindow.h"
#include "app/SerialPassThrough.h"
#include "platform/SerialPortNames.h"
#include "settings/SerialPortAccess.h"

#include <QCoreApplication>

namespace shell {

namespace {
MainWindow* g_mainWindow = nullptr;
std::function<void(SettingsPage)> g_settingsOpener;

class MainWindowPorts : public SerialPortAccess
{
public:
    void lendPorts() override
    {
        if (g_mainWindow)
            g_mainWindow->lendPorts();
    }
    void returnPorts() override
    {
        if (g_mainWindow)
            g_mainWindow->returnPorts();
    }
    void reopenPorts(QWidget* messagesParent) override
    {
        if (g_mainWindow)
            g_mainWindow->openPorts(messagesParent);
    }
    bool probe(int comNumber, QIODevice::OpenModeFlag mode) override
    {
        return comNumber > 0 && SerialPassThrough::probe(platform::serialPortName(comNumber), mode);
    }
};
} // namespace

SerialPortAccess* serialPorts()
{
    static MainWindowPorts ports;
    return &ports;
}

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
