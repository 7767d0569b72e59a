#pragma once

#include <QLoggingCategory>

// The till's serial ports: ports that could not be opened or were lost, bytes that were no frame.
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
