#include "core/SerialAmount.h"

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
};

QTEST_GUILESS_MAIN(TestSerialAmount)
#include "tst_serialamount.moc"
