#include "platform/Autostart.h"

#include <QtGlobal>

#ifndef Q_OS_WIN

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {
// The path is quoted as one Exec argument (spaces and shell characters survive), then escaped
// again as a desktop-entry string value; "%" would start a field code and is doubled.
QString execLine(const QString& executablePath)
{
    QString quoted = executablePath;
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\\\""));
    quoted.replace(QLatin1Char('`'), QLatin1String("\\\\`"));
    quoted.replace(QLatin1Char('$'), QLatin1String("\\\\$"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
} // namespace

QString autostartLocation()
{
    // $XDG_CONFIG_HOME, or ~/.config when it is unset.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/cashier.desktop");
}

void writeAutostart(bool enabled, const QString& executablePath)
{
    const QString location = autostartLocation();
    QDir().mkpath(QFileInfo(location).absolutePath());

    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Cashier\n"
                                   "Comment=Payment collection cashier client\n");
    entry += QStringLiteral("Exec=") + execLine(executablePath) + QLatin1Char('\n');
    entry += QStringLiteral("Path=") + QFileInfo(executablePath).absolutePath() + QLatin1Char('\n');
    entry += QStringLiteral("Terminal=false\n");
    entry +=
        QStringLiteral("Hidden=") + (enabled ? QStringLiteral("false") : QStringLiteral("true")) + QLatin1Char('\n');
    entry += QStringLiteral("X-GNOME-Autostart-enabled=") +
             (enabled ? QStringLiteral("true") : QStringLiteral("false")) + QLatin1Char('\n');

    QSaveFile file(location);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(entry.toUtf8());
    file.commit();
}

} // namespace platform

#endif
