#include "config/AppConfigRecord.h"

#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QProcess>
#include <QtTest>

namespace {
// The record as the file holds it, spelled out byte by byte: independent of the code under test.
QByteArray handMadeRecord()
{
    QByteArray b(124, '\0');
    const char head[] = {
        '\x00', '\x4b', '\x00', '\x00', // baudRate 19200 = 0x4B00
        '\x03', '\x00', '\x00', '\x00', // softwareComNumber 3
        '\x07', '\x00', '\x00', '\x00', // displayComNumber 7
        '\x01',                         // displayEnabled
        '\x00', '\x00', '\x00',         // padding
        '\x02', '\x00', '\x00', '\x00', // centsMode 2
        '\x01',                         // refundEnabled
        '\x00',                         // cardEnabled
        '\x4b', '\x62', '\x4c', '\x72', // itemName "手牌" = U+624B U+724C
    };
    b.replace(0, sizeof head, QByteArray(head, sizeof head));
    return b;
}

bool sameFields(const AppConfigRecord& a, const AppConfigRecord& b)
{
    return a.baudRate == b.baudRate && a.softwareComNumber == b.softwareComNumber &&
           a.displayComNumber == b.displayComNumber && a.displayEnabled == b.displayEnabled &&
           a.centsMode == b.centsMode && a.refundEnabled == b.refundEnabled && a.cardEnabled == b.cardEnabled &&
           a.itemName == b.itemName;
}

void verifyDefaults(const AppConfigRecord& r)
{
    QCOMPARE(r.baudRate, 9600);
    QCOMPARE(r.softwareComNumber, 9);
    QCOMPARE(r.displayComNumber, 2);
    QCOMPARE(r.displayEnabled, false);
    QCOMPARE(r.centsMode, 0);
    QCOMPARE(r.refundEnabled, false);
    QCOMPARE(r.cardEnabled, false);
    QCOMPARE(r.itemName, QString());
}
} // namespace

class TestAppConfigRecord : public QObject
{
    Q_OBJECT

private slots:
    void defaults() { verifyDefaults(AppConfigRecord()); }

    void layoutIsExactlyTheFileFormat()
    {
        AppConfigRecord r;
        r.baudRate = 19200;
        r.softwareComNumber = 3;
        r.displayComNumber = 7;
        r.displayEnabled = true;
        r.centsMode = AppConfigRecord::DropCents;
        r.refundEnabled = true;
        r.cardEnabled = false;
        r.itemName = QStringLiteral("手牌");
        QCOMPARE(r.toBytes().toHex(' '), handMadeRecord().toHex(' '));

        const AppConfigRecord parsed = AppConfigRecord::fromBytes(handMadeRecord());
        QVERIFY(sameFields(parsed, r));
    }

    void defaultRecordBytes()
    {
        QByteArray expected(124, '\0');
        expected[0] = '\x80';
        expected[1] = '\x25'; // 9600 = 0x2580
        expected[4] = 9;
        expected[8] = 2;
        QCOMPARE(AppConfigRecord().toBytes().toHex(' '), expected.toHex(' '));
    }

    void paddingIsWrittenAsZeros()
    {
        QByteArray dirty = handMadeRecord();
        dirty[13] = '\x55';
        dirty[14] = '\xaa';
        dirty[15] = '\xff';
        const QByteArray rewritten = AppConfigRecord::fromBytes(dirty).toBytes();
        QCOMPARE(rewritten.mid(13, 3), QByteArray(3, '\0'));
        QCOMPARE(rewritten, handMadeRecord());
    }

    void flagBytesOtherThanOneStillMeanOn()
    {
        QByteArray b = handMadeRecord();
        b[12] = '\x07';
        b[21] = '\xff';
        const AppConfigRecord r = AppConfigRecord::fromBytes(b);
        QVERIFY(r.displayEnabled);
        QVERIFY(r.cardEnabled);
        QCOMPARE(r.toBytes().at(21), '\x01');
    }

    void fiftyCodeUnitNameFillsTheField()
    {
        AppConfigRecord r;
        r.itemName = QString(50, QChar(0x724C));
        const QByteArray bytes = r.toBytes();
        QCOMPARE(bytes.size(), 124);
        for (int offset = 22; offset < 122; offset += 2)
            QCOMPARE(bytes.mid(offset, 2), QByteArray("\x4c\x72", 2));
        QCOMPARE(bytes.mid(122, 2), QByteArray(2, '\0'));
        QCOMPARE(AppConfigRecord::fromBytes(bytes).itemName, r.itemName);
    }

    void longerNamesKeepTheFirstFiftyCodeUnits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        const QString fifty = QString(50, QLatin1Char('A'));
        QTest::newRow("51 units") << fifty + "B" << fifty;
        QTest::newRow("200 units") << QString(200, QLatin1Char('x')) << QString(50, QLatin1Char('x'));
        // A character outside the basic plane takes two units; half of it is not kept.
        const QString pair = QString::fromUcs4(U"\U0001F4B3");
        QTest::newRow("pair across the limit") << QString(49, QLatin1Char('A')) + pair << QString(49, QLatin1Char('A'));
        QTest::newRow("pair inside the limit")
            << QString(48, QLatin1Char('A')) + pair + "B" << QString(48, QLatin1Char('A')) + pair;
        QTest::newRow("embedded zero") << QString("ab") + QChar(0) + "cd" << QString("ab");
        QTest::newRow("zero after half a pair") << QString("ab") + pair.at(0) + QChar(0) + "cd" << QString("ab");
    }
    void longerNamesKeepTheFirstFiftyCodeUnits()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        AppConfigRecord r;
        r.itemName = name;
        const QByteArray bytes = r.toBytes();
        QCOMPARE(bytes.size(), 124);
        QCOMPARE(AppConfigRecord::fromBytes(bytes).itemName, stored);
        // Nothing but the name and zeros in the field.
        QCOMPARE(bytes.mid(22 + 2 * stored.size()), QByteArray(102 - 2 * stored.size(), '\0'));
    }

    void nameWithoutTerminatorStopsAtTheFieldEnd()
    {
        // Every unit of the field non-zero: the reader must stop at 50 units, not run on.
        QByteArray b = handMadeRecord();
        for (int offset = 22; offset < 124; offset += 2) {
            b[offset] = 'Z';
            b[offset + 1] = '\0';
        }
        b[122] = 'Q';
        QCOMPARE(AppConfigRecord::fromBytes(b).itemName, QString(50, QLatin1Char('Z')));
        // And a longer buffer does not make it read the bytes after the record either.
        QCOMPARE(AppConfigRecord::fromBytes(b + QByteArray("Y\0Y\0", 4)).itemName, QString(50, QLatin1Char('Z')));
    }

    void firstStartCreatesAnEmptyFileAndUsesDefaults()
    {
        ScopedWorkingDir dir;
        AppConfigRecord r;
        r.baudRate = 2400; // load must replace whatever was in memory
        QVERIFY(r.load());
        verifyDefaults(r);
        QVERIFY(QFileInfo::exists(dir.filePath("app.config")));
        QCOMPARE(QFileInfo(dir.filePath("app.config")).size(), 0);
    }

    void filesOfEveryLengthLoad()
    {
        ScopedWorkingDir dir;
        auto* rng = QRandomGenerator::global();
        for (int length = 0; length <= 300; ++length) {
            QByteArray bytes(length, Qt::Uninitialized);
            for (char& c : bytes)
                c = char(rng->bounded(256));
            QVERIFY(writeFileBytes("app.config", bytes));
            AppConfigRecord r;
            QVERIFY(r.load());
            if (length < 124) {
                verifyDefaults(r);
            } else {
                QVERIFY(sameFields(r, AppConfigRecord::fromBytes(bytes.left(124))));
                QVERIFY(r.itemName.size() <= 50);
            }
            // Whatever was read is written back unchanged when another setting is saved.
            const QByteArray written = r.toBytes();
            QCOMPARE(written.size(), 124);
            QVERIFY(sameFields(AppConfigRecord::fromBytes(written), r));
            // Loading never changes the file.
            QCOMPARE(readFileBytes("app.config"), bytes);
        }
    }

    void saveWritesExactly124BytesAndLoadsBack()
    {
        ScopedWorkingDir dir;
        // A longer file from elsewhere: after a save only the record is left.
        QVERIFY(writeFileBytes("app.config", QByteArray(300, '\x11')));
        AppConfigRecord r = AppConfigRecord::fromBytes(handMadeRecord());
        QVERIFY(r.save());
        QCOMPARE(readFileBytes("app.config"), handMadeRecord());

        AppConfigRecord loaded;
        QVERIFY(loaded.load());
        QVERIFY(sameFields(loaded, r));

        loaded.centsMode = AppConfigRecord::RoundCents;
        loaded.itemName.clear();
        QVERIFY(loaded.save());
        QByteArray expected = handMadeRecord();
        expected[16] = 1;
        expected.replace(22, 4, QByteArray(4, '\0'));
        QCOMPARE(readFileBytes("app.config"), expected);
        // No temporary files left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"app.config"});
    }

    void saveReportsFilesItCannotWrite()
    {
        ScopedWorkingDir dir;
        AppConfigRecord r;
        // A folder in the way, and a path through a plain file: unwritable even for root.
        QVERIFY(QDir(dir.path()).mkdir("app.config"));
        QVERIFY(!r.save());
        QVERIFY(writeFileBytes("plain", "x"));
        QVERIFY(!r.save("plain/app.config"));

        AppConfigRecord loaded;
        loaded.baudRate = 4800;
        QVERIFY(loaded.load());
        verifyDefaults(loaded);
        QVERIFY(loaded.load("plain/app.config"));
        verifyDefaults(loaded);
    }

#ifdef Q_OS_UNIX
    // Neither blocks the start nor is read from.
    void specialFilesLoadAsDefaults_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("FIFO") << QString();
        QTest::newRow("link to a device") << QStringLiteral("/dev/zero");
    }
    void specialFilesLoadAsDefaults()
    {
        QFETCH(QString, target);
        ScopedWorkingDir dir;
        if (target.isEmpty())
            QCOMPARE(QProcess::execute("mkfifo", {dir.filePath("app.config")}), 0);
        else
            QVERIFY(QFile::link(target, dir.filePath("app.config")));
        AppConfigRecord loaded;
        loaded.baudRate = 4800;
        QVERIFY(loaded.load());
        verifyDefaults(loaded);
    }
#endif

    void instanceIsOneRecord()
    {
        QCOMPARE(&AppConfigRecord::instance(), &AppConfigRecord::instance());
        AppConfigRecord::instance().displayEnabled = true;
        QVERIFY(AppConfigRecord::instance().displayEnabled);
    }
};

QTEST_GUILESS_MAIN(TestAppConfigRecord)
#include "tst_appconfigrecord.moc"
