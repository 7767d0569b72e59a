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

    applyAutostart();

    // The login window is shown here; it must not read app.config, which is loaded next.

    AppConfigRecord::instance().load();

    // The settings panel is created here, hidden, once for the whole run.

    return app.exec();
}
