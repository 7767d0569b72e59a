#include "app/SerialPassThrough.h"

#include "core/SerialLog.h"

namespace {
void configure(QSerialPort* port, qint32 baudRate)
{
    port->setBaudRate(baudRate, QSerialPort::AllDirections);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
}
} // namespace

SerialPassThrough::SerialPassThrough(QObject* parent) : QObject(parent)
{
    // Windows: the software port is also read every 20 ms. Qt waits for the line with an
    // overlapped read that a driver may never complete (Wine 8's serial driver does not: nothing
    // arrived until something read the port); a read from the timer takes what has come and starts
    // that wait anew. On a driver that does complete it the timer finds the buffer empty. The
    // frames do not care how the bytes were split between reads.
    m_poll.setInterval(20);
    connect(&m_poll, &QTimer::timeout, this, &SerialPassThrough::readSoftwarePort);
}

SerialPassThrough::~SerialPassThrough()
{
    closeAll();
}

void SerialPassThrough::closeAll()
{
    for (QSerialPort* port : {m_software.data(), m_display.data()}) {
        if (!port)
            continue;
        port->disconnect(this);
        if (port->isOpen())
            port->close();
        port->deleteLater();
    }
    m_software = nullptr;
    m_display = nullptr;
    m_displayOpen = false;
    m_poll.stop();
    m_frames.reset();
}

bool SerialPassThrough::probe(const QString& device, QIODevice::OpenMode mode)
{
    QSerialPort port(device);
    if (!port.open(mode)) {
        qCInfo(lcSerial).noquote() << "trying" << device << port.errorString();
        return false;
    }
    port.close();
    return true;
}

SerialPassThrough::OpenResult SerialPassThrough::reopen(const Settings& settings)
{
    closeAll();
    OpenResult result;

    m_software = new QSerialPort(settings.softwarePort, this);
    m_display = new QSerialPort(settings.displayPort, this);

    if (m_software->open(QIODevice::ReadOnly)) {
        configure(m_software, settings.baudRate);
        connect(m_software, &QSerialPort::readyRead, this, &SerialPassThrough::readSoftwarePort);
        connect(m_software, &QSerialPort::errorOccurred, this,
                [this](QSerialPort::SerialPortError error) { onError(m_software, error); });
        result.softwareOpened = true;
#ifdef Q_OS_WIN
        m_poll.start();
#endif
    } else {
        qCInfo(lcSerial).noquote() << "software port" << settings.softwarePort << m_software->errorString();
    }

    if (settings.displayEnabled) {
        if (m_display->open(QIODevice::WriteOnly)) {
            configure(m_display, settings.baudRate);
            connect(m_display, &QSerialPort::errorOccurred, this,
                    [this](QSerialPort::SerialPortError error) { onError(m_display, error); });
            m_displayOpen = true;
            result.displayOpened = true;
        } else {
            qCInfo(lcSerial).noquote() << "display port" << settings.displayPort << m_display->errorString();
        }
    }
    return result;
}

bool SerialPassThrough::softwareOpen() const
{
    return m_software && m_software->isOpen();
}

bool SerialPassThrough::displayOpen() const
{
    return m_displayOpen && m_display && m_display->isOpen();
}

void SerialPassThrough::readSoftwarePort()
{
    if (!m_software || !m_software->isOpen())
        return;
    const QByteArray chunk = m_software->readAll();
    if (chunk.isEmpty())
        return;
    // The display sees exactly what the point-of-sale program sent, nothing added, as it comes.
    if (displayOpen())
        m_display->write(chunk);
    // A read holds what the line has delivered so far, not a frame: an amount counts once its
    // frame has ended, whichever read ended it.
    for (const QString& amount : m_frames.feed(chunk))
        emit amountReceived(amount);
}

void SerialPassThrough::onError(QSerialPort* port, QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    // A hung-up line keeps reporting readiness with nothing to read; a port left open that way
    // would spin. Close it and go on without it.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError && error != QSerialPort::WriteError)
        return;
    qCInfo(lcSerial).noquote() << port->portName() << "lost:" << port->errorString();
    port->disconnect(this);
    port->close();
    if (port == m_software) {
        m_poll.stop();
        emit softwarePortLost();
    } else if (port == m_display) {
        m_displayOpen = false;
        emit displayPortLost();
    }
}
