#include "core/SerialLog.h"

Q_LOGGING_CATEGORY(lcSerial, "cashier.serial", QtInfoMsg)
