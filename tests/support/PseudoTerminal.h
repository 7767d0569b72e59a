#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for a serial device: the program opens `devicePath()` (the slave
// side) as its port, the test talks through the master side.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();

    bool isValid() const { return m_master >= 0; }
    QString devicePath() const { return m_devicePath; }

    // Writes to the device as the far end would (a point-of-sale program, say).
    bool write(const QByteArray& bytes);
    // What the program wrote to the device, collected for up to `waitMs`, stopping early once
    // `expected` bytes arrived (0: wait the whole time).
    QByteArray read(int waitMs, int expected = 0);
    // Hangs up the far end: the program's side sees the line drop.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the device exists even while the program has it closed
    QString m_devicePath;
};
