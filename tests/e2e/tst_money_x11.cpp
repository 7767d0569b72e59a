// The real program's money on real wires, driven from outside as a cashier would: a reply lost
// after the gateway charged (a proxy hangs up on it), the program killed in the middle of a charge
// and started again, till amounts that arrive in pieces and while a box is open. Whatever happens,
// each sale is charged once and every charge whose outcome was lost is looked for before the next.

#include "RealCashier.h"
#include "TestSupport.h"
#include "WindowTitles.h"
#include "X11Desktop.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

using namespace windowtitle;
using namespace x11;

const int kWaitMs = x11::waitMs(10000);
constexpr int kSettleMs = 700;
const QString kNoReply = QStringLiteral("[温馨提示] 客户尚未输入密码或网络异常！请查看本机网络或者重新收款！");

} // namespace

class TestMoneyX11 : public QObject
{
    Q_OBJECT

private:
    CashierOnX11 m_run;
    DemoGateway& m_gateway = m_run.gateway;
    PseudoTerminal& m_till = m_run.till;
    RealCashier& m_cashier = m_run.cashier;
    bool m_ready = false;
    int m_codes = 0;

    int requestCount(const QString& action)
    {
        return QJsonDocument::fromJson(m_gateway.adminGet("requests?action=" + action)).array().size();
    }
    int charges() { return requestCount("Pay.Ace.scanpay"); }
    // The orders of `fen` at the gateway.
    int ordersOf(qint64 fen)
    {
        int count = 0;
        for (const QJsonValue& row : QJsonDocument::fromJson(m_gateway.adminGet("rows?table=orders")).array())
            count += row.toObject().value("money").toVariant().toLongLong() == fen;
        return count;
    }

    QString nextCode() { return QStringLiteral("1345678901234%1").arg(++m_codes, 5, 10, QLatin1Char('0')); }
    bool scan(const QString& code) { return xdotool({"type", "--delay", "1", code}) && xdotool({"key", "Return"}); }
    bool scan() { return activate(kScanPay) && scan(nextCode()); }

    // A till frame written in `pieces`, each arriving as a read of its own (as a 9600-baud line
    // delivers it).
    bool tillWrites(const QList<QByteArray>& pieces)
    {
        for (const QByteArray& piece : pieces) {
            if (!m_till.write(piece))
                return false;
            QTest::qWait(150);
        }
        return true;
    }
    bool callUpScanPay()
    {
        QTest::qWait(kSettleMs);
        return xdotool({"key", "alt+z"}) && QTest::qWaitFor([] { return isVisible(kScanPay); }, kWaitMs);
    }

    // The next box the program shows, once it is on screen.
    QString nextBox(int shownBefore)
    {
        if (!QTest::qWaitFor([&] { return m_cashier.messages().size() > shownBefore; }, kWaitMs))
            return QString();
        QTest::qWait(kSettleMs);
        return m_cashier.messages().value(shownBefore);
    }
    bool answer(const QString& title, const QString& key)
    {
        return QTest::qWaitFor([&] { return isVisible(title); }, kWaitMs) && pressIn(title, key) &&
               QTest::qWaitFor([&] { return !isVisible(title); }, kWaitMs);
    }
    bool closeTradeResult()
    {
        return QTest::qWaitFor([] { return isVisible(kTradeResult); }, kWaitMs) && pressIn(kTradeResult, "Escape") &&
               QTest::qWaitFor([] { return !isVisible(kTradeResult); }, kWaitMs);
    }
    bool logIn()
    {
        return QTest::qWaitFor([] { return isVisible(kLogin); }, kWaitMs) && pressIn(kLogin, "Return") &&
               QTest::qWaitFor([] { return isVisible(kSelectShop); }, kWaitMs) &&
               QTest::qWaitFor([this] { return requestCount("Account.Shop.listShop") > 0; }, kWaitMs) &&
               pressIn(kSelectShop, "KP_Enter") && QTest::qWaitFor([] { return isVisible(kMain); }, kWaitMs);
    }

    // The question about a payment found at the gateway: no key answers it, Alt+Y (是) does.
    void confirmFoundPayment(int shownBefore, const QString& mustContain)
    {
        const QString question = nextBox(shownBefore);
        QVERIFY2(question.startsWith("[温馨提示] ") && question.contains(mustContain), qPrintable(question));
        const int chargesBefore = charges();
        QVERIFY(pressIn(kTip, "Return"));
        QVERIFY(pressIn(kTip, "Escape"));
        QVERIFY(pressIn(kTip, "space"));
        QTest::qWait(kSettleMs);
        QVERIFY(isVisible(kTip));
        QCOMPARE(charges(), chargesBefore);
        QVERIFY(answer(kTip, "alt+y"));
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        const QString problem = m_run.start(QByteArray(), true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(logIn());
        m_ready = true;
    }

    void init()
    {
        if (!m_ready)
            QSKIP("the flow before this one did not finish");
        m_ready = false;
    }
    void cleanup() { saveScreenIfFailed("tst_money_x11"); }
    void cleanupTestCase() { m_run.stop(); }

    // The gateway charged, the proxy hung up before a byte of the reply: one scan-pay at the
    // gateway (never written again), and the next scan finds that payment before charging. A till
    // amount arriving meanwhile waits, and is collected next.
    void aLostReplyIsLookedForNotChargedAgain()
    {
        QVERIFY(tillWrites({"\x1bQA2", "3.4", "5\r"}));
        QVERIFY(callUpScanPay());
        m_run.proxy->dropNextReply("Pay.Ace.scanpay");
        int shown = m_cashier.messages().size();
        QVERIFY(scan());
        QCOMPARE(nextBox(shown), kNoReply);
        QVERIFY(answer(kTip, "Return"));
        QCOMPARE(m_run.proxy->repliesDropped(), 1);
        QCOMPARE(charges(), 1);
        QCOMPARE(ordersOf(2345), 1);

        shown = m_cashier.messages().size();
        QVERIFY(scan());
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTip), kWaitMs);
        QVERIFY(tillWrites({"\x1bQA3.2", "1\r"}));
        confirmFoundPayment(shown, QStringLiteral("￥23.45"));
        QVERIFY(closeTradeResult());
        QCOMPARE(charges(), 1);
        QCOMPARE(ordersOf(2345), 1);
        QCOMPARE(m_cashier.state(), QProcess::Running);

        QVERIFY(callUpScanPay());
        shown = m_cashier.messages().size();
        QVERIFY(scan());
        QVERIFY(closeTradeResult());
        QCOMPARE(m_cashier.messages().mid(shown), QStringList());
        QCOMPARE(ordersOf(321), 1);
        m_ready = true;
    }

    // A refusal on screen when the till sends the next amount: the program stays up, the box is
    // answered, and the new amount is the one collected.
    void aTillAmountDuringARefusalIsCollectedNext()
    {
        QVERIFY(tillWrites({"\x1bQA5.55\r"}));
        QVERIFY(callUpScanPay());
        const int shown = m_cashier.messages().size();
        QVERIFY(activate(kScanPay) && scan(QStringLiteral("134567890123450000"))); // the customer's balance is short
        QVERIFY(nextBox(shown).startsWith("[温馨提示] 用户余额不足"));
        QVERIFY(tillWrites({"\x1bQA4", ".44\r"}));
        QCOMPARE(m_cashier.state(), QProcess::Running);
        QVERIFY(answer(kTip, "Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kScanPay), kWaitMs);
        QVERIFY(callUpScanPay());
        QVERIFY(scan());
        QVERIFY(closeTradeResult());
        QCOMPARE(ordersOf(444), 1);
        QCOMPARE(ordersOf(555), 0);
        m_ready = true;
    }

    // Killed (as by a power cut) while a charge is out, which the gateway then makes: started again,
    // the next sale at the shop, of another amount, asks about that payment first.
    void killedMidChargeIsLookedForAfterRestart()
    {
        QVERIFY(tillWrites({"\x1bQA4.5", "6\r"}));
        QVERIFY(callUpScanPay());
        QVERIFY(!m_gateway.adminPost("delay?action=Pay.Ace.scanpay&ms=2000").isNull());
        const int before = charges();
        QVERIFY(scan());
        QTRY_COMPARE_WITH_TIMEOUT(charges(), before + 1, kWaitMs);
        m_cashier.kill();
        QTRY_COMPARE_WITH_TIMEOUT(ordersOf(456), 1, kWaitMs);
        QVERIFY(readFileBytes(m_cashier.filePath("journal.json")).contains("\"456\""));

        QVERIFY(m_cashier.restart());
        QVERIFY(logIn());
        QVERIFY(tillWrites({"\x1bQA7.89\r"}));
        QVERIFY(callUpScanPay());
        const int shown = m_cashier.messages().size();
        QVERIFY(scan());
        confirmFoundPayment(shown, QStringLiteral("￥4.56"));
        QVERIFY(closeTradeResult());
        QCOMPARE(ordersOf(456), 1);
        QCOMPARE(ordersOf(789), 1);
        QVERIFY(!readFileBytes(m_cashier.filePath("journal.json")).contains("\"kind\""));
        m_ready = true;
    }
};

QTEST_MAIN(TestMoneyX11)
#include "tst_money_x11.moc"
