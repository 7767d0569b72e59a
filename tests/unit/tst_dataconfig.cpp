#include "config/DataConfig.h"

#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTextCodec>
#include <QtTest>

namespace {
// data.ini is written with the system's own line ends: CRLF on Windows, where the shop's other tools
// (and Notepad) read it, LF elsewhere.
#ifdef Q_OS_WIN
const QByteArray kEol = "\r\n";
#else
const QByteArray kEol = "\n";
#endif
} // namespace

class TestDataConfig : public QObject
{
    Q_OBJECT

private:
    // Every getter's value at once, to compare whole states.
    static QStringList snapshot(DataConfig& store)
    {
        return QStringList{QString::number(store.getCheck()), store.getPrinterName(), store.getShopName(),
                           store.getUser().join(QLatin1Char('|')), QString::number(store.getCheckUpdata())};
    }
    static QStringList defaults() { return {"0", "", "", "||", "0"}; }

private slots:
    void defaultsForFilesThatHoldNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("other group only") << QByteArray("[other]\ncheck=1\nshopName=x\n");
        QTest::newRow("keys outside the group") << QByteArray("check=1\nprinterName=p\n");
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe[\x01==\n\n]]]\x80\x81", 14);
    }
    void defaultsForFilesThatHoldNothing()
    {
        QFETCH(QByteArray, content);
        ScopedWorkingDir dir;
        QVERIFY(writeFileBytes("data.ini", content));
        DataConfig store(dir.filePath("data.ini"));
        QCOMPARE(snapshot(store), defaults());
    }

    void defaultsWhenMissingOrUnreadable()
    {
        ScopedWorkingDir dir;
        {
            DataConfig store(dir.filePath("data.ini"));
            QCOMPARE(snapshot(store), defaults());
        }
        // A folder where the file should be cannot be read (nor written) even by root.
        QVERIFY(QDir(dir.path()).mkdir("locked.ini"));
        DataConfig locked(dir.filePath("locked.ini"));
        QCOMPARE(snapshot(locked), defaults());
        locked.setShopName("lost"); // must not crash
        QVERIFY(QFileInfo(dir.filePath("locked.ini")).isDir());
    }

    void anyFileReadsSanelyAndIsNotRewrittenByReading()
    {
        // Whatever a damaged or foreign data.ini holds: every getter gives a usable value, reading
        // leaves the file exactly as it was, and a setting written afterwards reads back.
        ScopedWorkingDir dir;
        auto* rng = QRandomGenerator::global();
        for (int round = 0; round < 50; ++round) {
            QByteArray bytes(int(rng->bounded(400)), Qt::Uninitialized);
            for (char& b : bytes)
                b = char(rng->bounded(256));
            const QString name = dir.filePath(QString("random%1.ini").arg(round));
            QVERIFY(writeFileBytes(name, bytes));
            const QByteArray hex = bytes.toHex(); // to reproduce a failure
            DataConfig store(name);
            QCOMPARE(store.getUser().size(), 3);
            QVERIFY2(!store.getServiceHotline().trimmed().isEmpty(), hex.constData());
            const int poll = store.getPrintPollSeconds();
            QVERIFY2(poll == 0 || poll >= 5, hex.constData());
            snapshot(store);
            store.getGatewayUrl();
            QVERIFY2(readFileBytes(name) == bytes, hex.constData()); // after every getter has run

            store.setShopName(QStringLiteral("中文店"));
            QVERIFY2(store.getShopName() == QStringLiteral("中文店"), hex.constData());
            QVERIFY2(DataConfig(name).getShopName() == QStringLiteral("中文店"), hex.constData());
        }
    }

    void integersReadLeniently_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("not a number") << QByteArray("abc") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("one") << QByteArray("1") << 1;
        QTest::newRow("index of the box") << QByteArray("2") << 2;
        QTest::newRow("negative") << QByteArray("-1") << -1;
        QTest::newRow("trailing garbage") << QByteArray("1x") << 0;
    }
    void integersReadLeniently()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        ScopedWorkingDir dir;
        QVERIFY(writeFileBytes("data.ini", "[data_config]\ncheck=" + stored + "\ncheck_updata=" + stored + "\n"));
        DataConfig store(dir.filePath("data.ini"));
        QCOMPARE(store.getCheck(), expected);
        QCOMPARE(store.getCheckUpdata(), expected);
    }

    // A value written as a Qt type ("@Variant(...)", an image of any size) is never deserialized:
    // it reads as its text, the other keys as usual, and a save keeps it as text.
    void typedValuesAreText()
    {
        ScopedWorkingDir dir;
        const QByteArray ini = "[data_config]\r\nuser=demo\r\npwd=@Variant(\\0\\0\\0\\,IIII x)\r\ncheck=1\r\n";
        QVERIFY(writeFileBytes("data.ini", ini));
        DataConfig store(dir.filePath("data.ini"));
        QCOMPARE(store.getCheck(), 1);
        QCOMPARE(store.getUser().value(0), QString("demo"));
        QCOMPARE(readFileBytes("data.ini"), ini);
        QVERIFY(store.setShopName(QStringLiteral("西湖店")));
        QCOMPARE(store.getShopName(), QStringLiteral("西湖店"));
        QVERIFY(!readFileBytes("data.ini").contains("pwd=@Variant("));
    }

    void receiptSettingsHaveSaneDefaults_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("hotline");
        QTest::addColumn<int>("pollSeconds");
        QTest::newRow("missing") << QByteArray() << "400-800-1234" << 30;
        QTest::newRow("empty") << QByteArray("service_hotline=\nprint_poll_seconds=\n") << "400-800-1234" << 30;
        QTest::newRow("blank hotline, bad number")
            << QByteArray("service_hotline=\"  \"\nprint_poll_seconds=abc\n") << "400-800-1234" << 30;
        QTest::newRow("set") << QByteArray("service_hotline=0571-8888 6666\nprint_poll_seconds=12\n")
                             << "0571-8888 6666" << 12;
        QTest::newRow("hand-written comma") << QByteArray("service_hotline=400-1, 400-2\n") << "400-1, 400-2" << 30;
        QTest::newRow("polling off") << QByteArray("print_poll_seconds=0\n") << "400-800-1234" << 0;
        QTest::newRow("too often") << QByteArray("print_poll_seconds=1\n") << "400-800-1234" << 5;
        QTest::newRow("negative") << QByteArray("print_poll_seconds=-7\n") << "400-800-1234" << 5;
        QTest::newRow("lowest allowed") << QByteArray("print_poll_seconds=5\n") << "400-800-1234" << 5;
    }
    void receiptSettingsHaveSaneDefaults()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, hotline);
        QFETCH(int, pollSeconds);
        ScopedWorkingDir dir;
        QVERIFY(writeFileBytes("data.ini", "[data_config]\n" + lines));
        DataConfig store(dir.filePath("data.ini"));
        QCOMPARE(store.getServiceHotline(), hotline);
        QCOMPARE(store.getPrintPollSeconds(), pollSeconds);
    }

    void valuesReachTheDiskUnderTheirKeys()
    {
        ScopedWorkingDir dir;
        DataConfig store(dir.filePath("data.ini"));
        store.setCheck("1");
        store.setPrinterName("Receipt-58");
        store.setShopName("Main street");
        store.setCheckUpdata(1);
        store.setUser("cashier01", "s3cret", true);

        // Read straight from the file while the store is still alive: nothing may wait in memory.
        const QString text = QString::fromLatin1(readFileBytes(dir.filePath("data.ini")));
        QVERIFY2(text.startsWith("[data_config]" + kEol), qPrintable(text));
        for (const char* line : {"check=1", "printerName=Receipt-58", "shopName=Main street", "check_updata=1",
                                 "user=cashier01", "pwd=s3cret", "remPwdstatus=true"})
            QVERIFY2(text.contains(QLatin1String(line) + kEol), line);
        // One kind of line end throughout: no bare LF among CRLFs, no CR left over.
        QCOMPARE(text.count('\n'), text.count(QString::fromLatin1(kEol)));

        DataConfig reopened(dir.filePath("data.ini"));
        QCOMPARE(snapshot(reopened), (QStringList{"1", "Receipt-58", "Main street", "cashier01|s3cret|true", "1"}));
    }

    void aRefusedSaveIsReportedAndNeverLandsLater()
    {
        ScopedWorkingDir dir;
        // Something in the way of the file (a folder stops even root).
        QVERIFY(QDir().mkdir("data.ini"));
        DataConfig store(dir.filePath("data.ini"));
        QVERIFY(!store.setShopName("refused shop"));
        QVERIFY(!store.setUser("cashier01", "s3cret", true));

        // Once the way is clear, the next save writes only what it was given.
        QVERIFY(QDir().rmdir("data.ini"));
        QVERIFY(store.setPrinterName("Receipt-58"));
        const QByteArray onDisk = readFileBytes(dir.filePath("data.ini"));
        QVERIFY2(onDisk.contains("printerName=Receipt-58"), onDisk.constData());
        QVERIFY2(!onDisk.contains("refused") && !onDisk.contains("s3cret") && !onDisk.contains("cashier01"),
                 onDisk.constData());
        QCOMPARE(store.getShopName(), QString());
    }

    // What a refused save did not name stays on disk through the next save.
    void aSaveAfterARefusalKeepsTheOtherKeys()
    {
        ScopedWorkingDir dir;
        DataConfig store(dir.filePath("data.ini"));
        QVERIFY(store.setGeneral("Shop A", "Printer A", "0", 0));
        QVERIFY(QFile::rename("data.ini", "kept.ini") && QDir().mkdir("data.ini"));
        QVERIFY(!store.setGeneral("Shop B", "Printer B", "1", 1));
        QVERIFY(QDir().rmdir("data.ini") && QFile::rename("kept.ini", "data.ini"));
        QVERIFY(store.setGeneral(QString(), "Printer C", "0", 1));
        QCOMPARE(store.getShopName(), QStringLiteral("Shop A"));
        QCOMPARE(store.getPrinterName(), QStringLiteral("Printer C"));
    }

    void passwordIsStoredOnlyWhenRemembered()
    {
        ScopedWorkingDir dir;
        DataConfig store(dir.filePath("data.ini"));
        store.setUser("cashier01", "s3cret", true);
        store.setUser("cashier01", "n3w-secret", false);

        const QByteArray onDisk = readFileBytes(dir.filePath("data.ini"));
        QVERIFY2(!onDisk.contains("s3cret") && !onDisk.contains("n3w-secret"), onDisk.constData());
        QVERIFY(onDisk.contains("remPwdstatus=false" + kEol));
        QCOMPARE(store.getUser(), (QStringList{"cashier01", "", "false"}));
    }

    void rememberedStatusIsReturnedAsStored()
    {
        // The login window fills the password only for exactly "true"; other spellings pass through.
        ScopedWorkingDir dir;
        QVERIFY(writeFileBytes("data.ini", "[data_config]\nuser=u\npwd=p\nremPwdstatus=True\n"));
        DataConfig store(dir.filePath("data.ini"));
        QCOMPARE(store.getUser(), (QStringList{"u", "p", "True"}));
    }

    void awkwardTextRoundTrips()
    {
        ScopedWorkingDir dir;
        const QString password = QStringLiteral("a;b=c\"d'e\\f#g%h&i+j k");
        const QString printer = QStringLiteral("\\\\server\\Receipt Printer, 58mm");
        {
            DataConfig store(dir.filePath("data.ini"));
            store.setUser(" lead space", password, true);
            store.setPrinterName(printer);
        }
        DataConfig reopened(dir.filePath("data.ini"));
        QCOMPARE(reopened.getUser(), (QStringList{" lead space", password, "true"}));
        QCOMPARE(reopened.getPrinterName(), printer);
    }

    void chineseValuesAreStoredAsGb2312()
    {
        ScopedWorkingDir dir;
        {
            DataConfig store(dir.filePath("data.ini"));
            store.setShopName(QStringLiteral("中文店"));
            store.setPrinterName(QStringLiteral("收银打印机"));
        }
        const QByteArray onDisk = readFileBytes(dir.filePath("data.ini"));
        // 中 D6D0, 文 CEC4, 店 B5EA; 收 CAD5, 银 D2F8, 打 B4F2, 印 D3A1, 机 BBFA
        QVERIFY2(
            onDisk.contains(QByteArray::fromHex("73686f704e616d653d") + QByteArray::fromHex("d6d0cec4b5ea") + kEol),
            onDisk.toHex(' ').constData());
        QVERIFY(onDisk.contains(QByteArray::fromHex("cad5d2f8b4f2d3a1bbfa")));
        QVERIFY(!onDisk.contains(QStringLiteral("中").toUtf8()));

        DataConfig reopened(dir.filePath("data.ini"));
        QCOMPARE(reopened.getShopName(), QStringLiteral("中文店"));
        QCOMPARE(reopened.getPrinterName(), QStringLiteral("收银打印机"));
    }

    void charactersBeyondGb2312RoundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("喆") << QStringLiteral("喆喆奶茶");
        QTest::newRow("堃") << QStringLiteral("堃记");
        QTest::newRow("®") << QStringLiteral("Receipt® 58");
        QTest::newRow("traditional") << QStringLiteral("臺灣門店");
    }
    void charactersBeyondGb2312RoundTrip()
    {
        QFETCH(QString, name);
        ScopedWorkingDir dir;
        {
            DataConfig store(dir.filePath("data.ini"));
            QVERIFY(store.setShopName(name));
            QVERIFY(store.setPrinterName(name));
        }
        // Read as the shop's tools read it (QSettings would answer from its cache of the file).
        const QByteArray onDisk = readFileBytes(dir.filePath("data.ini"));
        QVERIFY2(!onDisk.contains('?'), onDisk.toHex(' ').constData());
        const QString text = QTextCodec::codecForName("GB18030")->toUnicode(onDisk);
        QVERIFY2(text.contains("shopName=" + name) && text.contains("printerName=" + name), qPrintable(text));
    }

#ifdef Q_OS_UNIX
    void fileHoldingThePasswordIsTheOwnersOnly_data()
    {
        QTest::addColumn<bool>("existed");
        QTest::newRow("new file") << false;
        QTest::newRow("file others could read") << true;
    }
    void fileHoldingThePasswordIsTheOwnersOnly()
    {
        QFETCH(bool, existed);
        ScopedWorkingDir dir;
        const QString path = dir.filePath("data.ini");
        if (existed) {
            QVERIFY(writeFileBytes(path, "[data_config]\ncheck=1\n"));
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadGroup | QFileDevice::ReadOther));
        }
        DataConfig store(path);
        QVERIFY(store.setUser("cashier01", "s3cret", true));
        QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(store.getUser().value(1), QStringLiteral("s3cret"));
    }
#endif

    void gb2312FileWrittenElsewhereIsRead()
    {
        ScopedWorkingDir dir;
        QVERIFY(writeFileBytes("data.ini", "[data_config]\nshopName=" + QByteArray::fromHex("d6d0cec4b5ea") + "\n"));
        DataConfig store(dir.filePath("data.ini"));
        QCOMPARE(store.getShopName(), QStringLiteral("中文店"));
    }

    void everyGetterReadsTheFileAgain()
    {
        ScopedWorkingDir dir;
        DataConfig store(dir.filePath("data.ini"));
        store.setShopName("before");
        QCOMPARE(store.getShopName(), QString("before"));

        // Another copy of the program (or a person with an editor) changes the file.
        QVERIFY(writeFileBytes(dir.filePath("data.ini"), "[data_config]\nshopName=after (edited by hand)\ncheck=1\n"));
        QCOMPARE(store.getShopName(), QString("after (edited by hand)"));
        QCOMPARE(store.getCheck(), 1);

        QVERIFY(QFile::remove(dir.filePath("data.ini")));
        QCOMPARE(snapshot(store), defaults());
    }

    void instanceIsOneStoreOnDataIniInTheWorkingDirectory()
    {
        ScopedWorkingDir dir;
        DataConfig& first = DataConfig::instance();
        QCOMPARE(&first, &DataConfig::instance());
        QCOMPARE(QFileInfo(first.fileName()).absoluteFilePath(), dir.filePath("data.ini"));
        first.setCheck("1");
        QVERIFY(readFileBytes(dir.filePath("data.ini")).contains("check=1" + kEol));
    }
};

QTEST_GUILESS_MAIN(TestDataConfig)
#include "tst_dataconfig.moc"
