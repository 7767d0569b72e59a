#include "platform/Updater.h"

#include <QProcess>

namespace platform {

QString updaterProgram()
{
#ifdef Q_OS_WIN
    return QStringLiteral("./install/updata.exe");
#else
    return QStringLiteral("./install/updata");
#endif
}

bool runUpdater()
{
    QProcess installer;
    installer.setProgram(updaterProgram());
    installer.start();
    if (!installer.waitForStarted(10000))
        return false;
    // The cashier asked for the update: the client waits for the installer, however long it takes.
    installer.waitForFinished(-1);
    return true;
}

} // namespace platform
