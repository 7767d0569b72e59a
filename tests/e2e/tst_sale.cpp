// Whole sales against the demo gateway: amount on the keypad (or from the till's serial port),
// collect, a scanned payment code, the trade result, its receipt, and a room number.

#include "app/MainWindow.h"
#include "app/SerialPassThrough.h"
#include "collect/FormCS.h"
#include "collect/FormSaoMaShouKuan.h"
#include "collect/FormTradeInfo.h"
#include "config/AppConfigRecord.h"
#include "net/GatewayRequests.h"
#include "net/MoneyJournal.h"
#include "net/SessionData.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "GatewayCall.h"
#include "PseudoTerminal.h"
#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kWechatCode = QStringLiteral("134567890123456789");

// The texts of the message boxes shown from now until `count` have been shown (or 5 s passed).
QStringList waitForBoxes(int count)
{
    QStringList texts;
    QElapsedTimer clock;
    clock.start();
    while (texts.size() < count && clock.elapsed() < 5000) {
        for (const MessageBox::Shown& box : MessageBox::takeShown())
            texts << box.text;
        if (texts.size() < count)
            QTest::qWait(20);
    }
    return texts;
}

QString label(QWidget* window, const char* name)
{
    auto* l = window->findChild<QLabel*>(name);
    return l ? l->text() : QStringLiteral("<no %1>").arg(name);
}
} // namespace

class TestSale : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    int m_codeSerial = 0;

    // A fresh WeChat payment code: the gateway takes each code once.
    QString nextCode() { return QStringLiteral("1345678901234%1").arg(++m_codeSerial, 5, 10, QLatin1Char('0')); }

    static void clickKeys(FormSaoMaShouKuan* tab, const QString& keys)
    {
        static const QMap<QChar, const char*> buttons = {
            {'0', "zer_btn"}, {'1', "one_btn"}, {'2', "two_btn"},  {'3', "thr_btn"}, {'4', "fou_btn"},
            {'5', "fiv_btn"}, {'6', "six_btn"}, {'7', "sev_btn"},  {'8', "eig_btn"}, {'9', "nine_btn"},
            {'.', "dot_btn"}, {'+', "add_btn"}, {'=', "equal_btn"}};
        // A cashier's pace: the next key only once the last one is on the display, past the 50 ms
        // burst filter however busy the machine is.
        for (QChar key : keys) {
            const QString before = tab->amountText();
            tab->findChild<QPushButton*>(buttons.value(key))->click();
            QTRY_VERIFY_WITH_TIMEOUT(tab->amountText() != before, 5000);
        }
    }

    static FormCS* scanWindow(FormSaoMaShouKuan* tab)
    {
        const QList<FormCS*> open = tab->findChildren<FormCS*>();
        for (FormCS* window : open)
            if (window->isVisible())
                return window;
        return nullptr;
    }

    static FormTradeInfo* tradeResult()
    {
        for (FormTradeInfo* window : topLevelWindows<FormTradeInfo>())
            if (window->isVisible())
                return window;
        return nullptr;
    }

    // Types a code the way a scanner does, all at once, ended by Return.
    static void scan(FormCS* window, const QString& code)
    {
        QTest::keyClicks(window, code);
        QTest::keyClick(window, Qt::Key_Return);
    }

    QJsonArray rows(const QString& table)
    {
        return QJsonDocument::fromJson(m_gateway.adminGet("rows?table=" + table)).array();
    }

    // The till's port, COM9 (the default), leads to `device`; to nothing until cleanup().
    static void linkTill(const QString& device)
    {
        QFile::remove("ports/COM9");
        QVERIFY(QFile::link(device, "ports/COM9"));
    }

    QJsonObject orderRow(const QString& outTradeNo)
    {
        for (const QJsonValue& row : rows("orders"))
            if (row.toObject().value("out_trade_no").toString() == outTradeNo)
                return row.toObject();
        return QJsonObject();
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni(m_gateway, "printerName=CashierPDF\n"));
        MessageBox::setRecording(true);
        Printer::setRecording(Printer::Recording::InsteadOfPrinting);

        const GatewayCall login = callGateway(m_gateway.url(), gateway::loginBody("demo", "demo123"));
        QVERIFY(login.success);
        SessionData::instance().setUserInfo(login.content());
        const GatewayCall shops = callGateway(m_gateway.url(), gateway::listShopBody(SessionData::instance().token()));
        SessionData::instance().setCurrentShop(shops.content().value("listshop").toArray().at(0).toObject());
        QVERIFY(!SessionData::instance().shopId().isEmpty());

        // No serial ports unless a test links them.
        AppConfigRecord::instance() = AppConfigRecord();
        QDir().mkpath("ports");
        linkTill(m_dir->filePath("none"));
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
        AppConfigRecord::instance() = AppConfigRecord();
        linkTill(m_dir->filePath("none"));
    }

    void keypadSaleEndToEnd()
    {
        MainWindow window;
        MessageBox::takeShown(); // the missing software port
        window.show();
        FormSaoMaShouKuan* tab = window.collectionTab();
        QVERIFY(tab);
        clickKeys(tab, "12.34");
        QCOMPARE(tab->amountText(), QString("12.34"));

        tab->findChild<QPushButton*>("sk_btn")->click();
        FormCS* scanning = scanWindow(tab);
        QVERIFY(scanning);
        QCOMPARE(label(scanning, "lblMoney"), QString("12.34元"));

        const QString code = nextCode();
        scan(scanning, code);
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        FormTradeInfo* result = tradeResult();
        QCOMPARE(MessageBox::takeShown().size(), 0);

        // What was sent, and what the result window shows.
        const QJsonObject sent = gatewayRequestFields(m_gateway, "Pay.Ace.scanpay");
        QCOMPARE(sent.value("auth_code").toString(), code);
        QCOMPARE(sent.value("money").toString(), QString("1234"));
        QCOMPARE(sent.value("uid").toString(), SessionData::instance().userId());
        QCOMPARE(sent.value("shopid").toString(), SessionData::instance().shopId());
        QCOMPARE(label(result, "label_money"), QString("￥12.34"));
        QCOMPARE(label(result, "label_pay_way"), QString("微信"));
        const QString orderNo = label(result, "label_sys_order");
        QVERIFY(!orderNo.isEmpty());
        QCOMPARE(orderRow(orderNo).value("money").toInt(), 1234);
        QVERIFY(tab->amountText().isEmpty());
        QVERIFY(!scanWindow(tab));

        // The receipt went to the printer, and the gateway heard of it.
        const QList<Printer::Job> jobs = Printer::takeJobs();
        QCOMPARE(jobs.size(), 1);
        QVERIFY(jobs.at(0).html.contains(QStringLiteral("交易金额(RMB)：￥12.34")));
        QVERIFY(jobs.at(0).html.contains(orderNo));
        QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, "Account.Print.doprint").size(), 1, 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, "Account.Print.doprint").value("no").toString(), orderNo);

        // A room number registered from the result window, stored against the order.
        QPointer<FormTradeInfo> alive(result);
        result->findChild<QLineEdit*>("noEdit")->setText("808");
        result->findChild<QPushButton*>("print_btn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull() || !alive->isVisible(), 5000);
        bool stored = false;
        for (const QJsonValue& card : rows("cards"))
            stored = stored || card.toObject().value("cardno").toString() == "808";
        QVERIFY(stored);
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void amountFromTheTillCollectedWhenTheWindowIsCalledUp()
    {
        PseudoTerminal till;
        linkTill(till.devicePath());
        AppConfigRecord::instance().centsMode = AppConfigRecord::RoundCents;
        MainWindow window;
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QVERIFY(till.write("\x1bQA8.86\r"));
        QTRY_COMPARE_WITH_TIMEOUT(window.collectionTab()->amountText(), QString("8.86"), 3000);

        // Alt+Z (or the tray) calls the window up: the amount goes straight to collection.
        window.showWindow();
        FormCS* scanning = scanWindow(window.collectionTab());
        QVERIFY(scanning);
        QCOMPARE(label(scanning, "lblMoney"), QString("8.9元"));
        scan(scanning, nextCode());
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, "Pay.Ace.scanpay").value("money").toString(), QString("890"));

        // Calling it up again does not collect a second time.
        window.showWindow();
        QVERIFY(!scanWindow(window.collectionTab()));
    }

    // The gateway's refusal is on screen, in its own loop, when the till sends the next amount. The
    // refused sale's window stays under the box; after the box it gives way and the new amount is
    // collected at the next call-up.
    void anAmountArrivingDuringARefusalIsCollectedAfterIt()
    {
        const auto restoreLoops = qScopeGuard([was = MessageBox::runsLoops()] { MessageBox::setRunLoops(was); });
        MessageBox::setRunLoops(true);
        PseudoTerminal till;
        linkTill(till.devicePath());
        MainWindow window;
        QVERIFY(till.write("\x1bQA3.00\r"));
        QTRY_COMPARE_WITH_TIMEOUT(window.collectionTab()->amountText(), QString("3.00"), 3000);
        window.showWindow();
        QPointer<FormCS> refused = scanWindow(window.collectionTab());
        QVERIFY(refused);
        QSignalSpy amounts(window.serial(), &SerialPassThrough::amountReceived);

        bool arrivedDuringBox = false;
        bool openDuringBox = false;
        QString keypadDuringBox;
        MessageBox::setWhileOpen([&](const MessageBox::Shown&) {
            till.write("\x1bQA4.00\r");
            arrivedDuringBox = QTest::qWaitFor([&] { return !amounts.isEmpty(); }, 5000);
            // What the amount sets off (a deferred deletion among it) is carried out here.
            QTest::qWait(50);
            openDuringBox = refused && refused->isVisible();
            keypadDuringBox = window.collectionTab()->amountText();
        });
        scan(refused, "134567890123450000");
        QCOMPARE(waitForBoxes(1), QStringList{QString("用户余额不足，请顾客更换付款方式")});
        QVERIFY(arrivedDuringBox);
        QCOMPARE(amounts.size(), 1);
        QVERIFY(openDuringBox);
        QCOMPARE(keypadDuringBox, QString("3.00"));

        QTRY_VERIFY(refused.isNull());
        QCOMPARE(window.collectionTab()->amountText(), QString("4.00"));
        window.showWindow();
        FormCS* next = scanWindow(window.collectionTab());
        QVERIFY(next);
        QCOMPARE(next->moneyFen(), qint64(400));
        scan(next, nextCode());
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, "Pay.Ace.scanpay", 1).value("money").toString(), QString("400"));
    }

    void secondReturnWhileWaitingDoesNotChargeTwice()
    {
        FormSaoMaShouKuan tab;
        tab.setAmountText("20.00");
        tab.startCollection();
        FormCS* scanning = scanWindow(&tab);
        QVERIFY(scanning);
        QVERIFY(!m_gateway.adminPost("delay?action=Pay.Ace.scanpay&ms=600").isNull());
        const QString code = nextCode();
        scan(scanning, code);
        // The scanner sends its Return again, the cashier presses Return too, then Escape and the
        // close button: the payment on its way is neither sent twice nor forgotten.
        QTest::keyClick(scanning, Qt::Key_Return);
        scan(scanning, code);
        QTest::keyClick(scanning, Qt::Key_Escape);
        scanning->findChild<QPushButton*>("close_btn")->click();
        QVERIFY(scanning->isVisible());
        // Meanwhile the next sale's amount replaces the display: the success does not clear it.
        tab.setAmountText("35.00");
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        QTest::qWait(300);
        QCOMPARE(gatewayRequests(m_gateway, "Pay.Ace.scanpay").size(), 1);
        QCOMPARE(tab.amountText(), QString("35.00"));
    }

    void failuresLeaveTheWindowReadyForAnotherScan()
    {
        FormSaoMaShouKuan tab;
        tab.setAmountText("5");
        tab.startCollection();
        QPointer<FormCS> scanning = scanWindow(&tab);
        QVERIFY(scanning);

        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&status=500&type=text/html", "<html>down</html>")
                     .isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1), QStringList{QString("客户尚未输入密码或网络异常！请查看本机网络或者重新收款！")});
        QVERIFY(scanning && scanning->isVisible());

        // The gateway's refusal is shown as it is.
        scan(scanning, "134567890123450000");
        QCOMPARE(waitForBoxes(1), QStringList{QString("用户余额不足，请顾客更换付款方式")});

        // A reply that is not JSON says no more than no reply; still waiting.
        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&type=text/plain", "oops").isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1), QStringList{QString("客户尚未输入密码或网络异常！请查看本机网络或者重新收款！")});

        // Empty code: sent empty, refused by the gateway.
        QTest::keyClick(scanning, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, "Pay.Ace.scanpay").size(), 4, 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, "Pay.Ace.scanpay", 3).value("auth_code").toString(), QString());
        QCOMPARE(waitForBoxes(1), QStringList{"请扫描顾客的付款码"});

        // Escape closes without anything sent.
        QTest::keyClick(scanning, Qt::Key_Escape);
        QTRY_VERIFY(scanning.isNull() || !scanning->isVisible());
        QCOMPARE(tab.amountText(), QString("5"));
    }

    // A charge whose reply was lost is looked for before the sale is charged again: found and
    // confirmed, it completes the sale; declined, or really failed, the new scan goes out; when the
    // gateway cannot be asked, the cashier is warned and that scan is not sent.
    void aChargeWithoutReplyIsNeverCollectedTwiceSilently()
    {
        const auto charges = [this] { return gatewayRequests(m_gateway, "Pay.Ace.scanpay").size(); };
        const auto checks = [this] { return gatewayRequests(m_gateway, "Account.Pay.listPay").size(); };
        const QString noReply = QStringLiteral("客户尚未输入密码或网络异常！请查看本机网络或者重新收款！");
        const auto openSale = [](FormSaoMaShouKuan& tab, const QString& amount) {
            tab.setAmountText(amount);
            tab.startCollection();
            return QPointer<FormCS>(scanWindow(&tab));
        };
        FormSaoMaShouKuan tab;

        // The gateway takes the money but the till hears 502; the window is closed and opened again
        // for the same amount. The next scan asks first, and the cashier confirms the order found.
        QPointer<FormCS> scanning = openSale(tab, "6.01");
        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&status=502&execute=1", "bad gateway").isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1), QStringList{noReply});
        QTest::keyClick(scanning, Qt::Key_Escape);
        QTRY_VERIFY(scanning.isNull());
        scanning = openSale(tab, "6.01");
        MessageBox::setNextAnswer(MessageBox::Accepted);
        scan(scanning, nextCode());
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        const QList<MessageBox::Shown> asked = MessageBox::takeShown();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).buttons, (QStringList{"是(&Y)", "否(&N)"}));
        QVERIFY(asked.at(0).withoutDefault);
        QVERIFY2(asked.at(0).text.contains("￥6.01"), qPrintable(asked.at(0).text));
        const QString paid = label(tradeResult(), "label_sys_order");
        QVERIFY2(asked.at(0).text.contains(paid), qPrintable(asked.at(0).text));
        QCOMPARE(label(tradeResult(), "label_money"), QString("￥6.01"));
        QCOMPARE(charges(), 1);
        QCOMPARE(checks(), 1);
        QCOMPARE(orderRow(paid).value("money").toInt(), 601);
        QCOMPARE(Printer::takeJobs().size(), 1); // the receipt, as after any payment
        deleteWindows<FormTradeInfo>();
        QVERIFY(!scanWindow(&tab));

        // The same again, but the order found is another till's: declined, the new scan is charged.
        // A payment this client saw complete is never offered.
        scanning = openSale(tab, "6.01");
        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&status=502&execute=1", "bad gateway").isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1), QStringList{noReply});
        MessageBox::setNextAnswer(MessageBox::Rejected);
        scan(scanning, nextCode());
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        const QList<MessageBox::Shown> declined = MessageBox::takeShown();
        QCOMPARE(declined.size(), 1);
        QVERIFY(!declined.at(0).text.contains(paid));
        QCOMPARE(charges(), 3);
        deleteWindows<FormTradeInfo>();

        // A charge that really failed: nothing of that amount at the gateway, the next scan goes out
        // without a question.
        scanning = openSale(tab, "6.02");
        const int checksBefore = checks();
        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&status=500&type=text/html", "<html>down</html>")
                     .isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1), QStringList{noReply});
        scan(scanning, nextCode());
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(charges(), 5);
        QVERIFY(checks() > checksBefore); // every page of the shop's payments around it
        deleteWindows<FormTradeInfo>();

        // The gateway cannot be asked: the cashier is told to look at the list, the scan is not sent;
        // the one after it is.
        scanning = openSale(tab, "6.03");
        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&status=502&execute=1", "bad gateway").isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1), QStringList{noReply});
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.listPay&status=500", "").isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1),
                 QStringList{QStringLiteral(
                     "上一笔收款的结果未知，顾客可能已经付款。请先在交易列表中核对该笔交易，再重新扫码收款")});
        QCOMPARE(charges(), 6);
        QVERIFY(scanning && scanning->isVisible());
        scan(scanning, nextCode());
        QTRY_COMPARE_WITH_TIMEOUT(charges(), 7, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
    }

    // A charge whose outcome was never learnt outlives the program (the journal read back as at the
    // next start) and the sales after it: the next charge at the shop, of any amount, finds it
    // behind a full page of later payments and asks about it first, by click only.
    void anUnknownChargeOutlivesARestartAndLaterSales()
    {
        FormSaoMaShouKuan tab;
        tab.setAmountText("7.77");
        tab.startCollection();
        QPointer<FormCS> scanning = scanWindow(&tab);
        QVERIFY(!m_gateway.adminPost("respond?action=Pay.Ace.scanpay&status=502&execute=1", "bad gateway").isNull());
        scan(scanning, nextCode());
        QCOMPARE(waitForBoxes(1).size(), 1);
        QTest::keyClick(scanning, Qt::Key_Escape);
        QTRY_VERIFY(scanning.isNull());
        for (int i = 0; i < 21; ++i)
            QVERIFY(!payAtCurrentShop(m_gateway, nextCode(), 100).isEmpty());
        const int chargesBefore = gatewayRequests(m_gateway, "Pay.Ace.scanpay").size();
        MoneyJournal::setPathForTesting("journal.json");

        tab.setAmountText("3");
        tab.startCollection();
        scanning = scanWindow(&tab);
        MessageBox::setNextAnswer(MessageBox::Accepted);
        scan(scanning, nextCode());
        QTRY_VERIFY_WITH_TIMEOUT(tradeResult(), 5000);
        const QList<MessageBox::Shown> asked = MessageBox::takeShown();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.at(0).withoutDefault);
        QVERIFY2(asked.at(0).text.contains("￥7.77") && asked.at(0).text.contains("这是那一笔收款吗"),
                 qPrintable(asked.at(0).text));
        // That one settled, this sale is charged as usual.
        QCOMPARE(label(tradeResult(), "label_money"), QString("￥3.00"));
        QCOMPARE(gatewayRequests(m_gateway, "Pay.Ace.scanpay").size(), chargesBefore + 1);
        QVERIFY(gatewayRequests(m_gateway, "Account.Pay.listPay").size() >= 2); // it lay on page 2 or later
        QVERIFY(MoneyJournal::instance().unresolved(MoneyJournal::Kind::Charge).isEmpty());
    }

    void keypadEnterIsPartOfTheCode()
    {
        FormSaoMaShouKuan tab;
        tab.setAmountText("1");
        tab.startCollection();
        FormCS* scanning = scanWindow(&tab);
        QTest::keyClicks(scanning, "1345");
        QTest::keyClick(scanning, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(scanning, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, "Pay.Ace.scanpay").size(), 1, 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, "Pay.Ace.scanpay").value("auth_code").toString(), QString("1345\r"));
        QCOMPARE(waitForBoxes(1), QStringList{"无效的付款码"});
    }

    void collectWarnings_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty") << ""
                               << "请输入收款金额";
        QTest::newRow("zero") << "0"
                              << "收款金额不能为0";
        QTest::newRow("0.0") << "0.0"
                             << "收款金额不能为0";
        QTest::newRow("0.00") << "0.00"
                              << "收款金额不能为0";
        QTest::newRow("absurdly long") << QString(30, QLatin1Char('9')) << "收款金额过大，请重新输入";
        QTest::newRow("two points from a till") << "1.2.3"
                                                << "收款金额格式不正确，请重新输入";
        QTest::newRow("0.000 opens") << "0.000"
                                     << "";
        QTest::newRow("00 opens") << "00"
                                  << "";
    }
    void collectWarnings()
    {
        QFETCH(QString, amount);
        QFETCH(QString, warning);
        FormSaoMaShouKuan tab;
        tab.setAmountText(amount);
        tab.startCollection();
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        if (warning.isEmpty()) {
            QCOMPARE(shown.size(), 0);
            QVERIFY(scanWindow(&tab));
            QCOMPARE(label(scanWindow(&tab), "lblMoney"), QString("0元"));
        } else {
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.at(0).title, QString("提示信息"));
            QCOMPARE(shown.at(0).text, warning);
            QVERIFY(!scanWindow(&tab));
        }
    }

    void resultAmountByChannel_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("money");
        QTest::addColumn<QString>("method");
        QTest::newRow("alipay number") << QByteArray("{\"pay_channel\":\"ALIPAY\",\"money\":1234}") << "￥12.34"
                                       << "支付宝";
        QTest::newRow("alipay text reads 0")
            << QByteArray("{\"pay_channel\":\"ALIPAY\",\"money\":\"1234\"}") << "￥0.00"
            << "支付宝";
        QTest::newRow("wechat text") << QByteArray("{\"pay_channel\":\"WECHAT\",\"money\":\"1\"}") << "￥0.01"
                                     << "微信";
        QTest::newRow("wechat number reads 0") << QByteArray("{\"pay_channel\":\"WECHAT\",\"money\":1}") << "￥0.00"
                                               << "微信";
        QTest::newRow("other channel") << QByteArray("{\"pay_channel\":\"JDPAY\",\"money\":\"250\"}") << "￥2.50"
                                       << "微信";
        QTest::newRow("missing") << QByteArray("{}") << "￥0.00"
                                 << "微信";
    }
    void resultAmountByChannel()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, money);
        QFETCH(QString, method);
        QVERIFY(writeDataIni(m_gateway,
                             "printerName=" + QTextCodec::codecForName("GB2312")->fromUnicode("不打印小票") + "\n"));
        {
            FormTradeInfo result(QJsonDocument::fromJson(content).object());
            QCOMPARE(label(&result, "label_money"), money);
            QCOMPARE(label(&result, "label_pay_way"), method);
        }
        // No printer wanted: nothing printed, the gateway not told.
        QCOMPARE(Printer::takeJobs().size(), 0);
        QVERIFY(writeDataIni(m_gateway, "printerName=CashierPDF\n"));
    }

    void roomNumberFailureKeepsTheWindow()
    {
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.docard&status=500", "{}").isNull());
        auto* result = new FormTradeInfo(QJsonObject{{"out_trade_no", "NOPE"}, {"pay_channel", "WECHAT"}});
        QPointer<FormTradeInfo> alive(result);
        result->show();
        result->findChild<QLineEdit*>("noEdit")->setText("9&=1");
        result->findChild<QPushButton*>("pushButton")->click();
        QCOMPARE(waitForBoxes(1), QStringList{QString("保存失败，请重试")});
        QVERIFY(alive && alive->isVisible());

        // Status 200 with "{}" is no answer of the gateway: not stored either.
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.docard", "{}").isNull());
        result->findChild<QPushButton*>("pushButton")->click();
        QCOMPARE(waitForBoxes(1), QStringList{QString("保存失败，请重试")});
        QVERIFY(alive && alive->isVisible());

        // An empty room field just closes.
        result->findChild<QLineEdit*>("noEdit")->clear();
        result->findChild<QPushButton*>("close_btn")->click();
        QTRY_VERIFY(alive.isNull() || !alive->isVisible());
    }
};

CASHIER_WIDGET_TEST_MAIN(TestSale)
#include "tst_sale.moc"
