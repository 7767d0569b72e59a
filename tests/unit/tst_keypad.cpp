// The collection keypad's logic: the key filter, the addition, and the checks before collecting.

#include "core/KeypadModel.h"
#include "core/CentsMode.h"
#include "core/Money.h"

#include <QtTest>

namespace {
// Types one key the way a cashier does: pressed, then the 50 ms pass before the next.
void tap(KeypadModel& keypad, QChar key)
{
    if (key == QLatin1Char('.'))
        keypad.pressPoint();
    else if (key == QLatin1Char('+'))
        keypad.plus();
    else if (key == QLatin1Char('='))
        keypad.equals();
    else if (key == QLatin1Char('<'))
        keypad.pressBackspace();
    else if (key == QLatin1Char('C'))
        keypad.clear();
    else
        keypad.pressDigit(key.digitValue());
    if (keypad.filterRunning())
        keypad.timerExpired();
}

void type(KeypadModel& keypad, const QString& keys)
{
    for (QChar key : keys)
        tap(keypad, key);
}
} // namespace

class TestKeypad : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::newRow("digits and point") << "12.34"
                                          << "12.34";
        QTest::newRow("point on empty display refused") << "."
                                                        << "";
        QTest::newRow("second point not fed") << "1.."
                                              << "1.";
        QTest::newRow("second point later") << "1.5.2"
                                            << "1.52";
        QTest::newRow("backspace") << "123<"
                                   << "12";
        QTest::newRow("backspace past empty") << "1<<<"
                                              << "";
        QTest::newRow("clear") << "99.9C"
                               << "";
        QTest::newRow("many decimals allowed") << "0.005"
                                               << "0.005";
        QTest::newRow("leading zeros allowed") << "00"
                                               << "00";
    }
    void typing()
    {
        QFETCH(QString, keys);
        QFETCH(QString, display);
        KeypadModel keypad;
        type(keypad, keys);
        QCOMPARE(keypad.displayText(), display);
    }

    void addition_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("pending");
        QTest::newRow("exact sum") << "12.34+0.01="
                                   << "12.35" << false;
        QTest::newRow("second number replaces the display") << "12+3"
                                                            << "3" << true;
        QTest::newRow("first addend stays shown after plus") << "12+"
                                                             << "12" << true;
        QTest::newRow("plus again adds and goes on") << "10+5+2="
                                                     << "17.00" << false;
        QTest::newRow("float trap") << "0.1+0.2="
                                    << "0.30" << false;
        QTest::newRow("mills round to the fen") << "0.005+0.001="
                                                << "0.01" << false;
        QTest::newRow("large exact") << "99999999.99+0.01="
                                     << "100000000.00" << false;
        QTest::newRow("equals without plus") << "12="
                                             << "12" << false;
        QTest::newRow("equals before a second number") << "12+="
                                                       << "12" << true;
        QTest::newRow("plus on zero does nothing") << "0+5"
                                                   << "05" << false;
        QTest::newRow("plus on empty does nothing") << "+5"
                                                    << "5" << false;
        QTest::newRow("second addend zero") << "12+0="
                                            << "0" << true;
        QTest::newRow("backspace drops the addition") << "12+3<"
                                                      << "" << false;
        QTest::newRow("point starts the second number") << "12+.5="
                                                        << "12.50" << false;
        QTest::newRow("new amount after equals") << "1+1=7"
                                                 << "7" << false;
        QTest::newRow("clear drops everything") << "5+5C3="
                                                << "3" << false;
    }
    void addition()
    {
        QFETCH(QString, keys);
        QFETCH(QString, display);
        QFETCH(bool, pending);
        KeypadModel keypad;
        type(keypad, keys);
        QCOMPARE(keypad.displayText(), display);
        QCOMPARE(keypad.additionPending(), pending);
    }

    void burstsAreDropped()
    {
        KeypadModel keypad;
        // Two keypad presses inside one filter window: neither is typed.
        keypad.pressDigit(1);
        keypad.pressDigit(2);
        QVERIFY(!keypad.timerExpired());
        QCOMPARE(keypad.displayText(), QString());

        // A keypad press spoiled by a key arriving on the page within the window.
        keypad.pressDigit(7);
        keypad.pageKey("8", false);
        QVERIFY(!keypad.timerExpired());
        QCOMPARE(keypad.displayText(), QString());

        // A scanner burst on the page: nothing typed, and the Return at its end collects nothing.
        for (const char* c : {"1", "3", "4", "5"})
            keypad.pageKey(c, false);
        QCOMPARE(keypad.checkCollect(), KeypadModel::CollectCheck::Ignore);
        keypad.pageKey("\r", true);
        QVERIFY(!keypad.timerExpired());
        QCOMPARE(keypad.displayText(), QString());

        // A lone key typed on the page is not typed either.
        keypad.pageKey("9", false);
        keypad.timerExpired();
        QCOMPARE(keypad.displayText(), QString());

        // After the window has passed, keys are typed again.
        type(keypad, "5");
        QCOMPARE(keypad.displayText(), QString("5"));
    }

    void collectChecks_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("check");
        using C = KeypadModel::CollectCheck;
        QTest::newRow("empty") << "" << int(C::Empty);
        QTest::newRow("0") << "0" << int(C::Zero);
        QTest::newRow("0.0") << "0.0" << int(C::Zero);
        QTest::newRow("0.00") << "0.00" << int(C::Zero);
        QTest::newRow("0.000 passes") << "0.000" << int(C::Ok);
        QTest::newRow("00 passes") << "00" << int(C::Ok);
        QTest::newRow("amount") << "12.50" << int(C::Ok);
        QTest::newRow("from a till with return") << "12.50\r" << int(C::Ok);
        QTest::newRow("two points from a till") << "1.2.3" << int(C::Invalid);
        QTest::newRow("absurdly long") << QString(40, QLatin1Char('9')) << int(C::TooLarge);
    }
    void collectChecks()
    {
        QFETCH(QString, display);
        QFETCH(int, check);
        KeypadModel keypad;
        keypad.setAmountText(display);
        QCOMPARE(int(keypad.checkCollect()), check);
    }

    void centsModes_data()
    {
        // Worked out by hand from the rules: mode 0 keeps the amount; mode 1 takes a remainder of
        // 50 mills or more below the jiao up to the next jiao and keeps a smaller one; mode 2 drops
        // everything below the jiao; the result is then rounded to the nearest fen (a half fen up).
        // Shown: yuan without trailing zeros, then 元.
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("fen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("keep") << "12.34" << 0 << qint64(1234) << "12.34元";
        QTest::newRow("whole yuan") << "5.00" << 0 << qint64(500) << "5元";
        QTest::newRow("zeros of the yuan stay") << "100" << 0 << qint64(10000) << "100元";
        QTest::newRow("one trailing zero") << "10.10" << 0 << qint64(1010) << "10.1元";
        QTest::newRow("trailing point") << "12." << 0 << qint64(1200) << "12元";
        QTest::newRow("zero") << "0" << 0 << qint64(0) << "0元";
        QTest::newRow("mills round to the fen") << "12.345" << 0 << qint64(1235) << "12.35元";
        QTest::newRow("digits past the mills") << "12.3456" << 0 << qint64(1235) << "12.35元";
        QTest::newRow("half a fen") << "0.005" << 0 << qint64(1) << "0.01元";
        QTest::newRow("below half a fen") << "0.004" << 0 << qint64(0) << "0元";
        QTest::newRow("mills carry into the yuan") << "12.999" << 0 << qint64(1300) << "13元";
        QTest::newRow("large amount shown in full") << "1234567.89" << 0 << qint64(123456789) << "1234567.89元";
        QTest::newRow("largest amount") << "999999999999.999" << 0 << qint64(100000000000000) << "1000000000000元";
        QTest::newRow("unknown mode keeps") << "12.34" << 7 << qint64(1234) << "12.34元";

        QTest::newRow("round up at the half") << "12.36" << 1 << qint64(1240) << "12.4元";
        QTest::newRow("exact half rounds up") << "12.35" << 1 << qint64(1240) << "12.4元";
        QTest::newRow("below the half kept") << "12.34" << 1 << qint64(1234) << "12.34元";
        QTest::newRow("one mill below the half kept, then to the fen") << "12.349" << 1 << qint64(1235) << "12.35元";
        QTest::newRow("whole jiao kept") << "12.30" << 1 << qint64(1230) << "12.3元";
        QTest::newRow("whole yuan kept") << "12" << 1 << qint64(1200) << "12元";
        QTest::newRow("round up to whole yuan") << "9.95" << 1 << qint64(1000) << "10元";
        QTest::newRow("round up past ninety-nine yuan") << "99.95" << 1 << qint64(10000) << "100元";
        QTest::newRow("round up from the last jiao") << "12.99" << 1 << qint64(1300) << "13元";
        QTest::newRow("five fen become a jiao") << "0.05" << 1 << qint64(10) << "0.1元";
        QTest::newRow("just under five fen kept") << "0.049" << 1 << qint64(5) << "0.05元";
        QTest::newRow("largest amount rounded up")
            << "999999999999.999" << 1 << qint64(100000000000000) << "1000000000000元";

        QTest::newRow("drop the fen") << "12.38" << 2 << qint64(1230) << "12.3元";
        QTest::newRow("drop the fen and mills") << "12.999" << 2 << qint64(1290) << "12.9元";
        QTest::newRow("nothing to drop") << "12.30" << 2 << qint64(1230) << "12.3元";
        QTest::newRow("whole yuan untouched") << "7" << 2 << qint64(700) << "7元";
        QTest::newRow("drop leaves nothing") << "0.05" << 2 << qint64(0) << "0元";
        QTest::newRow("drop just under a jiao") << "0.099" << 2 << qint64(0) << "0元";
        QTest::newRow("largest amount dropped")
            << "999999999999.999" << 2 << qint64(99999999999990) << "999999999999.9元";
    }
    void centsModes()
    {
        QFETCH(QString, amount);
        QFETCH(int, mode);
        QFETCH(qint64, fen);
        QFETCH(QString, shown);
        const money::Mills mills = money::parseYuan(amount);
        QVERIFY(mills.ok());
        const money::Charge charge = money::chargeFor(mills.value, mode);
        QCOMPARE(charge.fen, fen);
        QCOMPARE(charge.displayText, shown);
    }
};

QTEST_GUILESS_MAIN(TestKeypad)
#include "tst_keypad.moc"
