#include "platform/Autostart.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <QDir>
#include <QSettings>

namespace platform {

namespace {
const QString kRunKey = QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
}

void writeAutostart(bool enabled, const QString& executablePath)
{
    QSettings run(kRunKey, QSettings::NativeFormat);
    run.setValue(QStringLiteral("auto"), enabled ? QDir::toNativeSeparators(executablePath) : QString());
    run.sync();
}

QString autostartLocation()
{
    return kRunKey + QStringLiteral("\\auto");
}

} // namespace platform

#endif
