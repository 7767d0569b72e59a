// Sessions without global hot keys (here: the offscreen and minimal platforms, like a Wayland
// session) must say so, not claim the key is taken: "taken" makes the main window warn the cashier
// about another running copy that does not exist.

#include "platform/GlobalHotKey.h"

#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

class TestGlobalHotKeyUnsupported : public QObject
{
    Q_OBJECT

private slots:
    void offscreenHasNoHotKey()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QObject owner;
        std::unique_ptr<platform::GlobalHotKey> hotKey = platform::createGlobalHotKey(&owner);
        QCOMPARE(hotKey->parent(), &owner);

        QVERIFY(hotKey->registerHotKey() == platform::HotKeyStatus::Unsupported);
        QVERIFY(!hotKey->isRegistered());
        hotKey->unregisterHotKey();
        QVERIFY(hotKey->registerHotKey() == platform::HotKeyStatus::Unsupported);
    }

    void otherPlatformsHaveNoHotKey_data()
    {
        QTest::addColumn<QString>("platformName");
        QTest::newRow("minimal") << "minimal";
        QTest::newRow("offscreen") << "offscreen";
    }

    void otherPlatformsHaveNoHotKey()
    {
        // The holder claims the key at start-up with the platform it is given and prints the result.
        QFETCH(QString, platformName);
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", platformName);
        holder.setProcessEnvironment(env);
        holder.start(QStringLiteral(GLOBALHOTKEY_HOLDER), QStringList());
        QVERIFY(holder.waitForStarted(5000));
        QElapsedTimer clock;
        clock.start();
        while (!holder.canReadLine() && clock.elapsed() < 10000)
            holder.waitForReadyRead(50);
        QCOMPARE(holder.readLine().trimmed(), QByteArray("Unsupported"));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(5000));
    }
};

QTEST_MAIN(TestGlobalHotKeyUnsupported)
#include "tst_globalhotkey_unsupported.moc"
