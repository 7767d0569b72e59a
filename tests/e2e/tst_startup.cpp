// Starts the real program in a fresh working directory and checks what its start-up leaves behind.

#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString m_executable = qEnvironmentVariable("CASHIER_EXECUTABLE");

    // Runs the program until `done` holds (or 20 s pass), then stops it.
    template <typename Done> bool runUntil(const QString& workingDir, const QString& configHome, Done done)
    {
        QProcess program;
        program.setProgram(m_executable);
        program.setWorkingDirectory(workingDir);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", configHome);
        program.setProcessEnvironment(env);
        program.start();
        if (!program.waitForStarted(10000))
            return false;
        QElapsedTimer clock;
        clock.start();
        bool ok = false;
        while (!(ok = done()) && clock.elapsed() < 20000 && program.state() == QProcess::Running)
            QTest::qWait(20);
        program.kill();
        program.waitForFinished(5000);
        return ok;
    }

private slots:
    void initTestCase() { QVERIFY2(QFileInfo(m_executable).isExecutable(), qPrintable(m_executable)); }

    void firstStartInAnEmptyDirectory()
    {
        QTemporaryDir work;
        QTemporaryDir config;
        const QString entry = config.filePath("autostart/cashier.desktop");
        // No data.ini: autostart is off, and app.config appears, empty, for the defaults.
        QVERIFY(runUntil(work.path(), config.path(),
                         [&] { return QFileInfo::exists(entry) && QFileInfo::exists(work.filePath("app.config")); }));
        QVERIFY(readFileBytes(entry).contains("\nHidden=true\n"));
        QCOMPARE(QFileInfo(work.filePath("app.config")).size(), 0);
    }

    void everyStartPointsAutostartAtTheProgram_data()
    {
        QTest::addColumn<QByteArray>("check");
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << QByteArray("1") << true;
        QTest::newRow("box index 2") << QByteArray("2") << true;
        QTest::newRow("off") << QByteArray("0") << false;
        QTest::newRow("not a number") << QByteArray("abc") << false;
    }
    void everyStartPointsAutostartAtTheProgram()
    {
        QFETCH(QByteArray, check);
        QFETCH(bool, on);
        QTemporaryDir work;
        QTemporaryDir config;
        const QString entry = config.filePath("autostart/cashier.desktop");
        QVERIFY(writeFileBytes(work.filePath("data.ini"), "[data_config]\ncheck=" + check + "\n"));
        // A stale entry from a program that has since moved.
        QVERIFY(QDir().mkpath(config.filePath("autostart")));
        QVERIFY(writeFileBytes(entry, "[Desktop Entry]\nExec=\"/old/place/cashier\"\nHidden=false\n"));

        const QByteArray expectedExec = "\nExec=\"" + QFileInfo(m_executable).canonicalFilePath().toUtf8() + "\"\n";
        const QByteArray expectedHidden = on ? "\nHidden=false\n" : "\nHidden=true\n";
        QVERIFY(runUntil(work.path(), config.path(), [&] {
            const QByteArray text = readFileBytes(entry);
            return text.contains(expectedExec) && text.contains(expectedHidden);
        }));
    }

    void settingsOnDiskSurviveStartUp_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QByteArray>("iniTail");
        QTest::addColumn<bool>("recordIsFolder");
        QByteArray saved(124, '\0');
        saved[0] = '\x60';
        saved[1] = '\x09'; // 2400 baud
        saved[4] = 3;      // till on COM3
        saved[16] = 1;     // cents rounded to the jiao
        QTest::newRow("saved record") << saved << QByteArray() << false;
        // Cut short (a copy that was interrupted): the program runs on defaults but keeps the file.
        QTest::newRow("short record") << saved.left(60) << QByteArray() << false;
        // Something else in the record's place, and data.ini cut in the middle of a GB2312 character.
        QTest::newRow("record is a folder") << QByteArray() << QByteArray() << true;
        QTest::newRow("data.ini cut mid-character") << saved << QByteArray("shopName=\xc7\xe0\xba") << false;
    }
    void settingsOnDiskSurviveStartUp()
    {
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, iniTail);
        QFETCH(bool, recordIsFolder);
        QTemporaryDir work;
        QTemporaryDir config;
        // The update check at start-up is sent from the event loop, so it reaches this stand-in
        // gateway only once app.config has been read.
        QTcpServer gateway;
        QVERIFY(gateway.listen(QHostAddress::LocalHost, 0));
        const QByteArray url =
            "http://127.0.0.1:" + QByteArray::number(gateway.serverPort()) + "/api.php/Gateway/index";
        const QByteArray ini = "[data_config]\ngateway_url=" + url + "\n" + iniTail;
        QVERIFY(writeFileBytes(work.filePath("data.ini"), ini));
        if (recordIsFolder)
            QVERIFY(QDir(work.path()).mkdir("app.config"));
        else
            QVERIFY(writeFileBytes(work.filePath("app.config"), record));
        QVERIFY(runUntil(work.path(), config.path(), [&] { return gateway.hasPendingConnections(); }));
        if (recordIsFolder)
            QVERIFY(QFileInfo(work.filePath("app.config")).isDir());
        else
            QCOMPARE(readFileBytes(work.filePath("app.config")).toHex(' '), record.toHex(' '));
        QCOMPARE(readFileBytes(work.filePath("data.ini")), ini);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
