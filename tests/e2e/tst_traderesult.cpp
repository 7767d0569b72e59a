// The trade result window against the demo gateway and the test printer: what it shows, what its
// receipt says line by line, when the gateway is told the receipt was printed, and its keys.

#include "collect/FormTradeInfo.h"
#include "net/GatewayRequests.h"
#include "net/SessionData.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "GatewayCall.h"
#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCodec>
#include <QtTest>

namespace {
QJsonObject paymentReply(const QString& channel, const QJsonValue& money)
{
    return QJsonObject{
        {"operator", "OPERATOR-7"},   {"shopname", "SHOP-3"},         {"pay_date", "2026-12-08 09:15:02"},
        {"out_trade_no", "SYS-0042"}, {"pay_channel", channel},       {"money", money},
        {"trade_no", "TRADE-9981"},   {"msg", QStringLiteral("成功")}};
}

// The receipt's lines as printed: tags dropped, one entry per line break, blank lines left out.
QStringList receiptLines(const QString& html)
{
    QStringList lines;
    for (QString line : html.split(QStringLiteral("<br>"))) {
        line.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        line.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
        line = line.trimmed();
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

} // namespace

class TestTradeResult : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    QJsonObject m_paid; // the reply of a real payment, so that a room number can be registered

    int doPrints() { return gatewayRequests(m_gateway, "Account.Print.doprint").size(); }

    static QString label(QWidget* window, const char* name) { return window->findChild<QLabel*>(name)->text(); }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
        QVERIFY(logInAsDemo(m_gateway));
        m_paid = payAtCurrentShop(m_gateway, "134567890123400001", 100);
        QCOMPARE(m_paid.value("msg").toString(), QStringLiteral("成功"));
        MessageBox::setRecording(true);
        Printer::setRecording(Printer::Recording::InsteadOfPrinting);
    }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        MessageBox::takeShown();
        Printer::takeJobs();
    }

    void cleanup()
    {
        deleteWindows<FormTradeInfo>();
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
    }

    void everyFieldOnItsOwnReceiptLine_data()
    {
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QJsonValue>("money");
        QTest::addColumn<QString>("method");
        QTest::newRow("Alipay") << "ALIPAY" << QJsonValue(1234) << QStringLiteral("支付宝");
        QTest::newRow("WeChat") << "WECHAT" << QJsonValue("1234") << QStringLiteral("微信");
    }
    void everyFieldOnItsOwnReceiptLine()
    {
        QFETCH(QString, channel);
        QFETCH(QJsonValue, money);
        QFETCH(QString, method);
        FormTradeInfo result(paymentReply(channel, money));
        QCOMPARE(label(&result, "label_sk_md"), QString("SHOP-3"));
        QCOMPARE(label(&result, "label_operate"), QString("OPERATOR-7"));
        QCOMPARE(label(&result, "label_sys_order"), QString("SYS-0042"));
        QCOMPARE(label(&result, "label_trade_order"), QString("TRADE-9981"));

        // The window comes first; the receipt once it has been painted.
        QCOMPARE(Printer::takeJobs().size(), 0);
        result.show();
        QList<Printer::Job> jobs;
        QTRY_VERIFY_WITH_TIMEOUT(!(jobs += Printer::takeJobs()).isEmpty(), 5000);
        QTest::qWait(100);
        jobs += Printer::takeJobs();
        QCOMPARE(jobs.size(), 1);
        const QStringList lines = receiptLines(jobs.at(0).html);
        const QStringList expected = {
            QStringLiteral("收款门店：SHOP-3"),
            QStringLiteral("操作员：OPERATOR-7"),
            QStringLiteral("交易时间：2026-12-08 09:15:02"),
            QStringLiteral("系统单号：SYS-0042"),
            QStringLiteral("支付方式：") + method,
            QStringLiteral("交易金额(RMB)：￥12.34"),
        };
        const int first = lines.indexOf(expected.first());
        QVERIFY2(first > 0, qPrintable(lines.join(" | ")));
        QCOMPARE(lines.mid(first, expected.size()), expected);
        // The trade order number stands on its own line under its label.
        const int tradeLabel = lines.indexOf(QStringLiteral("交易订单号："));
        QVERIFY(tradeLabel > first);
        QCOMPARE(lines.value(tradeLabel + 1), QString("TRADE-9981"));

        // The gateway hears of the print, for the system order number.
        QTRY_COMPARE_WITH_TIMEOUT(doPrints(), 1, 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, "Account.Print.doprint").value("no").toString(), QString("SYS-0042"));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void aWindowGoneBeforeItsFirstPaintStillPrints()
    {
        delete new FormTradeInfo(paymentReply("WECHAT", "500"));
        QCOMPARE(Printer::takeJobs().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(doPrints(), 1, 5000);
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    // The program ends with the window neither painted nor deleted: the receipt still comes, once.
    void aWindowLeftOpenAtQuitStillPrintsOnce()
    {
        auto* result = new FormTradeInfo(paymentReply("WECHAT", "500"));
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
        QCOMPARE(Printer::takeJobs().size(), 1);
        delete result;
        QCOMPARE(Printer::takeJobs().size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(doPrints(), 1, 5000);
    }

    void noReceiptWithoutAPrinter_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<bool>("told");
        QTest::newRow("no printer chosen") << QString() << false;
        QTest::newRow("no receipts wanted") << QStringLiteral("不打印小票") << false;
        // Renamed or removed since it was chosen: the cashier must know the slip did not come out.
        QTest::newRow("printer not installed") << QStringLiteral("OldReceiptPrinter") << true;
    }
    void noReceiptWithoutAPrinter()
    {
        QFETCH(QString, printer);
        QFETCH(bool, told);
        QVERIFY(writeDataIni(m_gateway, printerLine(printer)));
        auto* result = new FormTradeInfo(paymentReply("WECHAT", "500"));
        result->show();
        QTest::qWait(300);
        QCOMPARE(Printer::takeJobs().size(), 0);
        QCOMPARE(doPrints(), 0);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        if (!told) {
            QCOMPARE(shown.size(), 0);
            return;
        }
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).icon, MessageBox::Warning);
        QCOMPARE(shown.at(0).title, QString("提示信息"));
        QCOMPARE(shown.at(0).text, QString("当前没有设置可用打印机,如需打印请先设置打印机"));
        QCOMPARE(shown.at(0).parent.data(), result);
    }

    void keys()
    {
        QVERIFY(writeDataIni(m_gateway, printerLine(QStringLiteral("不打印小票"))));
        struct Key
        {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        // Each closes the window when no room number is typed, and registers one when it is.
        for (const Key& key :
             {Key{"Escape", Qt::Key_Escape, Qt::NoModifier}, Key{"Return", Qt::Key_Return, Qt::NoModifier},
              Key{"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier}}) {
            auto* result = new FormTradeInfo(m_paid);
            QPointer<FormTradeInfo> alive(result);
            result->show();
            result->activateWindow();
            QTRY_VERIFY(result->isActiveWindow());
            QTest::keyClick(result->windowHandle(), key.key, key.modifiers);
            QTRY_VERIFY2(alive.isNull() || !alive->isVisible(), key.name);

            result = new FormTradeInfo(m_paid);
            alive = result;
            result->show();
            result->activateWindow();
            QTRY_VERIFY(result->isActiveWindow());
            const int before = gatewayRequests(m_gateway, "Account.Pay.docard").size();
            QTest::keyClicks(result->findChild<QLineEdit*>("noEdit"), "1208");
            QTest::keyClick(result->windowHandle(), key.key, key.modifiers);
            QTRY_VERIFY2(alive.isNull() || !alive->isVisible(), key.name);
            const QJsonArray cards = gatewayRequests(m_gateway, "Account.Pay.docard");
            QCOMPARE(cards.size(), before + 1);
            QCOMPARE(cards.last().toObject().value("fields").toObject().value("card").toString(), QString("1208"));
        }
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }
};

CASHIER_WIDGET_TEST_MAIN(TestTradeResult)
#include "tst_traderesult.moc"
