#include "PseudoTerminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_devicePath = QFile::decodeName(name);
}

PseudoTerminal::~PseudoTerminal()
{
    hangUp();
}

bool PseudoTerminal::write(const QByteArray& bytes)
{
    return m_master >= 0 && ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

QByteArray PseudoTerminal::read(int waitMs, int expected)
{
    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    while (m_master >= 0 && clock.elapsed() < waitMs && (expected == 0 || received.size() < expected)) {
        // Keep the program's event loop turning: it writes from there.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
            char buffer[512];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, int(n));
        }
    }
    return received;
}

void PseudoTerminal::hangUp()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
}
