// Alt+Z through the Windows hot-key service, run under Wine on its own virtual X screen: claimed,
// refused to a second holder (in this process and in another), given back, and a press from the
// keyboard (xdotool) reaching whoever holds it.

#include "platform/GlobalHotKey.h"

#include "HotKeyNames.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

using platform::HotKeyStatus;

namespace {
// xdotool is a Linux program: Wine's start runs it from the Unix side.
bool pressAltZ()
{
    return QProcess::execute(QStringLiteral("start.exe"),
                             {QStringLiteral("/wait"), QStringLiteral("/unix"), QStringLiteral("/usr/bin/xdotool"),
                              QStringLiteral("key"), QStringLiteral("alt+z")}) == 0;
}

// The holder's next line of output, waited for.
QByteArray nextLine(QProcess& holder)
{
    QElapsedTimer clock;
    clock.start();
    while (!holder.canReadLine() && clock.elapsed() < 10000)
        holder.waitForReadyRead(100);
    return holder.readLine().trimmed();
}
} // namespace

class TestGlobalHotKeyWindows : public QObject
{
    Q_OBJECT

private slots:
    void claimedRefusedGivenBackAndPressed()
    {
        // A window of this program on the screen, as the cashier's main window is.
        QWindow window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window, 20000));
        auto hotKey = platform::createGlobalHotKey();
        QCOMPARE(hotKey->registerHotKey(), HotKeyStatus::Registered);
        QCOMPARE(hotKey->registerHotKey(), HotKeyStatus::Registered); // asking again keeps the one claim
        QCOMPARE(platform::createGlobalHotKey()->registerHotKey(), HotKeyStatus::Taken);

        // The key pressed on the keyboard reaches this process.
        QSignalSpy pressed(hotKey.get(), &platform::GlobalHotKey::activated);
        QVERIFY(pressAltZ());
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, 5000);

        // Another copy of the program is refused while this one holds it...
        QProcess holder;
        holder.start(QCoreApplication::applicationDirPath() + QStringLiteral("/globalhotkey_holder.exe"));
        QVERIFY(holder.waitForStarted(10000));
        QCOMPARE(nextLine(holder), QByteArray("Taken"));

        // ...and gets it once it is given back; then the presses go there, not here.
        hotKey->unregisterHotKey();
        QVERIFY(!hotKey->isRegistered());
        holder.write("register\n");
        QCOMPARE(nextLine(holder), QByteArray("Registered"));
        QCOMPARE(hotKey->registerHotKey(), HotKeyStatus::Taken);
        QVERIFY(pressAltZ());
        QCOMPARE(nextLine(holder), QByteArray("activated"));
        QTest::qWait(300);
        QCOMPARE(pressed.size(), 1);

        // A copy that ends gives it back with it.
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QTRY_COMPARE_WITH_TIMEOUT(hotKey->registerHotKey(), HotKeyStatus::Registered, 5000);
        QVERIFY(pressAltZ());
        QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 2, 5000);
    }
};

QTEST_MAIN(TestGlobalHotKeyWindows)
#include "tst_globalhotkey_windows.moc"
