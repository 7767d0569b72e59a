#include "app/LoginWidget.h"
#include "app/MainWindow.h"
#include "app/Shell.h"
#include "config/AppConfigRecord.h"
#include "config/AutostartSetting.h"
#include "net/GatewayConnections.h"
#include "net/MoneyJournal.h"
#include "platform/DataFolder.h"
#include "settings/SettingMain.h"
#include "widgets/Application.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    // Before anything reads or writes a setting: the files live in the working directory.
    const QString dataFolder = platform::enterDataFolder();
    gatewayconnections::setAuthoritiesFile(QDir(dataFolder).absoluteFilePath(QStringLiteral("gateway-ca.pem")));
    prepareApplication();
    QApplication app(argc, argv);
    setUpApplication();

    applyAutostartSetting();

    // Owned here for the whole run; after a successful login it is only hidden.
    LoginWidget login;
    login.show();

    // Loaded after the login window is built: nothing in its constructor reads the record.
    AppConfigRecord::instance().load();

    // The charges and refunds whose outcome was never learnt (a crash, a power cut): the next
    // charge at their shop looks for them first. A journal that cannot be read is kept aside.
    QString damagedJournal;
    if (!MoneyJournal::instance().load(&damagedJournal))
        MessageBox::warning(
            &login, QStringLiteral("提示信息"),
            QStringLiteral("未完成收款的记录文件已损坏，已另存为 %1。请在交易列表中核对最近的收款和退款。")
                .arg(damagedJournal));

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
