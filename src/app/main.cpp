#include "app/LoginWidget.h"
#include "app/MainWindow.h"
#include "app/Shell.h"
#include "config/AppConfigRecord.h"
#include "config/AutostartSetting.h"
#include "settings/SettingMain.h"
#include "widgets/Application.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    prepareApplication();
    QApplication app(argc, argv);
    setUpApplication();

    applyAutostartSetting();

    // Owned here for the whole run; after a successful login it is only hidden.
    LoginWidget login;
    login.show();

    // Loaded after the login window is built: nothing in its constructor reads the record.
    AppConfigRecord::instance().load();

    // One settings panel for the whole run, hidden until a screen asks for one of its pages.
    SettingMain settings;
    settings.setSerialPortAccess(shell::serialPorts());
    shell::setSettingsOpener([&settings](SettingsPage page) {
        settings.execPage(page);
        // The general page may have chosen another shop to collect for.
        if (shell::hasMainWindow())
            shell::mainWindow()->showCurrentShop();
    });

    const int exitCode = app.exec();
    shell::setSettingsOpener(nullptr);
    shell::destroyMainWindow();
    return exitCode;
}
