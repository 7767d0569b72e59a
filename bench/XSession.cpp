#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <poll.h>
#include <time.h>

namespace {
Display* display(void* d)
{
    return static_cast<Display*>(d);
}

// Windows vanish while we look at them (a dialog closing): the errors that follow are expected.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

XSession::~XSession()
{
    if (m_display)
        XCloseDisplay(display(m_display));
}

qint64 XSession::now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool XSession::open()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    m_display = d;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor))
        return false;
    XSetErrorHandler(ignoreErrors);
    m_root = DefaultRootWindow(d);
    m_netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    m_utf8String = XInternAtom(d, "UTF8_STRING", False);
    m_netActiveWindow = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    // New top-level windows are announced to the root; each is then watched on its own, so that it
    // is still heard of once the window manager has put it into a frame.
    XSelectInput(d, m_root, SubstructureNotifyMask);
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, m_root, &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            watch(children[i]);
        XFree(children);
    }
    XSync(d, False);
    return true;
}

int XSession::fd() const
{
    return ConnectionNumber(display(m_display));
}

void XSession::watch(WindowId window)
{
    Display* d = display(m_display);
    XSelectInput(d, window, StructureNotifyMask | ExposureMask);
    Seen& w = m_windows[window];
    // Mapped before the selection took effect: seen now.
    XWindowAttributes attributes{};
    if (!w.mapped && XGetWindowAttributes(d, window, &attributes) && attributes.map_state != IsUnmapped) {
        w.mapped = true;
        w.mappedAt = now();
        w.title = titleOf(window);
    }
}

QString XSession::titleOf(WindowId window) const
{
    Display* d = display(m_display);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(d, window, m_netWmName, 0, 1024, False, m_utf8String, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(items));
        XFree(data);
    }
    if (title.isEmpty()) {
        char* name = nullptr;
        if (XFetchName(d, window, &name) && name) {
            title = QString::fromLocal8Bit(name);
            XFree(name);
        }
    }
    return title;
}

void XSession::handle(void* e)
{
    const XEvent& event = *static_cast<XEvent*>(e);
    switch (event.type) {
    case CreateNotify:
        if (event.xcreatewindow.parent == m_root)
            watch(event.xcreatewindow.window);
        break;
    case MapNotify: {
        if (!m_windows.contains(event.xmap.window))
            watch(event.xmap.window);
        Seen& w = m_windows[event.xmap.window];
        if (!w.mapped) {
            w.mapped = true;
            w.mappedAt = now();
            w.title = titleOf(event.xmap.window);
        }
        break;
    }
    case UnmapNotify:
        if (m_windows.contains(event.xunmap.window)) {
            Seen& w = m_windows[event.xunmap.window];
            w.mapped = false;
            w.unmappedAt = now();
        }
        break;
    case DestroyNotify:
        if (m_windows.remove(event.xdestroywindow.window))
            m_lastGoneAt = now();
        break;
    case Expose:
        if (event.xexpose.count == 0 && m_windows.contains(event.xexpose.window))
            ++m_windows[event.xexpose.window].exposures;
        break;
    default:
        break;
    }
}

void XSession::pump(int timeoutMs)
{
    Display* d = display(m_display);
    if (XPending(d) == 0 && timeoutMs > 0) {
        pollfd p{fd(), POLLIN, 0};
        ::poll(&p, 1, timeoutMs);
    }
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        handle(&event);
    }
}

void XSession::wait(int ms)
{
    const qint64 deadline = now() + qint64(ms) * 1000000;
    for (qint64 left = deadline - now(); left > 0; left = deadline - now())
        pump(int(left / 1000000) + 1);
}

XSession::WindowId XSession::mapped(const QString& title) const
{
    WindowId found = 0;
    qint64 latest = -1;
    for (auto it = m_windows.cbegin(); it != m_windows.cend(); ++it) {
        if (it->mapped && it->title == title && it->mappedAt > latest) {
            found = it.key();
            latest = it->mappedAt;
        }
    }
    return found;
}

XSession::WindowId XSession::waitMapped(const QString& title, qint64 sinceNs, int timeoutMs, qint64* mappedAtNs)
{
    const qint64 deadline = now() + qint64(timeoutMs) * 1000000;
    for (;;) {
        pump(0);
        for (auto it = m_windows.cbegin(); it != m_windows.cend(); ++it) {
            if (it->mapped && it->title == title && it->mappedAt >= sinceNs) {
                if (mappedAtNs)
                    *mappedAtNs = it->mappedAt;
                return it.key();
            }
        }
        const qint64 left = deadline - now();
        if (left <= 0)
            return 0;
        pump(int(qMin<qint64>(left / 1000000 + 1, 50)));
    }
}

bool XSession::waitUnmapped(WindowId window, int timeoutMs, qint64* unmappedAtNs)
{
    const qint64 deadline = now() + qint64(timeoutMs) * 1000000;
    for (;;) {
        pump(0);
        if (!m_windows.contains(window) || !m_windows.value(window).mapped) {
            if (unmappedAtNs)
                *unmappedAtNs = m_windows.contains(window) ? m_windows.value(window).unmappedAt : m_lastGoneAt;
            return true;
        }
        if (now() >= deadline)
            return false;
        pump(20);
    }
}

QSize XSession::size(WindowId window) const
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display(m_display), window, &attributes))
        return QSize();
    return QSize(attributes.width, attributes.height);
}

int XSession::exposures(WindowId window) const
{
    return m_windows.value(window).exposures;
}

bool XSession::activate(WindowId window, int timeoutMs)
{
    Display* d = display(m_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = m_netActiveWindow;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // from a pager: the window manager does as asked
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(d);
    const qint64 deadline = now() + qint64(timeoutMs) * 1000000;
    for (;;) {
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(d, &focus, &revert);
        if (focus == window)
            return true;
        if (now() >= deadline)
            return false;
        pump(5);
    }
}

bool XSession::key(const char* keysym, bool press)
{
    Display* d = display(m_display);
    const KeySym sym = XStringToKeysym(keysym);
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (code == 0)
        return false;
    XTestFakeKeyEvent(d, code, press ? True : False, CurrentTime);
    XFlush(d);
    return true;
}

bool XSession::tap(const char* keysym)
{
    return key(keysym, true) && key(keysym, false);
}

bool XSession::click(WindowId window, int x, int y)
{
    Display* d = display(m_display);
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(d, window, m_root, x, y, &rootX, &rootY, &child))
        return false;
    XTestFakeMotionEvent(d, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XFlush(d);
    return true;
}

bool XSession::chord(const char* modifier, const char* keysym)
{
    const bool ok = key(modifier, true) && tap(keysym);
    return key(modifier, false) && ok;
}

bool XSession::type(const QString& text)
{
    for (const QChar c : text) {
        const QByteArray name = c == QLatin1Char('.') ? QByteArray("period") : QString(c).toLatin1();
        if (!tap(name.constData()))
            return false;
    }
    return true;
}
