// The floating widget's print-order poll against the demo gateway: what the gateway hands out is
// printed once, in order, and a failing gateway costs nothing but a missed poll. Printing is watched
// through the print seam's recorder; nothing reaches a printer here.

#include "app/FloatWidget.h"
#include "config/DataConfig.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "print/ReceiptDocuments.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "DemoGateway.h"
#include "GatewayCall.h"
#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString kAction = QStringLiteral("Account.Print.orders");
const QString kHotline = QStringLiteral("0571-8765 4321");

QJsonObject printOrder(const QString& orderNum, const QString& money = QStringLiteral("12.50"))
{
    return QJsonObject{{"sname", "青禾茶餐厅西湖文化广场店"},
                       {"uname", "张晓梅"},
                       {"created_time", "2024-06-01 12:00:00"},
                       {"order_num", orderNum},
                       {"pay_type", "微信支付"},
                       {"pay_money", money},
                       {"pay_num", "42000" + orderNum}};
}

QByteArray reply(const QJsonValue& num, const QJsonArray& list)
{
    QJsonObject content{{"code", 1}, {"list", list}};
    if (!num.isUndefined())
        content.insert("num", num);
    return QJsonDocument(QJsonObject{{"content", content}}).toJson(QJsonDocument::Compact);
}

QStringList orderNumsPrinted(const QList<Printer::Job>& jobs)
{
    // The system order number is the only value that differs between the orders of a test.
    QStringList nums;
    for (const Printer::Job& job : jobs) {
        const int at = job.html.indexOf("系统单号：");
        nums.append(at < 0 ? QString() : job.html.mid(at + 5, job.html.indexOf("</a>", at) - at - 5));
    }
    return nums;
}

} // namespace

class TestPrintOrders : public QObject
{
    Q_OBJECT

private:
    ScopedWorkingDir m_dir;
    DemoGateway m_gateway;
    QString m_token;
    std::unique_ptr<QWidget> m_owner;
    FloatWidget* m_widget = nullptr;

    // The test printer (scripts/start-printer) unless `printer` names another, GB2312 as stored.
    bool writeDataIni(const QByteArray& printer = "CashierPDF", const QByteArray& more = QByteArray())
    {
        return writeFileBytes("data.ini", "[data_config]\ngateway_url=" + m_gateway.url().toUtf8() +
                                              "\nservice_hotline=" + kHotline.toUtf8() + "\nprinterName=" + printer +
                                              "\n" + more);
    }

    int pollRequests()
    {
        return QJsonDocument::fromJson(m_gateway.adminGet("requests?action=" + kAction)).array().size();
    }

    // One poll, waited for until its reply has been handled.
    bool poll(FloatWidget* widget = nullptr)
    {
        widget = widget ? widget : m_widget;
        widget->doPrintLoop();
        return widget->isPrintPollPending() &&
               QTest::qWaitFor([widget] { return !widget->isPrintPollPending(); }, 10000);
    }

    bool respond(const QByteArray& body, const QByteArray& options = QByteArray())
    {
        return !m_gateway.adminPost("respond?action=" + kAction + options, body).isNull();
    }

    bool queue(const QJsonArray& orders)
    {
        return !m_gateway.adminPost("print-orders?uname=demo", QJsonDocument(orders).toJson()).isNull();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni());
        const GatewayCall login = callGateway(m_gateway.url(), gateway::loginBody("demo", "demo123"));
        QVERIFY(login.success);
        SessionData::instance().setUserInfo(login.content());
        m_token = SessionData::instance().token();
        QVERIFY(!m_token.isEmpty());

        MessageBox::setRecording(true);
        Printer::setRecording(Printer::Recording::InsteadOfPrinting);
        m_owner = std::make_unique<QWidget>();
        m_widget = new FloatWidget(m_owner.get());
    }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        Printer::takeJobs();
    }

    void cleanup()
    {
        // Whatever happened, the cashier was not interrupted.
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QVERIFY2(shown.isEmpty(), qPrintable(shown.value(0).text));
    }

    void everyListedOrderIsPrintedInOrder()
    {
        // "num" only gates the loop: three orders under a "num" of 2 are all printed.
        const QJsonArray orders{printOrder("LIST-1", "0.01"), printOrder("LIST-2", "1,000.00"), printOrder("LIST-3")};
        QVERIFY(respond(reply("2", orders)));
        QVERIFY(poll());

        const QList<Printer::Job> jobs = Printer::takeJobs();
        QCOMPARE(orderNumsPrinted(jobs), (QStringList{"LIST-1", "LIST-2", "LIST-3"}));
        for (int i = 0; i < jobs.size(); ++i)
            QCOMPARE(jobs[i].html, receipt::printOrderReceipt(orders[i].toObject(), kHotline));
        QCOMPARE(jobs.first().printerName, QStringLiteral("CashierPDF"));

        // The poll carried the session's token.
        const QJsonObject fields = QJsonDocument::fromJson(m_gateway.adminGet("requests?action=" + kAction))
                                       .array()
                                       .first()
                                       .toObject()
                                       .value("fields")
                                       .toObject();
        QCOMPARE(fields.value("token").toString(), m_token);
    }

    void nothingPrintedUnlessNumIsACountAsText_data()
    {
        QTest::addColumn<QJsonValue>("num");
        QTest::newRow("0") << QJsonValue("0");
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined);
        QTest::newRow("JSON number") << QJsonValue(2);
        QTest::newRow("not a number") << QJsonValue("zwei");
    }
    void nothingPrintedUnlessNumIsACountAsText()
    {
        QFETCH(QJsonValue, num);
        QVERIFY(respond(reply(num, {printOrder("NUM-1"), printOrder("NUM-2")})));
        QVERIFY(poll());
        QCOMPARE(pollRequests(), 1);
        QCOMPARE(Printer::takeJobs().size(), 0);
    }

    void networkFailureIsSilent_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("HTTP 500") << QByteArray("&status=500&type=text/html")
                                  << QByteArray("<html><body>500 Internal Server Error</body></html>");
        // A failed request whose body still looks like orders must not print them either.
        QTest::newRow("HTTP 502 with orders") << QByteArray("&status=502") << reply("1", {printOrder("FAIL-1")});
    }
    void networkFailureIsSilent()
    {
        QFETCH(QByteArray, options);
        QFETCH(QByteArray, body);
        QVERIFY(respond(body, options));
        QVERIFY(poll());
        QCOMPARE(pollRequests(), 1);
        QCOMPARE(Printer::takeJobs().size(), 0);
    }

    void timeoutIsSilent()
    {
        HttpFun::setTimeoutForTesting(300);
        QVERIFY(queue({printOrder("SLOW-1")}));
        QVERIFY(!m_gateway.adminPost("delay?action=" + kAction + "&ms=1500").isNull());
        const bool polled = poll();
        HttpFun::setTimeoutForTesting(0);
        QVERIFY(polled);
        QCOMPARE(Printer::takeJobs().size(), 0);
    }

    void gatewayDownIsSilent()
    {
        m_gateway.stop();
        const bool polled = poll();
        QVERIFY(m_gateway.start());
        QVERIFY(writeDataIni()); // it may listen on another port now
        QVERIFY(polled);
        QCOMPARE(Printer::takeJobs().size(), 0);
    }

    void queuedOrdersArePrintedOnce()
    {
        QVERIFY(queue({printOrder("ONCE-1"), printOrder("ONCE-2")}));
        QVERIFY(poll());
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), (QStringList{"ONCE-1", "ONCE-2"}));
        QVERIFY(poll());
        QCOMPARE(pollRequests(), 2);
        QCOMPARE(Printer::takeJobs().size(), 0);
    }

    void whatTheGatewayHandsOutAgainIsPrintedAgain()
    {
        // The back office queued an order a second time (the first slip was torn, say).
        QVERIFY(queue({printOrder("AGAIN-1")}));
        QVERIFY(poll());
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), QStringList{"AGAIN-1"});
        QVERIFY(queue({printOrder("AGAIN-1"), printOrder("AGAIN-2")}));
        QVERIFY(poll());
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), (QStringList{"AGAIN-1", "AGAIN-2"}));
    }

    void ordersStayQueuedWhileTheyCannotBePrinted()
    {
        QVERIFY(queue({printOrder("WAIT-1")}));
        // A printer that is not installed: nothing fetched, the cashier told once, not at every poll.
        QVERIFY(writeDataIni("NoSuchPrinter"));
        m_widget->doPrintLoop();
        m_widget->doPrintLoop();
        QVERIFY(!m_widget->isPrintPollPending());
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).title, QString("提示信息"));
        QCOMPARE(shown.at(0).text, QString("当前没有设置可用打印机,如需打印请先设置打印机"));
        // "不打印小票" or no printer at all: the shop wants no paper; nothing fetched, nothing said.
        QVERIFY(writeDataIni(QByteArray::fromHex("b2bbb4f2d3a1d0a1c6b1")));
        m_widget->doPrintLoop();
        QVERIFY(writeDataIni(QByteArray()));
        m_widget->doPrintLoop();
        QVERIFY(!m_widget->isPrintPollPending());
        QCOMPARE(pollRequests(), 0);

        // The printer back: the order waiting at the gateway comes out; a later loss is told again.
        QVERIFY(writeDataIni());
        QVERIFY(poll());
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), QStringList{"WAIT-1"});
        QVERIFY(writeDataIni("NoSuchPrinter"));
        m_widget->doPrintLoop();
        QCOMPARE(MessageBox::takeShown().size(), 1);
        QVERIFY(writeDataIni());
    }

    void aPollWaitsForTheOneBefore()
    {
        QVERIFY(queue({printOrder("BUSY-1")}));
        QVERIFY(!m_gateway.adminPost("delay?action=" + kAction + "&ms=800").isNull());
        m_widget->doPrintLoop();
        QVERIFY(m_widget->isPrintPollPending());
        m_widget->doPrintLoop(); // the timer firing again while the gateway is slow
        QVERIFY(QTest::qWaitFor([this] { return !m_widget->isPrintPollPending(); }, 10000));
        QCOMPARE(pollRequests(), 1);
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), QStringList{"BUSY-1"});

        // And once it is back, the next poll goes out.
        QVERIFY(poll());
        QCOMPARE(pollRequests(), 2);
    }

    void pollingRunsOnlyWhenStarted()
    {
        QWidget owner;
        auto* widget = new FloatWidget(&owner);
        auto* timer = widget->findChild<QTimer*>("printTimer");
        QVERIFY(timer);
        // The login window's widget: created stopped, and it stays so.
        QVERIFY(!timer->isActive());

        QVERIFY(writeDataIni("CashierPDF", "print_poll_seconds=0\n"));
        widget->startPrintPolling();
        QVERIFY(!timer->isActive());
        QVERIFY(!widget->isPrintPollPending());

        // Too often is raised to the lowest interval; the first poll goes out at once.
        QVERIFY(queue({printOrder("TIMER-1")}));
        QVERIFY(writeDataIni("CashierPDF", "print_poll_seconds=1\n"));
        widget->startPrintPolling();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 5000);
        QVERIFY(QTest::qWaitFor([widget] { return !widget->isPrintPollPending(); }, 10000));
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), QStringList{"TIMER-1"});

        // Then the timer polls by itself.
        QVERIFY(queue({printOrder("TIMER-2")}));
        QTRY_COMPARE_WITH_TIMEOUT(pollRequests(), 2, 8000);
        QVERIFY(QTest::qWaitFor([widget] { return !widget->isPrintPollPending(); }, 10000));
        QCOMPARE(orderNumsPrinted(Printer::takeJobs()), QStringList{"TIMER-2"});
        QVERIFY(writeDataIni());
    }
};

CASHIER_WIDGET_TEST_MAIN(TestPrintOrders)
#include "tst_printorders.moc"
