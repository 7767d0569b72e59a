// The real program against a gateway across a wide-area link, timed from outside as a cashier sees
// it. The demo gateway serves HTTPS behind delay_proxy.py, which delays every byte by half the
// round trip each way and holds a connection's first bytes for one round trip, as a real link does.
// The baseline, measured in the same run: one POST on a keep-alive HTTPS connection through the
// same proxy that is already warm (WarmPost), about one round trip.
//
//   login    the login window with the remembered account and the version check on, Return a
//            second after it is mapped → the shop selection mapped (and the shop list answered)
//   sale     Alt+Z, the code scanned 2 s later, scanner Return → trade result mapped (no receipts)
//   query    F2, the keypad's Enter a second later → the busy box gone with the page filled
//   refund   a paid order's refund dialog, amount and password typed, open a second, Return →
//            "退款成功" shown
//   idle     a sale 10 s after the previous request: the demo gateway (cpp-httplib) closes a
//            keep-alive connection after 5 s idle; the scan-pay window open all that time, or
//            opened 2 s before the scan
//
// With --nagle the proxy also plays the program's Nagle algorithm (Qt's HTTP sockets have no
// TCP_NODELAY): a request Qt writes in two pieces then costs a round trip more, as on a real link.
//
// Prints "result NAME MEASURED BASELINE..." lines for scripts/bench ("wan_..." or "wannagle_...").
//
//   bench_wan_x11 --cashier PATH --proxy delay_proxy.py [--rtt-ms 80] [--samples N] [--idle N] [--nagle]

#include "CashierDriver.h"
#include "DemoGateway.h"
#include "Samples.h"
#include "TestSupport.h"
#include "WarmPost.h"
#include "WindowTitles.h"
#include "XSession.h"

#include "config/AppConfigRecord.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <utility>

namespace {

using namespace windowtitle;
using namespace bench;

const QString kNoReceipts = QStringLiteral("不打印小票");
const QString kRefundTitle = QStringLiteral("退款");
const QString kRefundDone = QStringLiteral("[温馨提示] 退款成功");
const QString kRefundPassword = QStringLiteral("123456"); // the demo account's
// The newest order's refund button in the query table, in the main window's coordinates, and the
// refund dialog's password field (the layout without items).
constexpr int kRefundButtonX = 674;
constexpr int kRow0Y = 310;
constexpr int kPasswordX = 186;
constexpr int kPasswordY = 255;

void waitUntil(XSession& x, qint64 atNs)
{
    if (XSession::now() < atNs)
        x.wait(int((atNs - XSession::now()) / 1000000) + 1);
}

// delay_proxy.py in front of the gateway, its log (with --chunks) in a file.
class DelayProxy
{
public:
    ~DelayProxy() { CashierDriver::stop(m_process); }

    bool start(const QString& script, quint16 upstream, double rttMs, bool nagle, const QString& logFile)
    {
        m_log = logFile;
        m_process.setStandardErrorFile(logFile);
        QStringList arguments{script, QString::number(upstream), "--rtt-ms", QString::number(rttMs), "--chunks"};
        if (!nagle)
            arguments << QStringLiteral("--no-nagle");
        m_process.start(QStringLiteral("python3"), arguments);
        if (!m_process.waitForStarted(10000))
            return false;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_port = quint16(m_process.readLine().trimmed().toUInt());
        return m_port != 0;
    }
    quint16 port() const { return m_port; }

    // When the proxy handed the program bytes from the gateway ("down") between the two moments.
    std::vector<qint64> deliveries(qint64 fromNs, qint64 toNs) const
    {
        std::vector<qint64> at;
        for (const QByteArray& line : readFileBytes(m_log).split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() == 6 && words.at(2) == "down") {
                const qint64 ns = qint64(words.at(5).toDouble() * 1e9);
                if (ns > fromNs && ns < toNs)
                    at.push_back(ns);
            }
        }
        return at;
    }
    // Connections the gateway closed before the program did.
    int closedByGateway() const
    {
        int closed = 0;
        for (const QByteArray& line : readFileBytes(m_log).split('\n'))
            closed += line.contains("gateway closed first") ? 1 : 0;
        return closed;
    }
    int connections() const { return readFileBytes(m_log).count(" opened at "); }

private:
    QProcess m_process;
    QString m_log;
    quint16 m_port = 0;
};

class WanBench
{
public:
    QString cashierPath, proxyScript;
    double rttMs = 80;
    // The proxy plays the program's Nagle algorithm too; the results are then named "wannagle_...".
    bool nagle = false;
    const char* prefix() const { return nagle ? "wannagle" : "wan"; }
    int samples = 7, idleSamples = 3;

    bool run()
    {
        if (!m_x.open())
            return fail("no X server with XTEST on $DISPLAY"), false;
        if (!m_files.isValid() || !makeLoopbackCertificate(m_cert, m_files.filePath("key.pem")))
            return fail("no certificate for the gateway (openssl)"), false;
        if (!m_gateway.start())
            return fail(m_gateway.error()), false;
        if (!m_proxy.start(proxyScript, m_gateway.port(), rttMs, nagle, m_files.filePath("proxy.log")))
            return fail("the delay proxy did not start"), false;
        if (!m_driver.prepare() || !QFile::copy(m_cert, m_driver.filePath("gateway-ca.pem")))
            return fail("no till pseudo-terminal or working folder"), false;
        AppConfigRecord config;
        config.refundEnabled = true;
        if (!writeFileBytes(m_driver.filePath("app.config"), config.toBytes()))
            return fail("cannot write app.config"), false;
        m_driver.program = cashierPath;
        m_driver.gatewayUrl = QStringLiteral("https://127.0.0.1:%1/api.php/Gateway/index").arg(m_proxy.port());
        m_driver.errorLog = m_files.filePath("cashier.log");
        // The program logs its message boxes in Chinese: UTF-8 whatever the locale.
        m_driver.environment().insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        std::printf("wide area: %.0f ms round trip (delay_proxy.py), the demo gateway over HTTPS; it closes a "
                    "keep-alive connection after 5 s idle (cpp-httplib 0.11.4)\n",
                    rttMs);
        std::fflush(stdout);
        const bool done = baseline() && login() && sales() && queries() && refunds() && idle();
        if (done)
            report();
        return done;
    }

private:
    XSession m_x;
    QTemporaryDir m_files;
    QString m_cert = m_files.filePath("cert.pem");
    DemoGateway m_gateway{{"--cert", m_cert, "--key", m_files.filePath("key.pem")}};
    DelayProxy m_proxy;
    CashierDriver m_driver{m_x, m_gateway};
    std::vector<double> m_warm, m_direct;
    int m_baselineCodes = 0;

    int requestCount(const QString& action)
    {
        return QJsonDocument::fromJson(m_gateway.adminGet(QStringLiteral("requests?action=") + action)).array().size();
    }

    // The gateway's orders or refunds, as stored.
    QJsonArray rows(const char* table)
    {
        return QJsonDocument::fromJson(m_gateway.adminGet(QStringLiteral("rows?table=") + table)).array();
    }

    // A warm POST of a payment like the program's (codes of its own, "15..."), through the proxy and
    // straight to the gateway, in turn; the difference is the link's round trip as measured.
    bool baseline()
    {
        const auto body = [this] {
            const QString code = QStringLiteral("15%1").arg(++m_baselineCodes, 15, 10, QLatin1Char('0')) + "1";
            return gateway::scanPayBody(code, 1234, QStringLiteral("10001"), QStringLiteral("1001"));
        };
        WarmPost viaProxy(m_proxy.port(), m_cert), direct(m_gateway.port(), m_cert);
        if (!viaProxy.open(body()) || !direct.open(body()))
            return fail("no warm connection for the baseline: " + viaProxy.error() + direct.error()), false;
        for (int i = 0; i < 2 * samples; ++i) {
            for (auto [post, samplesOf] : {std::pair{&viaProxy, &m_warm}, std::pair{&direct, &m_direct}}) {
                QThread::msleep(100); // well inside the gateway's 5 s
                const QByteArray b = body();
                const qint64 at = XSession::now();
                const QByteArray reply = post->post(b);
                const double ms = msBetween(at, XSession::now());
                if (gateway::jsonText(gateway::replyContent(reply).value(QStringLiteral("msg"))) != "成功")
                    return fail("the baseline payment was not taken: " + post->error()), false;
                samplesOf->push_back(ms);
            }
        }
        return true;
    }

    bool login()
    {
        std::vector<double> toShops, toList;
        for (int i = 0; i <= samples; ++i) {
            m_gateway.adminPost(QStringLiteral("reset"));
            const int shown = m_driver.messages().size();
            CashierDriver::LoginTimes t;
            if (!m_driver.logIn(kNoReceipts, true, 1000, &t))
                return false;
            // The shop list is the last answer before the shop is chosen.
            const std::vector<qint64> answers = m_proxy.deliveries(t.returnAt, t.shopChosenAt);
            const QStringList boxes = m_driver.messages().mid(shown);
            if (!boxes.isEmpty())
                return fail("a message box at login: " + boxes.join("; ")), false;
            if (requestCount(QStringLiteral("Share.App.update")) != 1)
                return fail("the version check did not go to the gateway once"), false;
            if (answers.empty())
                return fail("the proxy handed the program nothing between Return and the shop list"), false;
            if (i == 0)
                continue; // the first start reads everything from disk
            toShops.push_back(msBetween(t.returnAt, t.shopsMappedAt));
            toList.push_back(msBetween(t.returnAt, answers.back()));
        }
        std::printf("login (version check on: the gateway offers the program's own version, no question), %d "
                    "measured: Return → shop selection mapped median %.0f ms (p90 %.0f), Return → shop list "
                    "answered (the proxy's last delivery before the shop is chosen) median %.0f ms (p90 %.0f)\n",
                    samples, median(toShops), percentile(toShops, 0.9), median(toList), percentile(toList, 0.9));
        std::printf("result %s_login %.3f %.3f\n", prefix(), median(toShops), median(m_warm));
        std::fflush(stdout);
        return true;
    }

    // A sale as a customer pays: the window opened, the code scanned `scanAfterMs` later.
    bool timedSale(int scanAfterMs, double* ms, qint64* resultAt = nullptr)
    {
        if (!m_driver.openScanPay())
            return fail("the scan-pay window did not open"), false;
        m_x.wait(scanAfterMs);
        qint64 returnAt = 0, mappedAt = 0;
        const XSession::WindowId result = m_driver.scan(&returnAt, &mappedAt);
        if (!result || !m_driver.closeResult(result))
            return fail("a sale did not reach its trade result"), false;
        *ms = msBetween(returnAt, mappedAt);
        if (resultAt)
            *resultAt = mappedAt;
        return true;
    }

    bool sales()
    {
        const int before = m_driver.paidOrders();
        std::vector<double> toResult;
        for (int i = 0; i <= samples; ++i) {
            double ms = 0;
            if (!timedSale(2000, &ms))
                return false;
            if (i > 0)
                toResult.push_back(ms);
        }
        if (m_driver.paidOrders() != before + samples + 1)
            return fail("the gateway does not hold one order per sale"), false;
        std::printf("sale, scanned 2 s after the window opened, %d measured: Return → trade result median %.0f ms "
                    "(p90 %.0f)\n",
                    samples, median(toResult), percentile(toResult, 0.9));
        std::printf("result %s_sale %.3f %.3f\n", prefix(), median(toResult), median(m_warm));
        std::fflush(stdout);
        return true;
    }

    bool queries()
    {
        std::vector<double> fromEnter, fromF2;
        for (int i = 0; i <= samples; ++i) {
            CashierDriver::QueryTimes t;
            if (!m_driver.query(1000, &t))
                return false;
            if (i == 0)
                continue;
            fromEnter.push_back(msBetween(t.enterAt, t.filledAt));
            fromF2.push_back(msBetween(t.f2At, t.filledAt));
        }
        std::printf("query, the keypad's Enter 1 s after F2, %d measured: Enter → page filled median %.0f ms (p90 "
                    "%.0f), F2 → page filled median %.0f ms\n",
                    samples, median(fromEnter), percentile(fromEnter, 0.9), median(fromF2));
        std::printf("result %s_query %.3f %.3f\n", prefix(), median(fromEnter), median(m_warm));
        std::fflush(stdout);
        return true;
    }

    // The stored order paid with `code`; its id, or -1.
    qint64 orderPaidWith(const QString& code)
    {
        for (const QJsonValue& row : rows("orders")) {
            if (row.toObject().value(QStringLiteral("auth_code")).toString() == code)
                return row.toObject().value(QStringLiteral("id")).toVariant().toLongLong();
        }
        return -1;
    }

    // A new order, listed at the top of the query tab, refunded by a cent from its row.
    bool refundOnce(double* ms, qint64* orderId)
    {
        qint64 returnAt = 0, mappedAt = 0;
        const XSession::WindowId result = m_driver.sale(&returnAt, &mappedAt);
        if (!result || !m_driver.closeResult(result))
            return fail("the sale to refund did not complete"), false;
        *orderId = orderPaidWith(m_driver.lastCode());
        if (*orderId < 0 || !m_driver.query())
            return fail("the sale to refund is not listed"), false;
        const XSession::WindowId main = m_x.mapped(kMain);
        qint64 since = XSession::now();
        if (!main || !m_x.activate(main) || !m_x.click(main, kRefundButtonX, kRow0Y))
            return fail("no refund button to click"), false;
        qint64 openedAt = 0;
        const XSession::WindowId dialog = m_x.waitMapped(kRefundTitle, since, kWaitMs, &openedAt);
        if (!dialog || !m_x.activate(dialog))
            return fail("the refund dialog did not open"), false;
        // The amount field has the keyboard, its text selected.
        m_x.wait(50);
        m_x.type(QStringLiteral("0.01"));
        m_x.click(dialog, kPasswordX, kPasswordY);
        m_x.wait(50);
        m_x.type(kRefundPassword);
        waitUntil(m_x, openedAt + 1000 * 1000000LL);
        const int shown = m_driver.messages().size();
        const int listed = requestCount(QStringLiteral("Account.Pay.listPay"));
        returnAt = XSession::now();
        m_x.tap("Return");
        qint64 boxAt = 0;
        const XSession::WindowId box = m_x.waitMapped(kTip, returnAt, kWaitMs, &boxAt);
        QStringList boxes = m_driver.messages().mid(shown);
        for (int i = 0; i < 50 && box && boxes.isEmpty(); ++i) {
            m_x.wait(20);
            boxes = m_driver.messages().mid(shown);
        }
        if (!box || boxes != QStringList{kRefundDone})
            return fail("the refund did not say 退款成功: " + boxes.join("; ")), false;
        *ms = msBetween(returnAt, boxAt);
        // The box answered, the dialog closes and the list is asked for again.
        if (!m_x.activate(box) || !m_x.tap("Return") || !m_x.waitUnmapped(dialog, kWaitMs))
            return fail("the refund dialog did not close"), false;
        const qint64 deadline = XSession::now() + qint64(kWaitMs) * 1000000;
        while (requestCount(QStringLiteral("Account.Pay.listPay")) <= listed && XSession::now() < deadline)
            m_x.wait(20);
        m_x.wait(20);
        const XSession::WindowId busy = m_x.mapped(kBusy);
        if (busy && !m_x.waitUnmapped(busy, kWaitMs))
            return fail("the list did not come back after the refund"), false;
        return true;
    }

    bool refunds()
    {
        std::vector<double> toDone;
        QList<qint64> orders;
        for (int i = 0; i <= samples; ++i) {
            double ms = 0;
            qint64 order = -1;
            if (!refundOnce(&ms, &order))
                return false;
            orders << order;
            if (i > 0)
                toDone.push_back(ms);
        }
        // Each refunded once, by the cent asked for.
        QHash<qint64, QList<int>> amounts;
        for (const QJsonValue& row : rows("refunds")) {
            const QJsonObject refund = row.toObject();
            amounts[refund.value(QStringLiteral("order_id")).toVariant().toLongLong()]
                << refund.value(QStringLiteral("amount")).toInt();
        }
        for (qint64 order : orders) {
            if (amounts.value(order) != QList<int>{1})
                return fail(QStringLiteral("order %1 is not refunded exactly once by a cent").arg(order)), false;
        }
        std::printf("refund, the dialog open 1 s, %d measured: Return → \"退款成功\" shown median %.0f ms (p90 %.0f); "
                    "the gateway holds each refund once\n",
                    samples, median(toDone), percentile(toDone, 0.9));
        std::printf("result %s_refund %.3f %.3f\n", prefix(), median(toDone), median(m_warm));
        std::fflush(stdout);
        return true;
    }

    // A sale after 10 s without a request, the scan-pay window open all that time or opened 2 s
    // before the scan. A sale that ends in anything but its trade result is counted, and its boxes
    // answered.
    bool idle()
    {
        const int before = m_driver.paidOrders();
        const int closedBefore = m_proxy.closedByGateway();
        std::vector<double> samplesOf[2];
        int unknown = 0, others = 0, taken = 0;
        qint64 lastReplyAt = 0;
        double ms = 0;
        // The previous request: a sale of its own.
        if (!timedSale(100, &ms, &lastReplyAt))
            return false;
        for (int i = 0; i < 2 * idleSamples; ++i) {
            const bool openAllAlong = i % 2 == 0;
            const int requestsBefore = requestCount(QString());
            if (!openAllAlong)
                waitUntil(m_x, lastReplyAt + 8000 * 1000000LL);
            const int shown = m_driver.messages().size();
            if (!m_driver.openScanPay())
                return fail("the scan-pay window did not open"), false;
            waitUntil(m_x, lastReplyAt + 10000 * 1000000LL);
            qint64 returnAt = 0, mappedAt = 0;
            const XSession::WindowId result = m_driver.scan(&returnAt, &mappedAt);
            others += requestCount(QString()) - requestsBefore - 1;
            ++taken;
            if (result && m_driver.closeResult(result)) {
                samplesOf[i % 2].push_back(msBetween(returnAt, mappedAt));
                lastReplyAt = mappedAt;
                continue;
            }
            ++unknown;
            std::printf("idle sale %d: no trade result; boxes: %s\n", i + 1,
                        qPrintable(m_driver.messages().mid(shown).join("; ")));
            if (!answerBoxes())
                return fail("could not get back to the main window after a sale that failed"), false;
            lastReplyAt = XSession::now();
        }
        const int paid = m_driver.paidOrders() - before;
        std::vector<double> all = samplesOf[0];
        all.insert(all.end(), samplesOf[1].begin(), samplesOf[1].end());
        std::printf("idle, a sale 10 s after the previous request, %d of each: Return → trade result median %.0f ms "
                    "with the window open all along, %.0f ms with it opened 2 s before; %d without a trade result, "
                    "%d other requests sent in the waits, %d connections closed by the gateway first, %d orders "
                    "for %d sales\n",
                    idleSamples, median(samplesOf[0]), median(samplesOf[1]), unknown, others,
                    m_proxy.closedByGateway() - closedBefore, paid, taken + 1);
        if (paid != taken + 1 - unknown)
            std::printf("note: the gateway holds %d orders for %d sales that showed a trade result\n", paid,
                        taken + 1 - unknown);
        std::printf("result %s_idle %.3f %.3f %d %d\n", prefix(), median(all), median(m_warm), unknown, taken);
        std::fflush(stdout);
        return true;
    }

    // Answers whatever box is up and closes the scan-pay window, back to the main window.
    bool answerBoxes()
    {
        for (const QString& title : {kTip, kNotice, QStringLiteral("错误提示"), kTradeResult, kScanPay}) {
            const XSession::WindowId w = m_x.mapped(title);
            if (w &&
                !(m_x.activate(w) && m_x.tap(title == kScanPay ? "Escape" : "Return") && m_x.waitUnmapped(w, kWaitMs)))
                return false;
        }
        return m_x.mapped(kMain) != 0;
    }

    void report()
    {
        const double warm = median(m_warm), direct = median(m_direct);
        std::printf("baseline: a warm keep-alive HTTPS POST through the proxy median %.1f ms (p90 %.1f), straight "
                    "to the gateway %.1f ms: the link's round trip as measured %.1f ms; %d connections through the "
                    "proxy in all\n",
                    warm, percentile(m_warm, 0.9), direct, warm - direct, m_proxy.connections());
        std::printf("result %s_link %.3f %.3f %.3f\n", prefix(), rttMs, warm - direct, warm);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"cashier", "the cashier program", "path"});
    parser.addOption({"proxy", "delay_proxy.py", "path"});
    parser.addOption({"rtt-ms", "the link's round trip", "ms", "80"});
    parser.addOption({"samples", "measured samples of each figure", "n", "7"});
    parser.addOption({"idle", "idle sales of each kind", "n", "3"});
    parser.addOption({"nagle", "the proxy plays the program's Nagle algorithm (results wannagle_...)"});
    parser.process(app);
    if (!parser.isSet("cashier") || !parser.isSet("proxy")) {
        std::fprintf(stderr, "bench_wan_x11: --cashier and --proxy are needed\n");
        return 2;
    }
    WanBench bench;
    bench.cashierPath = parser.value("cashier");
    bench.proxyScript = parser.value("proxy");
    bench.rttMs = qMax(1.0, parser.value("rtt-ms").toDouble());
    bench.samples = qMax(1, parser.value("samples").toInt());
    bench.idleSamples = qMax(1, parser.value("idle").toInt());
    bench.nagle = parser.isSet("nagle");
    return bench.run() ? 0 : 1;
}
