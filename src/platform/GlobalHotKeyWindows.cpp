#include "platform/GlobalHotKey.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDebug>

#include <windows.h>

namespace platform {

namespace {

constexpr UINT kHotKeyMessage = 786; // WM_HOTKEY
constexpr UINT kVirtualKeyZ = 0x5A;

// Alt+Z through the Windows hot-key service. The identifier is the global atom "setUpWindow", the
// value every copy of the cashier has always used.
//
// The hot key is registered for the GUI thread (no window handle) rather than for the main window:
// Windows then posts WM_HOTKEY to the thread's queue, and Qt's event dispatcher offers every message
// it takes from that queue to the application's native event filters as "windows_generic_MSG"
// before dispatching it. So the key works before the main window has a native handle and keeps
// working when Qt recreates that handle (flag changes such as stay-on-top do), which a key tied to
// one handle would silently lose. Only Qt's own event loops see thread messages, and the cashier
// runs no native modal loop (the main window is frameless and dragged by Qt code).
class GlobalHotKeyWindows final : public GlobalHotKey, public QAbstractNativeEventFilter
{
public:
    using GlobalHotKey::GlobalHotKey;
    ~GlobalHotKeyWindows() override { unregisterHotKey(); }

    HotKeyStatus registerHotKey() override
    {
        if (m_atom != 0)
            return HotKeyStatus::Registered;
        const ATOM atom = GlobalAddAtomA("setUpWindow");
        if (atom == 0) {
            // The global atom table is full: no hot key can be made, but nobody holds ours.
            qWarning("GlobalHotKey: GlobalAddAtom failed (%lu)", GetLastError());
            return HotKeyStatus::Unsupported;
        }
        if (!RegisterHotKey(nullptr, atom, MOD_ALT, kVirtualKeyZ)) {
            // ERROR_HOTKEY_ALREADY_REGISTERED in practice; any refusal means the cashier has no Alt+Z.
            const DWORD error = GetLastError();
            if (error != ERROR_HOTKEY_ALREADY_REGISTERED)
                qWarning("GlobalHotKey: RegisterHotKey failed (%lu)", error);
            GlobalDeleteAtom(atom);
            return HotKeyStatus::Taken;
        }
        m_atom = atom;
        QCoreApplication::instance()->installNativeEventFilter(this);
        return HotKeyStatus::Registered;
    }

    void unregisterHotKey() override
    {
        // Only what this object registered: the atom is shared, and unregistering it for the
        // thread would also drop a key another object in this process holds.
        if (m_atom == 0)
            return;
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
        UnregisterHotKey(nullptr, m_atom);
        GlobalDeleteAtom(m_atom);
        m_atom = 0;
    }

    bool isRegistered() const override { return m_atom != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        // Whatever identifier it carries: this process registers no other hot key.
        if (msg->message != kHotKeyMessage)
            return false;
        if (result)
            *result = 0;
        emit activated();
        return true;
    }

private:
    ATOM m_atom = 0;
};

} // namespace

std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent)
{
    return std::make_unique<GlobalHotKeyWindows>(parent);
}

} // namespace platform

#endif
