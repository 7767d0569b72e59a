// Alt+Z against a real X server: the test runs under its own Xvfb, key presses come from xdotool
// (through XTEST, so the server treats them as typed). Other holders of the key are a plain xcb
// connection opened here, and a second process running the cashier's own hot-key code.

#include "platform/GlobalHotKey.h"

#include "HotKeyNames.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QWindow>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

using platform::HotKeyStatus;

namespace {

constexpr uint8_t kBadAccess = 10;
constexpr xcb_keysym_t kKeysymZ = 0x007a;

// Long enough for a key press to travel xdotool → X server → this process, so that "nothing
// arrived" means something.
constexpr int kSettleMs = 300;

bool xdotool(const QString& keys)
{
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}

// Another X client, with no Qt and no hot-key code in it: grabs keys itself and reads the keyboard.
class RawClient
{
public:
    RawClient() : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* mapping = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr);
        if (!mapping)
            return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
        for (int code = 0; code < count && m_keycodeZ == 0; ++code) {
            if (syms[code * mapping->keysyms_per_keycode] == kKeysymZ)
                m_keycodeZ = xcb_keycode_t(setup->min_keycode + code);
        }
        std::free(mapping);
    }
    ~RawClient() { xcb_disconnect(m_connection); } // drops every grab it holds

    bool usable() const { return !xcb_connection_has_error(m_connection) && m_keycodeZ != 0; }

    // Grabs Z with exactly `modifiers` on the root window; the X error code, 0 when granted.
    int grabZ(uint16_t modifiers)
    {
        xcb_generic_error_t* error =
            xcb_request_check(m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, m_keycodeZ,
                                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        const int code = error ? error->error_code : 0;
        std::free(error);
        return code;
    }

    void ungrabZ(uint16_t modifiers)
    {
        std::free(xcb_request_check(m_connection, xcb_ungrab_key_checked(m_connection, m_keycodeZ, m_root, modifiers)));
    }

    // Waits for a press of Z delivered to this client's grab.
    bool receivesPressOfZ(int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool match = (event->response_type & 0x7f) == XCB_KEY_PRESS &&
                                   reinterpret_cast<xcb_key_press_event_t*>(event)->detail == m_keycodeZ;
                std::free(event);
                if (match)
                    return true;
            }
            QTest::qWait(10);
        }
        return false;
    }

    // The modifier and lock state of the keyboard.
    uint16_t keyboardState()
    {
        auto* reply = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        const uint16_t mask = reply ? reply->mask : 0;
        std::free(reply);
        return mask;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_keycode_t m_keycodeZ = 0;
};

// A second running copy: tests/e2e/globalhotkey_holder.cpp in its own process.
class Holder
{
public:
    Holder()
    {
        m_process.setProgram(QStringLiteral(GLOBALHOTKEY_HOLDER));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Holder()
    {
        if (m_process.state() != QProcess::NotRunning)
            kill();
    }

    // Closes its input, which ends it; true when it ended by itself without a crash.
    bool quit()
    {
        m_process.closeWriteChannel();
        return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

    void send(const QByteArray& command) { m_process.write(command + '\n'); }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }

    // The next line it prints, or "<timeout>".
    QByteArray nextLine(int timeoutMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < timeoutMs && m_process.state() != QProcess::NotRunning)
            m_process.waitForReadyRead(50);
        if (!m_process.canReadLine())
            return "<timeout>";
        return m_process.readLine().trimmed();
    }

    // Whether it printed anything within `ms` (it prints only on commands and presses).
    bool quietFor(int ms)
    {
        m_process.waitForReadyRead(ms);
        return m_process.bytesAvailable() == 0;
    }

private:
    QProcess m_process;
};

// One of the cashier's own windows, counting the Z presses it is given.
class FocusWindow : public QWindow
{
public:
    int zPresses = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Z)
            ++zPresses;
    }
};

} // namespace

class TestGlobalHotKey : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<platform::GlobalHotKey> m_hotKey;
    std::unique_ptr<QSignalSpy> m_spy;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(RawClient().usable(), "no X server or no Z key in its keymap");
        QVERIFY2(xdotool(QStringLiteral("shift")), "xdotool cannot drive the X server");
    }

    void init()
    {
        m_hotKey = platform::createGlobalHotKey();
        m_spy = std::make_unique<QSignalSpy>(m_hotKey.get(), &platform::GlobalHotKey::activated);
    }

    void cleanup()
    {
        m_spy.reset();
        m_hotKey.reset();
        // Leave no lock key switched on for the next test.
        RawClient keyboard;
        const uint16_t state = keyboard.keyboardState();
        if (state & XCB_MOD_MASK_LOCK)
            xdotool(QStringLiteral("Caps_Lock"));
        if (state & XCB_MOD_MASK_2)
            xdotool(QStringLiteral("Num_Lock"));
    }

    void altZFiresOncePerPress()
    {
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        QVERIFY(m_hotKey->isRegistered());
        // Claiming again keeps the one claim: a press must not arrive twice.
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);

        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 2, 5000);
        QTest::qWait(kSettleMs);
        QCOMPARE(m_spy->count(), 2);
    }

    void firesWhileOurOwnWindowHasTheFocus()
    {
        // Alt+Z is the hot key even in the cashier's own windows, and never reaches them as typing.
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        FocusWindow window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.requestActivate();
        QTRY_VERIFY(window.isActive());
        QVERIFY(xdotool(QStringLiteral("z")));
        QTRY_COMPARE_WITH_TIMEOUT(window.zPresses, 1, 5000); // the window does have the keyboard

        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
        QTest::qWait(kSettleMs);
        QCOMPARE(window.zPresses, 1);
    }

    void otherKeysDoNotFire_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::newRow("z alone") << "z";
        QTest::newRow("ctrl+z") << "ctrl+z";
        QTest::newRow("alt+x") << "alt+x";
        QTest::newRow("ctrl+alt+z") << "ctrl+alt+z";
    }

    void otherKeysDoNotFire()
    {
        QFETCH(QString, keys);
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        QVERIFY(xdotool(keys));
        // Events arrive in order: once the real Alt+Z has arrived, the other press was seen too.
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
        QTest::qWait(kSettleMs);
        QCOMPARE(m_spy->count(), 1);
    }

    void firesWithLockKeysOn_data()
    {
        QTest::addColumn<QStringList>("lockKeys");
        QTest::addColumn<int>("expectedLocks");
        QTest::newRow("NumLock") << QStringList{"Num_Lock"} << int(XCB_MOD_MASK_2);
        QTest::newRow("CapsLock") << QStringList{"Caps_Lock"} << int(XCB_MOD_MASK_LOCK);
        QTest::newRow("both") << QStringList{"Num_Lock", "Caps_Lock"} << int(XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK);
    }

    void firesWithLockKeysOn()
    {
        QFETCH(QStringList, lockKeys);
        QFETCH(int, expectedLocks);
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        for (const QString& key : lockKeys)
            QVERIFY(xdotool(key));
        RawClient keyboard;
        QTRY_COMPARE(keyboard.keyboardState() & (XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK), expectedLocks);

        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
    }

    void anotherClientCannotGrabItWhileHeld()
    {
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        RawClient other;
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1), int(kBadAccess));
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1 | XCB_MOD_MASK_2), int(kBadAccess));
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2), int(kBadAccess));

        m_hotKey->unregisterHotKey();
        QVERIFY(!m_hotKey->isRegistered());
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1), 0);
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QVERIFY(other.receivesPressOfZ());
        QTest::qWait(kSettleMs);
        QCOMPARE(m_spy->count(), 0);
        m_hotKey->unregisterHotKey(); // a second time is harmless
    }

    void takenWhileAnotherClientHoldsIt()
    {
        RawClient other;
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1), 0);
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Taken);
        QVERIFY(!m_hotKey->isRegistered());
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QVERIFY(other.receivesPressOfZ());
        QTest::qWait(kSettleMs);
        QCOMPARE(m_spy->count(), 0);

        other.ungrabZ(XCB_MOD_MASK_1);
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
    }

    void aRefusedClaimGivesBackWhatItGot()
    {
        // The other client holds only the CapsLock variant: every other variant is granted to us
        // before the refusal arrives, and must be handed back.
        RawClient other;
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK), 0);
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Taken);
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1), 0);
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1 | XCB_MOD_MASK_2), 0);
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1 | XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK), 0);
    }

    void destroyingItGivesItBack()
    {
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        m_spy.reset();
        m_hotKey.reset();
        RawClient other;
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1), 0);
        QCOMPARE(other.grabZ(XCB_MOD_MASK_1 | XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK), 0);
    }

    void secondObjectInThisProcessIsTaken()
    {
        // Both share Qt's X connection, and the server would grant the same client the same grab
        // twice; the second object must still be refused, and letting it go must not drop the first.
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        {
            std::unique_ptr<platform::GlobalHotKey> second = platform::createGlobalHotKey();
            QSignalSpy secondSpy(second.get(), &platform::GlobalHotKey::activated);
            QCOMPARE(second->registerHotKey(), HotKeyStatus::Taken);
            QVERIFY(!second->isRegistered());
            second->unregisterHotKey();
            QVERIFY(xdotool(QStringLiteral("alt+z")));
            QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
            QTest::qWait(kSettleMs);
            QCOMPARE(secondSpy.count(), 0);
        }
        QVERIFY(m_hotKey->isRegistered());
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 2, 5000);

        m_hotKey->unregisterHotKey();
        std::unique_ptr<platform::GlobalHotKey> next = platform::createGlobalHotKey();
        QCOMPARE(next->registerHotKey(), HotKeyStatus::Registered);
    }

    void secondCopyOfTheProgram()
    {
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        Holder copy;
        QCOMPARE(copy.nextLine(), QByteArray("Taken"));
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
        QVERIFY(copy.quietFor(kSettleMs));

        // Once this copy lets go, the other one can claim the key and gets the presses.
        m_hotKey->unregisterHotKey();
        copy.send("register");
        QCOMPARE(copy.nextLine(), QByteArray("Registered"));
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Taken);
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QCOMPARE(copy.nextLine(), QByteArray("activated"));
        QTest::qWait(kSettleMs);
        QCOMPARE(m_spy->count(), 1);

        copy.send("release");
        QCOMPARE(copy.nextLine(), QByteArray("released"));
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Registered);
        QVERIFY(copy.quit());
    }

    void aCopyEndingWhileHoldingItLetsGo()
    {
        // The copy's hot key outlives its application object, as one held by a global would.
        Holder copy;
        QCOMPARE(copy.nextLine(), QByteArray("Registered"));
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Taken);
        QVERIFY(copy.quit());
        QTRY_COMPARE_WITH_TIMEOUT(m_hotKey->registerHotKey(), HotKeyStatus::Registered, 5000);
    }

    void aCopyThatDiesFreesTheKey()
    {
        Holder copy;
        QCOMPARE(copy.nextLine(), QByteArray("Registered"));
        QCOMPARE(m_hotKey->registerHotKey(), HotKeyStatus::Taken);
        copy.kill(); // no chance to unregister: the server drops its grabs with its connection
        QTRY_COMPARE_WITH_TIMEOUT(m_hotKey->registerHotKey(), HotKeyStatus::Registered, 5000);
        QVERIFY(xdotool(QStringLiteral("alt+z")));
        QTRY_COMPARE_WITH_TIMEOUT(m_spy->count(), 1, 5000);
    }
};

QTEST_MAIN(TestGlobalHotKey)
#include "tst_globalhotkey.moc"
