#include "config/AutostartSetting.h"

#include "config/DataConfig.h"
#include "platform/Autostart.h"

#include <QCoreApplication>

void applyAutostartSetting()
{
    platform::writeAutostart(DataConfig::instance().getCheck() > 0, QCoreApplication::applicationFilePath());
}
