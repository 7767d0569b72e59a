#include "app/Startup.h"

#include "config/DataConfig.h"
#include "platform/Autostart.h"

#include <QCoreApplication>

void applyAutostart()
{
    platform::writeAutostart(DataConfig::instance().getCheck() > 0, QCoreApplication::applicationFilePath());
}
