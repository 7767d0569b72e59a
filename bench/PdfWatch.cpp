#include "PdfWatch.h"

#include "XSession.h"

#include <QDir>
#include <QFile>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

PdfWatch::PdfWatch(const QString& dir) : m_dir(dir)
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd >= 0 && inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

PdfWatch::~PdfWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 PdfWatch::wait(const std::function<bool(const QString&)>& matches, int timeoutMs, XSession& x)
{
    const qint64 deadline = XSession::now() + qint64(timeoutMs) * 1000000;
    QString found;
    while (XSession::now() < deadline) {
        if (found.isEmpty()) {
            pollfd p{m_fd, POLLIN, 0};
            ::poll(&p, 1, 20);
            found = readNames(matches);
        } else {
            // Closed but not yet whole: written in more than one go.
            ::usleep(2000);
        }
        if (!found.isEmpty() && complete(found)) {
            const qint64 at = XSession::now();
            QFile::remove(QDir(m_dir).filePath(found));
            return at;
        }
        x.pump(0);
    }
    return 0;
}

QString PdfWatch::readNames(const std::function<bool(const QString&)>& matches)
{
    alignas(inotify_event) char buffer[8192];
    QString found;
    ssize_t n = 0;
    while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const QString name = event->len ? QFile::decodeName(event->name) : QString();
            if (found.isEmpty() && name.endsWith(QLatin1String(".pdf")) && matches(name))
                found = name;
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    return found;
}

bool PdfWatch::complete(const QString& name) const
{
    QFile file(QDir(m_dir).filePath(name));
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16)
        return false;
    file.seek(file.size() - 16);
    return file.read(16).contains("%%EOF");
}
