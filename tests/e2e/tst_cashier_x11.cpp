// The real program on a real X server, driven the way a cashier and the shop's devices drive it:
// keys from xdotool (through XTEST, so the server treats them as typed), till amounts written to a
// pseudo-terminal standing in for the serial line, payments settled by the demo gateway. What the
// program did is read from outside: which windows are on screen, what the gateway received, and
// whether the process is still running.
//
// The flows run in order against one running program, each starting where the previous one ended.

#include "RealCashier.h"
#include "WindowTitles.h"
#include "X11Desktop.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QtTest>

namespace {

using namespace windowtitle;
using namespace x11;

const QString kScanPayAction = QStringLiteral("Pay.Ace.scanpay");

const int kWaitMs = x11::waitMs(10000);
// Long enough for a key press to travel xdotool → X server → program and for the program to act on
// it, so that "nothing happened" means something.
constexpr int kSettleMs = 500;

QImage screen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// The screen once nothing on it changes any more.
QImage stillScreen()
{
    QImage previous = screen();
    for (int i = 0; i < 50; ++i) {
        QTest::qWait(100);
        QImage next = screen();
        if (next == previous)
            return next;
        previous = next;
    }
    return previous;
}

// A window of another application that holds the keyboard focus, counting the keys it is given:
// the till program in the foreground while a customer's code is scanned.
class OtherApplication : public QRasterWindow
{
public:
    int keyPresses = 0;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkGreen); }
    void keyPressEvent(QKeyEvent*) override { ++keyPresses; }
};

} // namespace

class TestCashierX11 : public QObject
{
    Q_OBJECT

private:
    CashierOnX11 m_run;
    DemoGateway& m_gateway = m_run.gateway;
    PseudoTerminal& m_till = m_run.till;
    RealCashier& m_cashier = m_run.cashier;
    // Each flow needs the program where the previous one left it.
    bool m_ready = false;

    QJsonArray scanPayRequests()
    {
        return QJsonDocument::fromJson(m_gateway.adminGet("requests?action=" + kScanPayAction)).array();
    }

    QString fieldOf(const QJsonArray& requests, int index, const QString& field)
    {
        return requests.at(index).toObject().value("fields").toObject().value(field).toString();
    }

    // Sends an amount from the till and waits until the program has reacted to it on screen.
    bool tillSends(const QByteArray& amount)
    {
        const QImage before = stillScreen();
        if (!m_till.write("\x1bQA" + amount + "\r"))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs) {
            QTest::qWait(50);
            if (screen() != before)
                return true;
        }
        return false;
    }

    // The most windows titled `title` seen at once over the settle time.
    int mostWindowsOver(const QString& title)
    {
        int most = 0;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kSettleMs) {
            most = qMax(most, visibleWindows(title).size());
            QTest::qWait(50);
        }
        return most;
    }

    // A customer's code through the scanner: a burst of digits and Return, sent to whoever has the
    // keyboard rather than to a window of our choosing.
    bool scan(const QString& code) { return xdotool({"type", "--delay", "1", code}) && xdotool({"key", "Return"}); }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));

        // app.config stays at its defaults: the till on COM9, no customer display.
        const QString problem = m_run.start();
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        m_ready = true;
    }

    void init()
    {
        if (!m_ready)
            QSKIP("the flow before this one did not finish");
        m_ready = false;
    }

    void cleanup() { saveScreenIfFailed("tst_cashier_x11"); }

    void cleanupTestCase() { m_run.stop(); }

    void loginThenShopSelectionStaysUntilConfirmed()
    {
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kLogin), kWaitMs);
        // The remembered account is filled in: Return logs in.
        QVERIFY(activate(kLogin));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kSelectShop), kWaitMs);
        QVERIFY(!isVisible(kLogin));
        QTRY_VERIFY_WITH_TIMEOUT(
            !QJsonDocument::fromJson(m_gateway.adminGet("requests?action=Account.Shop.listShop")).array().isEmpty(),
            kWaitMs);

        // Escape does not dismiss the shop choice, and above all does not end the program.
        QVERIFY(activate(kSelectShop));
        QVERIFY(xdotool({"key", "Escape"}));
        QTest::qWait(kSettleMs);
        QCOMPARE(m_cashier.state(), QProcess::Running);
        QVERIFY(isVisible(kSelectShop));

        QVERIFY(activate(kSelectShop));
        QVERIFY(xdotool({"key", "KP_Enter"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kMain), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kSelectShop), kWaitMs);
        m_ready = true;
    }

    void tillAmountReplacesTheOneWaitingForAScan()
    {
        QVERIFY(tillSends("8.86"));
        QVERIFY(xdotool({"key", "alt+z"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);

        // The customer changes their mind before paying: the till sends the new total.
        QVERIFY(tillSends("12.34"));
        QVERIFY(xdotool({"key", "alt+z"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);
        QCOMPARE(mostWindowsOver(kScanPay), 1);
        // Pressed again while the window is up, the key only brings that window forward.
        QVERIFY(xdotool({"key", "alt+z"}));
        QCOMPARE(mostWindowsOver(kScanPay), 1);

        // The till program has the focus when the code is scanned; the scan-pay window takes the
        // keys all the same, and the till program gets none of them.
        OtherApplication till;
        till.setTitle(QStringLiteral("till program"));
        till.resize(200, 120);
        till.setPosition(20, 20);
        till.show();
        QVERIFY(QTest::qWaitForWindowExposed(&till));
        QVERIFY(xdotool({"windowactivate", "--sync", QString::number(till.winId())}));
        QCOMPARE(run("xdotool", {"getwindowfocus"}).trimmed().toULongLong(), quint64(till.winId()));
        QVERIFY(isVisible(kScanPay));
        QVERIFY(scan(QStringLiteral("134567890123456781")));
        QTRY_VERIFY2_WITH_TIMEOUT(
            !scanPayRequests().isEmpty(),
            qPrintable(QStringLiteral("nothing charged; the focused window got %1 keys").arg(till.keyPresses)),
            kWaitMs);
        const QJsonArray requests = scanPayRequests();
        QCOMPARE(fieldOf(requests, 0, "auth_code"), QStringLiteral("134567890123456781"));
        QCOMPARE(fieldOf(requests, 0, "money"), QStringLiteral("1234"));
        // The first shop of the list, chosen at log-in.
        QCOMPARE(fieldOf(requests, 0, "shopid"), QStringLiteral("1001"));
        QCOMPARE(till.keyPresses, 0);

        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTradeResult), kWaitMs);
        QVERIFY(!isVisible(kScanPay));
        QTest::qWait(kSettleMs);
        QCOMPARE(scanPayRequests().size(), 1);
        m_ready = true;
    }

    void closingTheLastWindowKeepsTheProgramInTheTray()
    {
        // Read from the X server, which may still be taking the previous step's keys.
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTradeResult), kWaitMs);
        // Escape in the main window sends it to the tray while the trade result stays up.
        QVERIFY(activate(kMain));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kMain), kWaitMs);
        QVERIFY(isVisible(kTradeResult));

        // Closing the trade result leaves no window of the program on screen.
        QVERIFY(activate(kTradeResult));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kTradeResult), kWaitMs);
        QTest::qWait(kSettleMs);
        QCOMPARE(m_cashier.state(), QProcess::Running);

        QVERIFY(xdotool({"key", "alt+z"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kMain), kWaitMs);
        m_ready = true;
    }

    void keypadTakesTypingButNotScannerBursts()
    {
        QVERIFY(!isVisible(kScanPay));
        const int chargedBefore = scanPayRequests().size();

        // A scanner read into the keypad (no scan-pay window open) is dropped whole: there is still
        // no amount to collect.
        QVERIFY(activate(kMain));
        QVERIFY(xdotool({"type", "--delay", "1", "12345"}));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kNotice), kWaitMs);
        QVERIFY(!isVisible(kScanPay));
        QVERIFY(activate(kNotice));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kNotice), kWaitMs);

        // The same keys at a person's pace make the amount.
        QVERIFY(activate(kMain));
        QVERIFY(xdotool({"type", "--delay", "150", "23.45"}));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);
        QVERIFY(!isVisible(kNotice));
        QVERIFY(scan(QStringLiteral("134567890123456782")));
        QTRY_COMPARE_WITH_TIMEOUT(scanPayRequests().size(), chargedBefore + 1, kWaitMs);
        const QJsonArray requests = scanPayRequests();
        QCOMPARE(fieldOf(requests, chargedBefore, "auth_code"), QStringLiteral("134567890123456782"));
        QCOMPARE(fieldOf(requests, chargedBefore, "money"), QStringLiteral("2345"));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTradeResult), kWaitMs);
        QTest::qWait(kSettleMs);
        QCOMPARE(scanPayRequests().size(), chargedBefore + 1);
        QCOMPARE(m_cashier.state(), QProcess::Running);
        m_ready = true;
    }

    void keypadEnterQueriesOnTheQueryTab()
    {
        QVERIFY(activate(kTradeResult));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kTradeResult), kWaitMs);
        // F2, then the keypad's Enter: the day's payments are asked for. (A "Num+Enter" shortcut
        // never fired under X11.)
        const auto listings = [this] {
            return QJsonDocument::fromJson(m_gateway.adminGet("requests?action=Account.Pay.listPay")).array().size();
        };
        QVERIFY(activate(kMain));
        QVERIFY(xdotool({"key", "F2"}));
        QTest::qWait(kSettleMs);
        QCOMPARE(listings(), 0);
        QVERIFY(xdotool({"key", "KP_Enter"}));
        QTRY_COMPARE_WITH_TIMEOUT(listings(), 1, kWaitMs);
        // The busy box goes once the page is shown.
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(QStringLiteral("加载中")), kWaitMs);
        QTest::qWait(kSettleMs);
        m_ready = true;
    }

    void settingsPanelLentThePortsAndGivesThemBack()
    {
        // The settings button opens the panel on the general page; its first button shows the
        // serial-port page, which borrows the till port from the main window.
        QVERIFY(activate(kMain));
        const QStringList main = visibleWindows(kMain);
        QVERIFY(xdotool({"mousemove", "--window", main.first(), "724", "18"}));
        QVERIFY(xdotool({"click", "1"}));
        const QString panelTitle = kSettings;
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(panelTitle), kWaitMs);
        const QStringList panel = visibleWindows(panelTitle);
        QCOMPARE(panel.size(), 1);
        QVERIFY(xdotool({"mousemove", "--window", panel.first(), "57", "70"}));
        QVERIFY(xdotool({"click", "1"}));
        QTest::qWait(kSettleMs);
        // Escape hides the panel without saving: the program runs on and the till is heard again.
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(panelTitle), kWaitMs);
        QCOMPARE(m_cashier.state(), QProcess::Running);
        // The amount from the till reaches the keypad and is charged at the next call-up.
        const int chargedBefore = scanPayRequests().size();
        QVERIFY(m_till.write("\x1bQA7.77\r"));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "alt+z"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);
        QVERIFY(scan(QStringLiteral("134567890123456783")));
        QTRY_COMPARE_WITH_TIMEOUT(scanPayRequests().size(), chargedBefore + 1, kWaitMs);
        QCOMPARE(fieldOf(scanPayRequests(), chargedBefore, "money"), QStringLiteral("777"));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTradeResult), kWaitMs);
        QVERIFY(activate(kTradeResult));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kTradeResult), kWaitMs);
        QTest::qWait(kSettleMs);
        m_ready = true;
    }

    void aChargeWhoseReplyWasLostIsConfirmedNotRepeated()
    {
        // The gateway takes the money, the till hears 502.
        const int chargedBefore = scanPayRequests().size();
        QVERIFY(
            !m_gateway.adminPost("respond?action=" + kScanPayAction + "&status=502&execute=1", "bad gateway").isNull());
        QVERIFY(m_till.write("\x1bQA4.56\r"));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "alt+z"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);
        QVERIFY(scan(QStringLiteral("134567890123456784")));
        const QString tip = kTip;
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(tip), kWaitMs);
        QVERIFY(activate(tip));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(tip), kWaitMs);

        // The customer shows a fresh code; before it is charged the cashier is asked about the
        // payment found. A scanner's Return does not answer that; 是 (Alt+Y) completes the sale.
        QVERIFY(scan(QStringLiteral("134567890123456785")));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(tip), kWaitMs);
        QVERIFY(activate(tip));
        QVERIFY(xdotool({"key", "Return"}));
        QTest::qWait(kSettleMs);
        QVERIFY(isVisible(tip));
        QVERIFY(xdotool({"key", "alt+y"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTradeResult), kWaitMs);
        QTest::qWait(kSettleMs);
        QCOMPARE(scanPayRequests().size(), chargedBefore + 1);
        QVERIFY(activate(kTradeResult));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kTradeResult), kWaitMs);
        QTest::qWait(kSettleMs);
        m_ready = true;
    }

    void quitFromTheFloatingWidgetsMenuEndsTheProgram()
    {
        QVERIFY(activate(kMain));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kMain), kWaitMs);

        // The floating widget stands in for the window; its menu's last entry is "退出".
        QStringList floating;
        QTRY_VERIFY_WITH_TIMEOUT(!(floating = visibleWindows(QStringLiteral("Form"))).isEmpty(), kWaitMs);
        QCOMPARE(floating.size(), 1);
        QVERIFY(xdotool({"mousemove", "--window", floating.first(), "40", "40"}));
        QVERIFY(xdotool({"click", "3"}));
        QTRY_VERIFY_WITH_TIMEOUT(popupMenuShown(), kWaitMs);
        QCOMPARE(m_cashier.state(), QProcess::Running);
        QVERIFY(xdotool({"key", "Up"}));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_cashier.state(), QProcess::NotRunning, kWaitMs);
        QCOMPARE(m_cashier.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_cashier.exitCode(), 0);
    }
};

QTEST_MAIN(TestCashierX11)
#include "tst_cashier_x11.moc"
