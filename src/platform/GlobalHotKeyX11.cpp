#include "platform/GlobalHotKey.h"

#include <QtGlobal>

#ifndef Q_OS_WIN

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QVector>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

namespace {

constexpr xcb_keysym_t kKeysymZ = 0x007a;       // XK_z
constexpr xcb_keysym_t kKeysymNumLock = 0xff7f; // XK_Num_Lock
constexpr uint8_t kBadAccess = 10;

// Frees what xcb hands back with malloc.
template <typename T> struct XcbFree
{
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree<T>>;

// Every keycode that produces `keysym` in any column of the current keyboard mapping.
QVector<xcb_keycode_t> keycodesFor(xcb_connection_t* connection, xcb_keysym_t keysym)
{
    QVector<xcb_keycode_t> keycodes;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    XcbReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr));
    if (!mapping)
        return keycodes;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perCode = mapping->keysyms_per_keycode;
    for (int code = 0; code < count; ++code) {
        for (int col = 0; col < perCode; ++col) {
            if (syms[code * perCode + col] == keysym) {
                keycodes.append(xcb_keycode_t(setup->min_keycode + code));
                break;
            }
        }
    }
    return keycodes;
}

// The modifier bit NumLock sets in event states. It is whichever of Mod1..Mod5 the Num_Lock key is
// mapped to; Mod2 on nearly every layout, which is also the answer when the lookup fails.
uint16_t numLockMask(xcb_connection_t* connection)
{
    const QVector<xcb_keycode_t> numLockCodes = keycodesFor(connection, kKeysymNumLock);
    XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!mapping || numLockCodes.isEmpty())
        return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code != 0 && numLockCodes.contains(code))
                return uint16_t(1u << modifier);
        }
    }
    return XCB_MOD_MASK_2;
}

// Alt+Z as a passive grab on the root window. The X server allows one client per key combination
// and root window and refuses another with BadAccess; that is how a second running copy finds out.
// A grab names exact modifier states, so Alt+Z is grabbed once for each combination of the lock
// keys (CapsLock, NumLock) as well: without that the key would do nothing while NumLock is on.
// The server drops a client's grabs when its connection closes, so a copy that crashes frees the key.
class GlobalHotKeyX11 final : public GlobalHotKey, public QAbstractNativeEventFilter
{
public:
    using GlobalHotKey::GlobalHotKey;
    ~GlobalHotKeyX11() override { unregisterHotKey(); }

    HotKeyStatus registerHotKey() override
    {
        if (isRegistered())
            return HotKeyStatus::Registered;
        xcb_connection_t* connection = QX11Info::connection();
        if (!connection)
            return HotKeyStatus::Unsupported;
        // The server lets a client grab a combination it already grabbed, and all objects here
        // share Qt's connection: another holder in this process has to be caught here.
        if (s_holder)
            return HotKeyStatus::Taken;
        const QVector<xcb_keycode_t> keycodes = keycodesFor(connection, kKeysymZ);
        if (keycodes.isEmpty())
            return HotKeyStatus::Unsupported; // a layout without a Z key
        const uint16_t numLock = numLockMask(connection);
        const uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLock, uint16_t(XCB_MOD_MASK_LOCK | numLock)};

        m_connection = connection;
        m_root = QX11Info::appRootWindow();
        m_keycodes = keycodes;
        m_modifiers.clear();
        for (uint16_t lock : locks)
            m_modifiers.append(uint16_t(XCB_MOD_MASK_1 | lock));

        // Issue every grab first, then collect the answers: one round trip in all. owner_events is
        // off, so the press is reported on the root window even when one of our own windows has the
        // focus, and no widget sees Alt+Z as typing.
        QVector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t keycode : std::as_const(m_keycodes)) {
            for (uint16_t modifiers : std::as_const(m_modifiers))
                cookies.append(xcb_grab_key_checked(connection, 0, m_root, modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                                                    XCB_GRAB_MODE_ASYNC));
        }
        bool taken = false;
        bool failed = false;
        for (const xcb_void_cookie_t& cookie : std::as_const(cookies)) {
            XcbReply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
            if (error) {
                if (error->error_code == kBadAccess)
                    taken = true;
                else
                    failed = true;
            }
        }
        if (taken || failed) {
            // Some variants may have been granted: hand them back, a half-held key helps nobody.
            ungrabAll();
            return taken ? HotKeyStatus::Taken : HotKeyStatus::Unsupported;
        }
        s_holder = this;
        QCoreApplication::instance()->installNativeEventFilter(this);
        return HotKeyStatus::Registered;
    }

    void unregisterHotKey() override
    {
        if (!isRegistered())
            return;
        s_holder = nullptr;
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) {
            // Outlived the application: its X connection is closing or closed, and the server drops
            // the grabs with it. The connection must not be touched any more.
            m_keycodes.clear();
            m_modifiers.clear();
            return;
        }
        app->removeNativeEventFilter(this);
        ungrabAll();
    }

    bool isRegistered() const override { return s_holder == this; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, long*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        // The high bit marks events another client sent; a real key press never has it.
        if (event->response_type != XCB_KEY_PRESS)
            return false;
        // Only our grabs report presses on the root window. While one is active the whole keyboard
        // goes there, so other keys typed with Z held down are left to Qt.
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        if (press->event != m_root || !m_keycodes.contains(press->detail))
            return false;
        emit activated();
        return true;
    }

private:
    void ungrabAll()
    {
        // Checked and waited for, so that the key is free for another client once this returns.
        QVector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t keycode : std::as_const(m_keycodes)) {
            for (uint16_t modifiers : std::as_const(m_modifiers))
                cookies.append(xcb_ungrab_key_checked(m_connection, keycode, m_root, modifiers));
        }
        for (const xcb_void_cookie_t& cookie : std::as_const(cookies))
            std::free(xcb_request_check(m_connection, cookie));
        m_keycodes.clear();
        m_modifiers.clear();
    }

    static GlobalHotKeyX11* s_holder;

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    QVector<xcb_keycode_t> m_keycodes;
    QVector<uint16_t> m_modifiers;
};

GlobalHotKeyX11* GlobalHotKeyX11::s_holder = nullptr;

// For sessions without global hot keys: Wayland, offscreen, minimal, or no GUI at all.
class NoGlobalHotKey final : public GlobalHotKey
{
public:
    using GlobalHotKey::GlobalHotKey;
    HotKeyStatus registerHotKey() override { return HotKeyStatus::Unsupported; }
    void unregisterHotKey() override {}
    bool isRegistered() const override { return false; }
};

} // namespace

std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent)
{
    if (QX11Info::isPlatformX11())
        return std::make_unique<GlobalHotKeyX11>(parent);
    return std::make_unique<NoGlobalHotKey>(parent);
}

} // namespace platform

#endif
