#pragma once

#include "core/SerialFrames.h"

#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

// The two serial ports of the till: the software port, where the point-of-sale program writes what
// it would show on a customer display, and the display port, where a real customer display may
// hang. Everything read from the first is passed on unchanged to the second (when a display is
// present) as soon as it is read; the amount of each frame is announced once the frame has ended.
class SerialPassThrough : public QObject
{
    Q_OBJECT

public:
    explicit SerialPassThrough(QObject* parent = nullptr);
    ~SerialPassThrough() override;

    struct Settings
    {
        QString softwarePort; // device or port name to open
        QString displayPort;
        qint32 baudRate = 9600;
        bool displayEnabled = false;
    };
    struct OpenResult
    {
        bool softwareOpened = false;
        bool displayOpened = false; // false as well when no display is configured
    };

    // Closes whatever is open and opens the ports anew: the software port read-only, the display
    // port write-only and only when a display is configured; 8 data bits, no parity, 1 stop bit, no
    // flow control, the same baud rate on both.
    OpenResult reopen(const Settings& settings);
    void closeAll();

    // Opens `device` in `mode` and closes it again, nothing set up and nothing written: whether the
    // port can be used at all (it exists and no one else holds it).
    static bool probe(const QString& device, QIODevice::OpenMode mode);

    bool softwareOpen() const;
    bool displayOpen() const;

signals:
    // A frame with an amount in it has ended on the software port (its bytes have already been
    // passed on to the display); several frames in one read are announced in the order sent.
    void amountReceived(const QString& amountText);
    // A port that was open failed (unplugged adapter, hung-up line) and has been closed.
    void softwarePortLost();
    void displayPortLost();

private slots:
    void readSoftwarePort();

private:
    void onError(QSerialPort* port, QSerialPort::SerialPortError error);

    QPointer<QSerialPort> m_software;
    QPointer<QSerialPort> m_display;
    bool m_displayOpen = false;
    QTimer m_poll; // Windows only: reads the software port besides readyRead
    SerialFrames m_frames; // emptied whenever the ports are closed: a reopened port starts afresh
};
