#include "core/SerialAmount.h"
#include "core/SerialChoices.h"

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
