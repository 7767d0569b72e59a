#pragma once

#include <QObject>

namespace platform {

// The system-wide key combination Alt+Z that brings the main window back from the tray, whichever
// program has the focus. Only one program can hold it: when another running copy of the cashier
// has it, registerHotKey() fails and the caller tells the cashier.
class GlobalHotKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~GlobalHotKey() override = default;

    // Claims Alt+Z for this process; false when it is already taken.
    virtual bool registerHotKey() = 0;
    // Gives it back; harmless when it was never claimed.
    virtual void unregisterHotKey() = 0;

signals:
    void activated();
};

} // namespace platform
