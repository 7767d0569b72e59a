#include "core/Money.h"

#include <QtTest>

using money::ParseStatus;

class TestMoney : public QObject
{
    Q_OBJECT

private slots:
    void parsesWhatTheCashierTypes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("mills");
        QTest::newRow("two decimals") << "12.34" << qint64(12340);
        QTest::newRow("trailing point") << "12." << qint64(12000);
        QTest::newRow("leading point") << ".5" << qint64(500);
        QTest::newRow("zeros") << "00" << qint64(0);
        QTest::newRow("zero with decimals") << "0.000" << qint64(0);
        QTest::newRow("half a fen") << "0.005" << qint64(5);
        QTest::newRow("digits past mills dropped") << "1.23456789" << qint64(1234);
        QTest::newRow("leading zeros") << "000000000000000000000012.30" << qint64(12300);
        QTest::newRow("carriage return from a till") << "12.50\r" << qint64(12500);
        QTest::newRow("largest") << "999999999999.999" << qint64(999'999'999'999'999);
        QTest::newRow("point one") << "0.1" << qint64(100);
        QTest::newRow("float trap 0.29") << "0.29" << qint64(290);
        QTest::newRow("float trap 1.005") << "1.005" << qint64(1005);
        QTest::newRow("float trap 16777217") << "16777217" << qint64(16'777'217'000);
    }
    void parsesWhatTheCashierTypes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, mills);
        const money::Mills parsed = money::parseYuan(text);
        QVERIFY(parsed.ok());
        QCOMPARE(parsed.value, mills);
    }

    void refusesWhatIsNotAnAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        const int empty = int(ParseStatus::Empty), bad = int(ParseStatus::Malformed), big = int(ParseStatus::TooLarge);
        QTest::newRow("empty") << "" << empty;
        QTest::newRow("only carriage return") << "\r" << empty;
        QTest::newRow("lone point") << "." << bad;
        QTest::newRow("two points") << "1.2.3" << bad;
        QTest::newRow("exponent") << "1e5" << bad;
        QTest::newRow("sign") << "-5" << bad;
        QTest::newRow("plus") << "+5" << bad;
        QTest::newRow("space") << "1 000" << bad;
        QTest::newRow("comma") << "1,5" << bad;
        QTest::newRow("full-width digit") << QString::fromUtf8("１２") << bad;
        QTest::newRow("inf") << "inf" << bad;
        QTest::newRow("return inside") << "1\r2" << bad;
        QTest::newRow("one past largest") << "1000000000000" << big;
        QTest::newRow("absurdly long") << QString(400, QLatin1Char('9')) + ".99" << big;
        QTest::newRow("long with overflow digits") << "92233720368547758080" << big;
    }
    void refusesWhatIsNotAnAmount()
    {
        QFETCH(QString, text);
        QFETCH(int, status);
        const money::Mills parsed = money::parseYuan(text);
        QCOMPARE(int(parsed.status), status);
        QVERIFY(!parsed.ok());
    }

    void fenRoundsHalfAwayFromZero()
    {
        QCOMPARE(money::millsToFen(12344), qint64(1234));
        QCOMPARE(money::millsToFen(12345), qint64(1235));
        QCOMPARE(money::millsToFen(12349), qint64(1235));
        QCOMPARE(money::millsToFen(4), qint64(0));
        QCOMPARE(money::millsToFen(5), qint64(1));
        QCOMPARE(money::millsToFen(-12345), qint64(-1235));
        QCOMPARE(money::millsToFen(money::kMaxMills), qint64(100'000'000'000'000));
    }

    void formatsTwoDecimals_data()
    {
        QTest::addColumn<qint64>("fen");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0.00";
        QTest::newRow("one fen") << qint64(1) << "0.01";
        QTest::newRow("ten fen") << qint64(10) << "0.10";
        QTest::newRow("plain") << qint64(1234) << "12.34";
        QTest::newRow("negative") << qint64(-50) << "-0.50";
        QTest::newRow("large") << qint64(99'999'999'999'999'999) << "999999999999999.99";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-92233720368547758.08";
    }
    void formatsTwoDecimals()
    {
        QFETCH(qint64, fen);
        QFETCH(QString, text);
        QCOMPARE(money::formatYuan(fen), text);
    }

    void sweepRoundTripsThroughText()
    {
        // Every fen amount up to 1000 yuan, and a stride above: text -> mills -> fen -> text.
        for (qint64 fen = 0; fen <= 100'000; ++fen) {
            const QString text = money::formatYuan(fen);
            const money::Mills parsed = money::parseYuan(text);
            if (!parsed.ok() || money::millsToFen(parsed.value) != fen || parsed.value != fen * 10)
                QFAIL(qPrintable(text));
        }
        for (qint64 fen = 100'000; fen < 99'999'999'999'999; fen = fen * 3 + 7) {
            const money::Mills parsed = money::parseYuan(money::formatYuan(fen));
            QVERIFY(parsed.ok());
            QCOMPARE(money::millsToFen(parsed.value), fen);
        }
    }

    void parsesFenFromTheWire()
    {
        qint64 fen = -1;
        QVERIFY(money::parseFen(u"1234", &fen));
        QCOMPARE(fen, qint64(1234));
        QVERIFY(money::parseFen(u"-5", &fen));
        QCOMPARE(fen, qint64(-5));
        QVERIFY(money::parseFen(u"007", &fen));
        QCOMPARE(fen, qint64(7));
        fen = 42;
        for (const char* bad : {"", "-", "12.5", "1e3", " 12", "12 ", "0x10", "9999999999999999999", "+1"})
            QVERIFY2(!money::parseFen(QString::fromLatin1(bad), &fen), bad);
        QCOMPARE(fen, qint64(42));
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
