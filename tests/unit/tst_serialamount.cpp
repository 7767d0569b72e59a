#include "core/SerialAmount.h"
#include "core/SerialChoices.h"
#include "core/SerialFrames.h"

#include <QtTest>

class TestSerialAmount : public QObject
{
    Q_OBJECT

private slots:
    void lastRunOfDigitsAndPoints_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QString>("amount");
        QTest::newRow("display sequence") << QByteArray("\x1bQA12.50\r") << "12.50";
        QTest::newRow("single byte never examined") << QByteArray("1") << "";
        QTest::newRow("first byte never examined") << QByteArray("12.50") << "2.50";
        QTest::newRow("trailing text skipped") << QByteArray("X12.50 OK") << "12.50";
        QTest::newRow("earlier digits ignored") << QByteArray("A10B20") << "20";
        QTest::newRow("no digits") << QByteArray("\x1bQA\r") << "";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("second half of a split amount") << QByteArray("2.50\r") << ".50";
        QTest::newRow("points only") << QByteArray("x...\r") << "";
        QTest::newRow("leading point kept") << QByteArray("x.5\r") << ".5";
        QTest::newRow("two points kept as sent") << QByteArray("x1.2.3\r") << "1.2.3";
        QTest::newRow("trailing point dropped") << QByteArray("x12.\r") << "12";
        QTest::newRow("nul bytes around") << QByteArray("\x00\x00"
                                                        "88.80\x00",
                                                        8)
                                          << "88.80";
        QTest::newRow("high bytes around") << QByteArray("\xa3\xa4"
                                                         "7.00\xff")
                                           << "7.00";
        QTest::newRow("price board line") << QByteArray("\x1b@\x1bs2\x1bQA1234.56\r\n") << "1234.56";
    }
    void lastRunOfDigitsAndPoints()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(QString, amount);
        QCOMPARE(extractSerialAmount(chunk), amount);
    }

    // The reads as the line delivered them, and the amounts announced: the same whichever way a
    // frame was cut into reads.
    void framesAcrossReads_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QStringList>("amounts");
        const QByteArray frame = "\x1bQA12.50\r";
        QByteArrayList byByte;
        for (const char c : frame)
            byByte << QByteArray(1, c);
        QTest::newRow("in two reads") << QByteArrayList{"\x1bQA1", "2.50\r"} << QStringList{"12.50"};
        QTest::newRow("in three reads") << QByteArrayList{"\x1bQ", "A12.", "50\r"} << QStringList{"12.50"};
        QTest::newRow("byte by byte") << byByte << QStringList{"12.50"};
        QTest::newRow("not ended yet") << QByteArrayList{"\x1bQA12.50"} << QStringList();
        QTest::newRow("several in one read, in order")
            << QByteArrayList{"\x1bQA1.00\r\x1bQA2.00\r\x1bQA3.00\r"} << QStringList{"1.00", "2.00", "3.00"};
        QTest::newRow("next one begun in the read ending one")
            << QByteArrayList{"\x1bQA1.00\r\x1bQA2", ".00\r"} << QStringList{"1.00", "2.00"};
        QTest::newRow("CR LF, the LF alone") << QByteArrayList{"\x1bQA12.50\r", "\n"} << QStringList{"12.50"};
        QTest::newRow("LF ends a frame") << QByteArrayList{"\x1bQA4.", "00\n"} << QStringList{"4.00"};
        QTest::newRow("display commands before the amount")
            << QByteArrayList{"\x1b@\x1bs2\x1bQA1234.56\r\n"} << QStringList{"1234.56"};
        QTest::newRow("lamp command, then no amount") << QByteArrayList{"\x1bs2\x1bQA\r"} << QStringList();
        QTest::newRow("noise before the ESC") << QByteArrayList{"77", "\x1bQA\r"} << QStringList();
        QTest::newRow("cut short and sent anew") << QByteArrayList{"\x1bQA1", "\x1bQA\r"} << QStringList();
        QTest::newRow("no digits") << QByteArrayList{"\x1bQA\r"} << QStringList();
        QTest::newRow("another start byte") << QByteArrayList{"\0029", "9.00\r"} << QStringList{"99.00"};
        // The longest frame kept, and one byte more: dropped with what follows up to the next ESC
        // or line end, which would otherwise read as an amount of its own.
        const QByteArray longest = "\x1b" + QByteArray(SerialFrames::kMaxFrame - 6, ' ');
        QTest::newRow("longest frame kept") << QByteArrayList{longest, "12.50\r"} << QStringList{"12.50"};
        QTest::newRow("one byte longer, dropped to the line end")
            << QByteArrayList{longest + ' ', "12.50", "9.00\r"} << QStringList();
        QTest::newRow("one byte longer, dropped to the ESC")
            << QByteArrayList{longest + ' ', "12.509\x1bQA3.00\r"} << QStringList{"3.00"};
        QTest::newRow("noise of any length")
            << QByteArrayList{QByteArray(10000, '5'), "\r\0028.80\r"} << QStringList{"8.80"};
    }
    void framesAcrossReads()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(QStringList, amounts);
        SerialFrames frames;
        QStringList announced;
        for (const QByteArray& read : reads) {
            announced << frames.feed(read);
            QVERIFY(frames.buffered() <= SerialFrames::kMaxFrame);
        }
        QCOMPARE(announced, amounts);
    }

    // A port opened anew does not finish a frame begun on the old one.
    void resetForgetsAFrameBegun()
    {
        SerialFrames frames;
        QCOMPARE(frames.feed("\x1bQA12.50"), QStringList());
        frames.reset();
        QCOMPARE(frames.feed("\r"), QStringList());
        QCOMPARE(frames.feed("\x1bQA3.00\r"), QStringList{"3.00"});
    }

    // The serial-port page shows what app.config holds and saves what it shows.
    void portAndBaudChoicesRoundTrip()
    {
        using namespace serialchoices;
        for (int stored : {1, 2, 9}) {
            const QStringList names = portNames(stored);
            QCOMPARE(names.size(), 9);
            QCOMPARE(comNumber(names.at(portIndex(stored))), stored);
        }
        // A port beyond COM9 (set by hand or by an older setup) is offered as it is, not lost.
        QCOMPARE(portNames(12).last(), QString("COM12"));
        QCOMPARE(comNumber(portNames(12).at(portIndex(12))), 12);
        QCOMPARE(portIndex(0), 0);
        for (const char* bad : {"", "COM", "COM0", "COMx", "ttyS0", "com3"})
            QCOMPARE(comNumber(QString::fromLatin1(bad)), 0);

        QCOMPARE(baudRates().at(baudRateIndex(2400)), QString("2400"));
        QCOMPARE(baudRates().at(baudRateIndex(14400)), QString("14400"));
        QCOMPARE(baudRates().at(baudRateIndex(9600)), QString("9600"));
        for (int other : {0, 115200, 19200, -1})
            QCOMPARE(baudRates().at(baudRateIndex(other)), QString("19200"));
    }
};

QTEST_GUILESS_MAIN(TestSerialAmount)
#include "tst_serialamount.moc"
