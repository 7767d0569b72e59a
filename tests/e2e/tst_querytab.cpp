// The transaction query tab against the demo gateway: a period's orders page by page with totals equal
// to what the gateway holds, the columns each switch combination gives, reprints, the item dialog, and
// failures.

#include "collect/CardDialog.h"
#include "config/AppConfigRecord.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "query/FormJiaoYiCX.h"
#include "query/RefundSureDialog.h"
#include "widgets/LoadingDialog.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "GatewayCall.h"
#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCodec>
#include <QtTest>

namespace {
QString text(QWidget* tab, const char* name)
{
    if (auto* label = tab->findChild<QLabel*>(name))
        return label->text();
    return QStringLiteral("<no %1>").arg(name);
}

QString yuan(qint64 fen)
{
    return QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

class TestQueryTab : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    QStringList m_paid; // out_trade_no of the payments made here, oldest first

    std::unique_ptr<FormJiaoYiCX> openTab()
    {
        auto tab = std::make_unique<FormJiaoYiCX>();
        tab->show();
        // A period that holds every order of the demo data and of this test.
        const QDateTime now = QDateTime::currentDateTime();
        tab->findChild<QDateTimeEdit*>("start_dateEdit")->setDateTime(now.addDays(-3));
        tab->findChild<QDateTimeEdit*>("end_dateEdit")->setDateTime(now.addDays(1));
        return tab;
    }

    static QPushButton* cellButton(FormJiaoYiCX* tab, int row, int column)
    {
        return qobject_cast<QPushButton*>(tab->findChild<QTableWidget*>("tableWidget")->cellWidget(row, column));
    }

    QJsonArray shopOrders()
    {
        QJsonArray mine;
        for (const QJsonValue& row : QJsonDocument::fromJson(m_gateway.adminGet("rows?table=orders")).array())
            if (row.toObject().value("shopid").toVariant().toString() == SessionData::instance().shopId())
                mine.append(row);
        return mine;
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
        QVERIFY(logInAsDemo(m_gateway));
        // A busy day: enough payments for two pages and more.
        for (int i = 0; i < 24; ++i) {
            const QJsonObject paid =
                payAtCurrentShop(m_gateway, QStringLiteral("1345678901234%1").arg(10001 + i), 100 + i);
            QCOMPARE(paid.value("msg").toString(), QStringLiteral("成功"));
            m_paid.append(paid.value("out_trade_no").toString());
        }
        // One of them refunded in full, one in part.
        for (const auto& [index, fen] : {std::pair<int, qint64>{23, 123}, {22, 50}}) {
            const GatewayCall refund =
                callGateway(m_gateway.url(),
                            gateway::refundBody(SessionData::instance().token(), fen, m_paid.at(index), "", "123456"));
            QCOMPARE(refund.top().value("code").toInt(), 1);
        }
        MessageBox::setRecording(true);
        Printer::setRecording(Printer::Recording::InsteadOfPrinting);
        AppConfigRecord::instance() = AppConfigRecord();
    }

    void init()
    {
        MessageBox::takeShown();
        Printer::takeJobs();
        AppConfigRecord::instance() = AppConfigRecord();
    }

    void aPeriodPageByPageWithTheGatewaysTotals()
    {
        auto tab = openTab();
        tab->findChild<QPushButton*>("query_btn")->click();

        const QJsonArray orders = shopOrders();
        qint64 paidFen = 0, refundedFen = 0;
        for (const QJsonValue& order : orders) {
            paidFen += order.toObject().value("money").toVariant().toLongLong();
            refundedFen += order.toObject().value("refunded").toVariant().toLongLong();
        }
        const int pages = (orders.size() + 19) / 20;
        QVERIFY(pages >= 2);
        QCOMPARE(text(tab.get(), "total_num"), QString::number(orders.size()));
        QCOMPARE(text(tab.get(), "sk_total"), yuan(paidFen));
        QCOMPARE(text(tab.get(), "total_rfee"), yuan(refundedFen));
        QCOMPARE(text(tab.get(), "total_page"), QString::number(pages));
        QCOMPARE(text(tab.get(), "current_page"), QString("1"));
        // The totals line stands out at 18 pt, and what it says fits.
        for (const char* name : {"label_7", "total_num", "label_10", "sk_total", "label_13", "total_rfee"}) {
            auto* label = tab->findChild<QLabel*>(name);
            QCOMPARE(label->font().pointSize(), 18);
            const QSize needed = label->sizeHint();
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(QStringLiteral("%1 needs %2x%3").arg(name).arg(needed.width()).arg(needed.height())));
        }

        // Newest first: the last payment made here heads the page, refunded in full.
        auto* table = tab->findChild<QTableWidget*>("tableWidget");
        const QJsonObject newest = SessionData::instance().orders().value(0);
        QCOMPARE(newest.value("out_trade_no").toString(), m_paid.last());
        QCOMPARE(table->item(0, 0)->text(), newest.value("trade_no").toString());
        QCOMPARE(table->item(0, 1)->text(), QString("1.23"));
        QCOMPARE(table->item(0, 2)->text(), QString("1.23"));
        QCOMPARE(table->item(1, 2)->text(), QString("0.50"));
        QVERIFY(table->item(19, 0) && !table->item(19, 0)->text().isEmpty());
        QVERIFY(!table->item(20, 0));

        // Paging walks to the last page and no further, showing each order of the period once; the
        // typed page is checked first.
        QSet<QString> seen;
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                tab->findChild<QPushButton*>("next_page_btn")->click();
            QCOMPARE(text(tab.get(), "current_page"), QString::number(page));
            for (const QJsonObject& order : SessionData::instance().orders())
                seen.insert(order.value("out_trade_no").toString());
        }
        QCOMPARE(seen.size(), orders.size());
        const int requests = gatewayRequests(m_gateway, "Account.Pay.listPay").size();
        tab->findChild<QPushButton*>("next_page_btn")->click();
        QCOMPARE(gatewayRequests(m_gateway, "Account.Pay.listPay").size(), requests);
        tab->findChild<QLineEdit*>("page_lineEdit")->setText(QString::number(pages + 1));
        tab->findChild<QPushButton*>("query_page_btn")->click();
        QCOMPARE(MessageBox::takeShown().value(0).text, QString("查询的页码大于总页码"));
        QCOMPARE(gatewayRequests(m_gateway, "Account.Pay.listPay").size(), requests);
        tab->findChild<QPushButton*>("up_page_btn")->click();
        QCOMPARE(tab->currentPage(), pages - 1);

        const QJsonObject sent = gatewayRequestFields(m_gateway, "Account.Pay.listPay", requests - 1);
        QCOMPARE(sent.value("page_num").toString(), QString("20"));
        QCOMPARE(sent.value("shopid").toString(), SessionData::instance().shopId());
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    // The busy box is the reply's to end: Escape or a close leaves it up, so the tab is back only with
    // the page asked for on screen, and the next query is sent, not dropped.
    void theBusyBoxWaitsForTheReply()
    {
        auto tab = openTab();
        QVERIFY(!m_gateway.adminPost("delay?action=Account.Pay.listPay&ms=500").isNull());
        bool dismissed = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            auto* busy = qobject_cast<LoadingDialog*>(QApplication::activeModalWidget());
            if (!busy)
                return;
            watch.stop();
            QTest::keyClick(busy, Qt::Key_Escape);
            busy->close();
            dismissed = !busy->isVisible();
        });
        watch.start(10);
        tab->findChild<QPushButton*>("query_btn")->click();
        QVERIFY(!dismissed);
        QVERIFY(!text(tab.get(), "total_page").isEmpty());

        const int requests = gatewayRequests(m_gateway, "Account.Pay.listPay").size();
        tab->findChild<QPushButton*>("next_page_btn")->click();
        QCOMPARE(gatewayRequests(m_gateway, "Account.Pay.listPay").size(), requests + 1);
        QCOMPARE(gatewayRequestFields(m_gateway, "Account.Pay.listPay", requests).value("p").toString(), QString("2"));
        QCOMPARE(text(tab.get(), "current_page"), QString("2"));
    }

    void columnsFollowTheSwitches_data()
    {
        QTest::addColumn<bool>("refunds");
        QTest::addColumn<bool>("items");
        QTest::addColumn<QStringList>("last");
        QTest::newRow("both") << true << true << QStringList{"退款", "手牌", "重打印"};
        QTest::newRow("refunds only") << true << false << QStringList{"交易时间", "退款", "重打印"};
        QTest::newRow("items only") << false << true << QStringList{"交易时间", "手牌", "重打印"};
        QTest::newRow("neither") << false << false << QStringList{"交易状态", "交易时间", "重打印"};
    }
    void columnsFollowTheSwitches()
    {
        QFETCH(bool, refunds);
        QFETCH(bool, items);
        QFETCH(QStringList, last);
        AppConfigRecord::instance().refundEnabled = refunds;
        AppConfigRecord::instance().cardEnabled = items;
        AppConfigRecord::instance().itemName = QStringLiteral("手牌");
        auto tab = openTab();
        auto* table = tab->findChild<QTableWidget*>("tableWidget");
        QStringList captions;
        for (int column = table->columnCount() - 3; column < table->columnCount(); ++column)
            captions << table->horizontalHeaderItem(column)->text();
        QCOMPARE(captions, last);
        QCOMPARE(tab->findChild<QLineEdit*>("txtCardNo")->isVisibleTo(tab.get()), items);

        tab->findChild<QPushButton*>("query_btn")->click();
        const int columns = table->columnCount();
        QCOMPARE(cellButton(tab.get(), 0, columns - 1)->text(), QString("重打印"));
        if (items)
            QCOMPARE(cellButton(tab.get(), 0, columns - 2)->text(), QString("手牌"));
        if (refunds) {
            QPushButton* refund = cellButton(tab.get(), 0, items ? columns - 3 : columns - 2);
            QCOMPARE(refund->text(), QString("已退款")); // the newest order was refunded in full
            QVERIFY(refund->isEnabled());
        }
    }

    void reprintsAndThePrinterGate()
    {
        auto tab = openTab();
        tab->findChild<QPushButton*>("query_btn")->click();
        const int reprint = tab->findChild<QTableWidget*>("tableWidget")->columnCount() - 1;
        cellButton(tab.get(), 0, reprint)->click(); // refunded
        cellButton(tab.get(), 2, reprint)->click(); // not refunded
        const QList<Printer::Job> jobs = Printer::takeJobs();
        QCOMPARE(jobs.size(), 2);
        QVERIFY(jobs.at(0).html.contains(QStringLiteral("移动收银台(重打印)-退款")));
        QVERIFY(!jobs.at(1).html.contains(QStringLiteral("-退款")));
        QVERIFY(jobs.at(1).html.contains(QStringLiteral("移动收银台(重打印)")));
        QVERIFY(jobs.at(1).html.contains(SessionData::instance().orders().value(2).value("trade_no").toString()));

        for (const QString& printer : {QStringLiteral("不打印小票"), QStringLiteral("OldReceiptPrinter")}) {
            QVERIFY(writeDataIni(m_gateway, printerLine(printer)));
            cellButton(tab.get(), 2, reprint)->click();
            QCOMPARE(Printer::takeJobs().size(), 0);
            QCOMPARE(MessageBox::takeShown().value(0).text, QString("当前没有设置可用打印机,如需打印请先设置打印机"));
        }
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));

        // The row's order is no longer known: the cashier is told, no slip of blanks comes out.
        SessionData::instance().clearOrders();
        cellButton(tab.get(), 2, reprint)->click();
        QCOMPARE(Printer::takeJobs().size(), 0);
        QCOMPARE(MessageBox::takeShown().value(0).text, QString("没有查到订单信息"));
    }

    void theItemDialogThenTheSamePageAgain()
    {
        AppConfigRecord::instance().cardEnabled = true;
        AppConfigRecord::instance().itemName = QStringLiteral("房间");
        auto tab = openTab();
        tab->findChild<QPushButton*>("query_btn")->click();
        const int before = gatewayRequests(m_gateway, "Account.Pay.listPay").size();
        const QString orderNo = SessionData::instance().orders().value(1).value("out_trade_no").toString();

        // The dialog runs modally: fill it in from inside its loop.
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CardDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            opened = true;
            dialog->findChild<QLineEdit*>("txtCardNo")->setText("A&B 8");
            dialog->findChild<QPushButton*>("btnOk")->click();
        });
        const int itemColumn = tab->findChild<QTableWidget*>("tableWidget")->columnCount() - 2;
        cellButton(tab.get(), 1, itemColumn)->click();
        QVERIFY(opened);
        QCOMPARE(gatewayRequests(m_gateway, "Account.Pay.listPay").size(), before + 1);
        const QJsonObject sent = gatewayRequestFields(m_gateway, "Account.Pay.docard",
                                                      gatewayRequests(m_gateway, "Account.Pay.docard").size() - 1);
        QCOMPARE(sent.value("no").toString(), orderNo);
        QCOMPARE(sent.value("card").toString(), QString("A&B 8"));
        // The refreshed page shows the registered item.
        QCOMPARE(SessionData::instance().orders().value(1).value("cardno").toString(), QString("A&B 8"));
    }

    void aRefundFromTheListThenTheListAgain()
    {
        AppConfigRecord::instance().refundEnabled = true;
        auto tab = openTab();
        tab->findChild<QPushButton*>("query_btn")->click();
        // The third newest payment here: 1.21 paid, nothing refunded yet.
        QCOMPARE(SessionData::instance().orders().value(2).value("out_trade_no").toString(), m_paid.at(21));
        const int before = gatewayRequests(m_gateway, "Account.Pay.listPay").size();

        QTimer::singleShot(500, [&] { // the dialog asks for the order's items first
            auto* dialog = qobject_cast<RefundSureDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QLineEdit*>("txtmoney")->setText("1.21");
            dialog->findChild<QLineEdit*>("txtpwd")->setText("123456");
            MessageBox::setNextAnswer(MessageBox::Accepted); // no item ticked: refund all the same
            dialog->findChild<QPushButton*>("btnOk")->click();
        });
        const int refundColumn = tab->findChild<QTableWidget*>("tableWidget")->columnCount() - 2;
        cellButton(tab.get(), 2, refundColumn)->click();

        // Stored at the gateway, and the list shown again with the order refunded in full.
        QCOMPARE(gatewayRequests(m_gateway, "Account.Pay.listPay").size(), before + 1);
        bool stored = false;
        for (const QJsonValue& order : shopOrders())
            stored = stored || (order.toObject().value("out_trade_no").toString() == m_paid.at(21) &&
                                order.toObject().value("refunded").toInt() == 121);
        QVERIFY(stored);
        QCOMPARE(cellButton(tab.get(), 2, refundColumn)->text(), QString("已退款"));
        QCOMPARE(tab->findChild<QTableWidget*>("tableWidget")->item(2, 2)->text(), QString("1.21"));
        QCOMPARE(Printer::takeJobs().size(), 1); // the refund receipt
        MessageBox::takeShown();
    }

    void failuresLeaveThePageAsItWas()
    {
        auto tab = openTab();
        tab->findChild<QPushButton*>("query_btn")->click();
        const QString total = text(tab.get(), "total_num");
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.listPay&status=502", "").isNull());
        tab->findChild<QPushButton*>("query_btn")->click();
        QCOMPARE(MessageBox::takeShown().value(0).text, QString("数据查询失败，请检查网络设置"));
        QCOMPARE(text(tab.get(), "total_num"), total);
        QCOMPARE(SessionData::instance().orders().size(), 20);

        // An answer that is no page at all is a failure too, not an empty list; so is the gateway's
        // refusal, though it comes as content.
        for (const QByteArray& notAPage :
             {QByteArray("{}"), QByteArray(R"({"content":{"code":0,"msg":"参数格式错误","listpay":[]}})")}) {
            QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.listPay", notAPage).isNull());
            tab->findChild<QPushButton*>("query_btn")->click();
            QCOMPARE(MessageBox::takeShown().value(0).text, QString("数据查询失败，请检查网络设置"));
            QCOMPARE(SessionData::instance().orders().size(), 20);
            QCOMPARE(text(tab.get(), "total_num"), total);
        }

        // A page without orders empties the table.
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.listPay", R"({"content":{}})").isNull());
        tab->findChild<QPushButton*>("query_btn")->click();
        QCOMPARE(SessionData::instance().orders().size(), 0);
        QCOMPARE(text(tab.get(), "total_page"), QString("0"));
        QVERIFY(!tab->findChild<QTableWidget*>("tableWidget")->item(0, 0));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }
};

CASHIER_WIDGET_TEST_MAIN(TestQueryTab)
#include "tst_querytab.moc"
