#pragma once

#include <QObject>

#include <memory>

namespace platform {

// What claiming Alt+Z came to.
enum class HotKeyStatus {
    // This object holds it; activated() fires on every press, whichever program has the focus.
    Registered,
    // Another program holds it, usually another running copy of the cashier. The cashier is told.
    Taken,
    // This platform or session has no global hot keys (a Wayland session, the offscreen platform).
    // Nobody else holds it, so there is nothing to tell the cashier.
    Unsupported,
};

// The system-wide key combination Alt+Z that brings the main window back from the tray, whichever
// program has the focus. Only one program can hold it: when another running copy of the cashier
// has it, registerHotKey() reports Taken and the caller tells the cashier.
//
// Use it from the GUI thread, after the application object exists.
class GlobalHotKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~GlobalHotKey() override = default;

    // Claims Alt+Z for this process. Calling it again while registered keeps the claim and
    // reports Registered. Within one process only one object holds it at a time; a second one
    // reports Taken.
    virtual HotKeyStatus registerHotKey() = 0;
    // Gives it back; harmless when it was never claimed. The destructor does the same.
    virtual void unregisterHotKey() = 0;
    // True between a Registered result and unregisterHotKey().
    virtual bool isRegistered() const = 0;

signals:
    void activated();
};

// The hot key for the platform the application runs on, chosen at run time: the Windows hot-key
// service on Windows, a key grab on the root window under X11, and one that always reports
// Unsupported anywhere else (Wayland, offscreen, no GUI application). Given a parent, the caller
// may release() the pointer and leave the object to it.
std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent = nullptr);

} // namespace platform
