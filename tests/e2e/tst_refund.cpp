// Refunding from the transaction list against the demo gateway: part and then the rest of an order
// with items handed back, amounts refused before anything is sent, a wrong refund password, and a
// refund whose answer never arrives.

#include "config/AppConfigRecord.h"
#include "core/SettingsPage.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/MoneyJournal.h"
#include "net/QueryReplies.h"
#include "net/RefundOperation.h"
#include "net/SessionData.h"
#include "query/RefundSureDialog.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "GatewayCall.h"
#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
const QString kRefund = QStringLiteral("Account.Pay.refund");

} // namespace

class TestRefund : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    QPointer<RefundSureDialog> m_dialog;
    QList<MessageBox::Shown> m_boxes;
    int m_codes = 0;

    // A real payment of `fen` with `items` registered on it; its out_trade_no.
    QString payWithItems(qint64 fen, const QString& items)
    {
        const QString code = QStringLiteral("1345678901234%1").arg(++m_codes + 10000);
        const QString outTradeNo = gateway::jsonText(payAtCurrentShop(m_gateway, code, fen).value("out_trade_no"));
        if (!items.isEmpty())
            callGateway(m_gateway.url(), gateway::doCardBody(SessionData::instance().token(), outTradeNo, items));
        return outTradeNo;
    }

    // The order as the query tab lists it.
    QJsonObject listedOrder(const QString& outTradeNo)
    {
        gateway::ListPayQuery query;
        query.tradeNo = outTradeNo;
        const GatewayCall page =
            callGateway(m_gateway.url(), gateway::listPayBody(SessionData::instance().token(), query));
        return page.content().value("listpay").toArray().at(0).toObject();
    }

    // Opens the dialog the way the query tab does, and waits for its item list (when items are on).
    RefundSureDialog* open(const QString& outTradeNo, int items)
    {
        const QJsonObject order = listedOrder(outTradeNo);
        m_dialog = new RefundSureDialog(nullptr, query::readOrder(order));
        m_dialog->show();
        if (items > 0)
            [&] { QTRY_COMPARE_WITH_TIMEOUT(itemBoxes().size(), items, 5000); }();
        else
            [&] { QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, "Account.Pay.cards").size(), 1, 5000); }();
        return m_dialog;
    }

    QList<QCheckBox*> itemBoxes() const
    {
        return m_dialog->findChild<QWidget*>("scrollAreaWidgetContents")->findChildren<QCheckBox*>();
    }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(name); }
    void type(const QString& amount, const QString& password)
    {
        m_dialog->findChild<QLineEdit*>("txtmoney")->setText(amount);
        m_dialog->findChild<QLineEdit*>("txtpwd")->setText(password);
    }

    QList<MessageBox::Shown> boxes()
    {
        m_boxes += MessageBox::takeShown();
        return m_boxes;
    }
    QStringList boxTexts()
    {
        QStringList texts;
        for (const MessageBox::Shown& box : boxes())
            texts.append(box.title + "|" + box.text);
        return texts;
    }

    QJsonObject storedRow(const QString& table, const char* key, const QJsonValue& value)
    {
        const QJsonArray rows = QJsonDocument::fromJson(m_gateway.adminGet("rows?table=" + table)).array();
        for (const QJsonValue& row : rows)
            if (row.toObject().value(key).toVariant() == value.toVariant())
                return row.toObject();
        return QJsonObject();
    }
    qint64 storedRefunded(const QString& outTradeNo)
    {
        return storedRow("orders", "out_trade_no", outTradeNo).value("refunded").toVariant().toLongLong();
    }
    // The item numbers of the order the gateway has marked handed back.
    QStringList handedBack(const QString& outTradeNo)
    {
        const QJsonValue orderId = storedRow("orders", "out_trade_no", outTradeNo).value("id");
        QStringList numbers;
        const QJsonArray rows = QJsonDocument::fromJson(m_gateway.adminGet("rows?table=cards")).array();
        for (const QJsonValue& row : rows)
            if (row.toObject().value("order_id").toVariant() == orderId.toVariant() &&
                row.toObject().value("state").toVariant().toInt() == 1)
                numbers.append(row.toObject().value("cardno").toString());
        return numbers;
    }
    int refundsSent() { return gatewayRequests(m_gateway, kRefund).size(); }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
        QVERIFY(logInAsDemo(m_gateway));
        AppConfigRecord::instance().refundEnabled = true;
        AppConfigRecord::instance().cardEnabled = true;
        AppConfigRecord::instance().itemName = QStringLiteral("手牌");
        MessageBox::setRecording(true);
        Printer::setRecording(Printer::Recording::InsteadOfPrinting);
    }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
        MessageBox::takeShown();
        Printer::takeJobs();
        m_boxes.clear();
    }

    void cleanup()
    {
        deleteWindows<RefundSureDialog>();
        HttpFun::setTimeoutForTesting(0);
    }

    void partThenTheRestWithItemsHandedBack()
    {
        QStringList dozen;
        for (int i = 1; i <= 12; ++i)
            dozen.append(QStringLiteral("S%1").arg(i));
        const QString no = payWithItems(5000, dozen.join(','));

        // First part: two items back.
        open(no, 12);
        QCOMPARE(m_dialog->findChild<QLabel*>("lblmoney")->text(), QString("50.00"));
        // Four lines of items: the dialog grows by 90, the last lines scroll.
        QCOMPARE(m_dialog->height(), 329 + 90);
        QCOMPARE(m_dialog->findChild<QScrollArea*>("scll")->height(), 120);
        QCOMPARE(itemBoxes().at(11)->y(), 5 + 90);
        // ... but four lines still fit: no scroll bar over an empty strip.
        const QScrollArea* list = m_dialog->findChild<QScrollArea*>("scll");
        QVERIFY(list->widget()->height() <= list->viewport()->height());
        if (!qEnvironmentVariableIsEmpty("REFUND_DIALOG_PNG")) {
            type("20.00", "123456");
            itemBoxes().at(0)->setChecked(true);
            m_dialog->grab().save(qEnvironmentVariable("REFUND_DIALOG_PNG"));
        }
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        itemBoxes().at(0)->setChecked(true);
        itemBoxes().at(1)->setChecked(true);
        type("20.00", "123456");
        button("btnOk")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(boxTexts(), QStringList{QStringLiteral("温馨提示|退款成功")});
        QCOMPARE(storedRefunded(no), 2000);
        QCOMPARE(handedBack(no), (QStringList{"S1", "S2"}));
        QList<Printer::Job> jobs = Printer::takeJobs();
        QCOMPARE(jobs.size(), 1);
        QVERIFY(jobs.at(0).html.contains(QStringLiteral("退款金额(RMB)：￥20.00")));
        QVERIFY(jobs.at(0).html.contains(QStringLiteral("系统单号：") + no));

        // The rest: the items handed back stay as they are, and the amount is checked against what is left.
        open(no, 12);
        QCOMPARE(itemBoxes().at(0)->isEnabled(), false);
        QCOMPARE(itemBoxes().at(1)->isEnabled(), false);
        m_dialog->findChild<QCheckBox*>("cbkAll")->click();
        for (QCheckBox* box : itemBoxes())
            QCOMPARE(box->isChecked(), box->isEnabled());
        m_boxes.clear();
        type("30.01", "123456");
        button("btnOk")->click();
        type("0", "123456");
        button("btnOk")->click();
        QCOMPARE(boxTexts(), (QStringList{QStringLiteral("温馨提示|退款金额不能大于可退金额30.00元哦"),
                                          QStringLiteral("温馨提示|退款金额不能小于0.01元哦")}));
        QCOMPARE(refundsSent(), 1);

        m_boxes.clear();
        QSignalSpy finishedRest(m_dialog.data(), &QDialog::finished);
        type("30", "123456");
        button("btnOk")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finishedRest.size(), 1, 5000);
        QCOMPARE(boxTexts(), QStringList{QStringLiteral("温馨提示|退款成功")});
        QCOMPARE(storedRefunded(no), 5000);
        QCOMPARE(gatewayRequestFields(m_gateway, kRefund, 1).value("cardno").toString(), dozen.mid(2).join(',') + ',');
        QCOMPARE(handedBack(no).size(), 12);
        jobs = Printer::takeJobs();
        QCOMPARE(jobs.size(), 1);
        QVERIFY(jobs.at(0).html.contains(QStringLiteral("退款金额(RMB)：￥30.00")));
    }

    void wrongPasswordLeadsToTheRefundPasswordPage()
    {
        const QString no = payWithItems(800, QString());
        // A 200 that is no answer of the gateway does not say "nothing registered".
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.cards", "{}").isNull());
        open(no, 0);
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{QStringLiteral("错误提示|数据查询失败，请检查网络设置")},
                                  5000);
        m_dialog->close();
        m_boxes.clear();
        QVERIFY(!m_gateway.adminPost("reset").isNull());

        open(no, 0);
        QSignalSpy pages(m_dialog.data(), &RefundSureDialog::settingsPageRequested);
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{QStringLiteral("错误提示|没有查到手牌信息")}, 5000);

        // No item ticked: the cashier is asked, and "否" sends nothing.
        m_boxes.clear();
        type("8", "000000");
        button("btnOk")->click();
        QCOMPARE(boxTexts(), QStringList{QStringLiteral("操作提示|没有选择任何手牌，要继续退款吗？")});
        QTest::qWait(200);
        QCOMPARE(refundsSent(), 0);

        m_boxes.clear();
        MessageBox::setNextAnswer(MessageBox::Accepted);
        button("btnOk")->click();
        QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 1, 5000);
        QCOMPARE(pages.at(0).at(0).value<SettingsPage>(), SettingsPage::RefundPasswordChange);
        QCOMPARE(boxTexts().last(), QStringLiteral("温馨提示|退款密码错误"));
        QVERIFY(button("btnOk")->isEnabled());
        QVERIFY(button("btnOk1")->isEnabled());
        QCOMPARE(storedRefunded(no), 0);

        button("pushButton")->click();
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages.at(1).at(0).value<SettingsPage>(), SettingsPage::RefundPasswordForgotten);

        // Retried with the right password, on a printer that has gone: refunded, the cashier told
        // that no receipt came out.
        QVERIFY(writeDataIni(m_gateway, printerLine("OldReceiptPrinter")));
        m_boxes.clear();
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        type("8", "123456");
        MessageBox::setNextAnswer(MessageBox::Accepted);
        button("btnOk")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(storedRefunded(no), 800);
        QCOMPARE(boxTexts().mid(1),
                 (QStringList{QStringLiteral("提示信息|当前没有设置可用打印机,如需打印请先设置打印机"),
                              QStringLiteral("温馨提示|退款成功")}));
        QCOMPARE(Printer::takeJobs().size(), 0);
    }

    void unansweredRefundIsNeverSentTwice_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("refunded"); // what the gateway did meanwhile
        QTest::newRow("refunded, then HTTP 502")
            << "respond?action=" + kRefund + "&status=502&execute=1&count=0" << 0 << qint64(300);
        QTest::newRow("no answer within the timeout")
            << "delay?action=" + kRefund + "&ms=3000&count=0" << 500 << qint64(0);
    }
    void unansweredRefundIsNeverSentTwice()
    {
        QFETCH(QString, control);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, refunded);
        const QString no = payWithItems(900, "U1");
        open(no, 1);
        QVERIFY(!m_gateway.adminPost(control).isNull());
        HttpFun::setTimeoutForTesting(timeoutMs);
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        itemBoxes().at(0)->setChecked(true);
        type("3", "123456");
        m_dialog->activateWindow();
        QTRY_VERIFY(m_dialog->isActiveWindow());
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Return);
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
        if (timeoutMs > 0) {
            // While it is out the dialog stays: neither Escape, "取消" nor the window's close
            // abandons it.
            QTRY_COMPARE_WITH_TIMEOUT(refundsSent(), 1, 5000);
            QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Escape);
            button("btnCancel")->click();
            m_dialog->close();
            QVERIFY(m_dialog->isVisible());
            QCOMPARE(finished.size(), 0);
        }

        const QString unknown =
            QStringLiteral("温馨提示|退款结果未知，网关可能已经退款哦。请关闭窗口，在交易列表中核对该订单后"
                           "再决定是否重新退款");
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{unknown}, 5000);
        QVERIFY(!button("btnOk")->isEnabled());
        QVERIFY(!button("btnOk1")->isEnabled());
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Return);
        QTest::qWait(300);
        QCOMPARE(refundsSent(), 1);
        QCOMPARE(storedRefunded(no), refunded);
        QCOMPARE(finished.size(), 0);

        button("btnCancel")->click();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(boxes().size(), 1);

        // Its row offers no refund until the list shows what happened: at once when the refunded
        // amount grew, otherwise once the gateway can no longer be making it.
        const QVector<Order> listed{query::readOrder(listedOrder(no))};
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(MoneyJournal::instance().unresolvedRefund(no).isValid());
        QCOMPARE(RefundOperation::reconcile(listed, now).contains(no), refunded == 0);
        QVERIFY(RefundOperation::reconcile(listed, now.addSecs(RefundOperation::kSettleSeconds + 1)).isEmpty());
        QVERIFY(!MoneyJournal::instance().unresolvedRefund(no).isValid());
    }
};

CASHIER_WIDGET_TEST_MAIN(TestRefund)
#include "tst_refund.moc"
