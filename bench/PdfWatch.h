#pragma once

#include <QString>

#include <functional>

class XSession;

// The files a printer finishes in its output folder, heard of through inotify as they are closed.
class PdfWatch
{
public:
    explicit PdfWatch(const QString& dir);
    ~PdfWatch();
    PdfWatch(const PdfWatch&) = delete;
    PdfWatch& operator=(const PdfWatch&) = delete;

    bool isValid() const { return m_fd >= 0; }

    // Waits for a complete PDF whose name `matches`, reading X events meanwhile; when it was seen
    // (XSession::now()), or 0 on timeout. The file is removed: it was only made to be timed.
    qint64 wait(const std::function<bool(const QString&)>& matches, int timeoutMs, XSession& x);

private:
    QString readNames(const std::function<bool(const QString&)>& matches);
    bool complete(const QString& name) const;

    QString m_dir;
    int m_fd = -1;
};
