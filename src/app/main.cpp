#include "app/LoginWidget.h"
#include "app/Shell.h"
#include "app/Startup.h"
#include "config/AppConfigRecord.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("cashier"));
    QApplication::setApplicationVersion(QStringLiteral(CASHIER_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/setup.ico")));
    // The program lives in the tray: closing a window, or a message box closing while its owner is
    // hidden, must not end it. It ends through shell::quit() only.
    QApplication::setQuitOnLastWindowClosed(false);

    applyAutostart();

    // Owned here for the whole run; after a successful login it is only hidden.
    LoginWidget login;
    login.show();

    // Loaded after the login window is built: nothing in its constructor reads the record.
    AppConfigRecord::instance().load();

    // The settings panel is created here, hidden, once for the whole run.

    const int exitCode = app.exec();
    shell::destroyMainWindow();
    return exitCode;
}
