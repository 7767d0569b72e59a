#pragma once

#include <QString>
#include <QStringList>

// The choices the serial-port page offers, and how stored values map onto them.
namespace serialchoices {

// "COM1" to "COM9", plus the stored port when it lies outside that range (so the page shows, and
// keeps on saving, what app.config holds rather than quietly choosing another port).
QStringList portNames(int storedComNumber);
// The entry of portNames(storedComNumber) that names the stored port.
int portIndex(int storedComNumber);
// The number n of "COM" + n; 0 when `name` is not such a name.
int comNumber(const QString& name);

// The baud rates offered, slowest first.
QStringList baudRates();
// The entry for a stored rate: 2400, 4800, 9600 and 14400 select themselves, anything else 19200.
int baudRateIndex(int storedBaudRate);

} // namespace serialchoices
