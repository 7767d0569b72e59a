#include "app/Startup.h"

#include "config/AutostartSetting.h"

void applyAutostart()
{
    // The same rule as the general settings page applies when the switch changes.
    applyAutostartSetting();
}
