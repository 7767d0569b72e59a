#include "platform/SerialPortNames.h"

#include <QFileInfo>

namespace platform {

QString comName(int comNumber)
{
    return QStringLiteral("COM") + QString::number(comNumber);
}

QString serialPortName(int comNumber)
{
#ifdef Q_OS_WIN
    return comName(comNumber);
#else
    const QFileInfo link(QStringLiteral("ports/") + comName(comNumber));
    if (link.exists()) {
        // Open the device itself, so that two links to one device share its lock.
        const QString device = link.canonicalFilePath();
        return device.isEmpty() ? link.absoluteFilePath() : device;
    }
    if (link.isSymLink()) // dangling: name the link, so the open fails and says which one
        return link.absoluteFilePath();
    return QStringLiteral("/dev/ttyS") + QString::number(comNumber - 1);
#endif
}

} // namespace platform
