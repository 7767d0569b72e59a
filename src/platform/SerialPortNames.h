#pragma once

#include <QString>

namespace platform {

// The device to open for the serial port the settings call "COM" + n.
//
// Windows: "COMn" itself. Elsewhere there is no such name, so the port is looked up in the folder
// "ports" of the working directory first — a link ports/COM3 -> /dev/ttyUSB0 (or a pseudo-terminal)
// chooses the device without a rebuild — and otherwise falls back to the n-th on-board port,
// /dev/ttyS(n-1).
QString serialPortName(int comNumber);

// "COM" + n, as the settings and messages name the port.
QString comName(int comNumber);

} // namespace platform
