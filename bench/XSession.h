#pragma once

#include <QHash>
#include <QSize>
#include <QString>

// A client of the benchmark's X server that sees top-level windows come and go, with the moment it
// heard of each, and presses keys through XTEST, as a keyboard or a scanner does (the way xdotool
// does it, but without a process start between the clock and the key).
class XSession
{
public:
    using WindowId = unsigned long;

    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Connects to $DISPLAY; false when there is no server or no XTEST.
    bool open();
    int fd() const;

    // Reads the events that came in, waiting up to `timeoutMs` for the first (0: only what is there).
    void pump(int timeoutMs);
    // Reads events for `ms` milliseconds.
    void wait(int ms);

    // A window titled `title` that is mapped now, the one mapped last; 0 when there is none.
    WindowId mapped(const QString& title) const;
    // Waits until a window titled `title` is mapped that was not mapped at `sinceNs` (a
    // monotonic time, see now()); its id, and when it was seen mapped. 0 on timeout.
    WindowId waitMapped(const QString& title, qint64 sinceNs, int timeoutMs, qint64* mappedAtNs = nullptr);
    // Waits until `window` is unmapped or gone; when it was seen unmapped (or gone).
    bool waitUnmapped(WindowId window, int timeoutMs, qint64* unmappedAtNs = nullptr);
    QSize size(WindowId window) const;
    int exposures(WindowId window) const;

    // Gives `window` the keyboard focus through the window manager and waits until it has it.
    bool activate(WindowId window, int timeoutMs = 5000);

    // Keys by keysym name ("Return", "KP_Enter", "z", "F2"): a press and a release.
    bool tap(const char* keysym);
    // A left click at (x, y) in `window`'s own coordinates, as a mouse gives it.
    bool click(WindowId window, int x, int y);
    // A key with a modifier held ("Alt_L", "z").
    bool chord(const char* modifier, const char* keysym);
    // Plain characters that need no shift ('0'-'9', 'a'-'z', '.'), as fast as a scanner sends them.
    bool type(const QString& text);

    // CLOCK_MONOTONIC in nanoseconds.
    static qint64 now();

private:
    struct Seen
    {
        QString title;
        bool mapped = false;
        qint64 mappedAt = 0;
        qint64 unmappedAt = 0;
        int exposures = 0;
    };
    void handle(void* event);
    void watch(WindowId window);
    QString titleOf(WindowId window) const;
    bool key(const char* keysym, bool press);

    void* m_display = nullptr; // Display*, kept out of this header (Xlib's macros clash with Qt's names)
    WindowId m_root = 0;
    unsigned long m_netWmName = 0;
    unsigned long m_utf8String = 0;
    unsigned long m_netActiveWindow = 0;
    QHash<WindowId, Seen> m_windows;
    qint64 m_lastGoneAt = 0; // when the last watched window was destroyed
};
