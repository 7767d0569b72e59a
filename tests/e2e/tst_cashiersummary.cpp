// The cashier summary against the demo gateway: the proposed period, totals equal to the gateway's
// for the period the edits show (also when replies overtake each other), the print recorded at the
// gateway, the summary slip, the quit question, and what the cashier sees when something fails.

#include "net/GatewayRequests.h"
#include "net/SessionData.h"
#include "query/myTrade.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"

#include "GatewayCall.h"
#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

// "20000001" fen → "￥200000.01元", by moving the decimal point in the gateway's own digits.
QString yuan(const QString& fen)
{
    const QString digits = fen.rightJustified(3, QLatin1Char('0'));
    return QStringLiteral("￥") + digits.left(digits.size() - 2) + QLatin1Char('.') + digits.right(2) +
           QStringLiteral("元");
}

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

QString label(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLabel*>(name)->text();
}

QDateTimeEdit* edit(QWidget* dialog, const char* name)
{
    return dialog->findChild<QDateTimeEdit*>(name);
}

qint64 seconds(QWidget* dialog, const char* name)
{
    return edit(dialog, name)->dateTime().toSecsSinceEpoch();
}
} // namespace

class TestCashierSummary : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;

    int requestCount(const char* action) { return gatewayRequests(m_gateway, action).size(); }

    // The gateway's own totals for the period the dialog's edits show.
    QJsonObject gatewayTotals(QWidget* dialog)
    {
        const GatewayCall call =
            callGateway(m_gateway.url(),
                        gateway::listSumBody(SessionData::instance().token(), QString::number(seconds(dialog, "time1")),
                                             QString::number(seconds(dialog, "time2"))));
        return call.content();
    }

    // The ten labels show the gateway's totals for the edits' period.
    void verifyTotals(QWidget* dialog)
    {
        const QJsonObject totals = gatewayTotals(dialog);
        const auto fen = [&totals](const char* channel, const char* key) {
            return totals.value(channel).toObject().value(key).toString();
        };
        QCOMPARE(label(dialog, "lbltime"), totals.value("time1").toString());
        QCOMPARE(label(dialog, "lblendtime"), totals.value("time2").toString());
        QCOMPARE(label(dialog, "lblssje"), yuan(totals.value("allmoney").toString()));
        QCOMPARE(label(dialog, "lbltkzje"), yuan(totals.value("refundmoney").toString()));
        QCOMPARE(label(dialog, "lblzfbje"), yuan(fen("ALIPAY", "money")));
        QCOMPARE(label(dialog, "lblzfbtk"), yuan(fen("ALIPAY", "refundmoney")));
        QCOMPARE(label(dialog, "lblwxje"), yuan(fen("WECHAT", "money")));
        QCOMPARE(label(dialog, "lblwxtk"), yuan(fen("WECHAT", "refundmoney")));
        QCOMPARE(label(dialog, "lblczry"), QStringLiteral("张晓梅"));
        QCOMPARE(label(dialog, "lblskmd"), QStringLiteral("青禾茶餐厅西湖文化广场店"));
    }

    static void waitForTotals(QWidget* dialog) { QTRY_VERIFY_WITH_TIMEOUT(!label(dialog, "lblssje").isEmpty(), 10000); }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
        QVERIFY(logInAsDemo(m_gateway));
        // Today's takings: amounts beyond what a single-precision float holds to the fen.
        for (const auto& [code, fen] : {std::pair<const char*, qint64>{"284567890123456781", 20000001},
                                        {"134567890123450001", 16777217},
                                        {"134567890123450002", 5}}) {
            QCOMPARE(payAtCurrentShop(m_gateway, code, fen).value("msg").toString(), QStringLiteral("成功"));
        }
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
        deleteWindows<myTrade>();
        QVERIFY(writeDataIni(m_gateway, printerLine("CashierPDF")));
    }

    void shiftFromProposalToQuit()
    {
        myTrade dialog;
        QSignalSpy quit(&dialog, &myTrade::quitRequested);
        dialog.show();
        waitForTotals(&dialog);
        QTest::qWait(300); // the second totals request of the proposal
        // Nothing printed yet: the gateway proposes today from midnight.
        QCOMPARE(edit(&dialog, "time1")->dateTime(), QDateTime(QDate::currentDate(), QTime(0, 0)));
        QVERIFY(qAbs(edit(&dialog, "time2")->dateTime().secsTo(QDateTime::currentDateTime())) < 60);
        const QJsonObject asked = gatewayRequests(m_gateway, "Account.Pay.listSum").last().toObject();
        QCOMPARE(asked.value("fields").toObject().value("time1").toString(),
                 QString::number(seconds(&dialog, "time1")));
        QCOMPARE(asked.value("fields").toObject().value("time2").toString(),
                 QString::number(seconds(&dialog, "time2")));
        verifyTotals(&dialog);

        // Printed, the cashier stays: the period is logged, the slip shows the labels.
        MessageBox::setNextAnswer(MessageBox::Rejected);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnPrint"), Qt::LeftButton);
        const QList<Printer::Job> jobs = Printer::takeJobs();
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs.at(0).printerName, QString("CashierPDF"));
        const QStringList lines = receiptLines(jobs.at(0).html);
        for (const QString& line :
             {QStringLiteral("收银汇总"), QStringLiteral("门店名称：") + label(&dialog, "lblskmd"),
              QStringLiteral("操作人员：张晓梅"), QStringLiteral("开始时间：") + label(&dialog, "lbltime"),
              QStringLiteral("支付宝金额：") + label(&dialog, "lblzfbje"),
              QStringLiteral("微信金额：") + label(&dialog, "lblwxje"),
              QStringLiteral("交易总金额：") + label(&dialog, "lblssje")})
            QVERIFY2(lines.contains(line), qPrintable(line + " not in " + lines.join(" | ")));
        QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).title, QString("退出程序"));
        QCOMPARE(shown.at(0).text, QString("是否要退出程序重新登陆?"));
        QVERIFY(shown.at(0).withoutDefault); // a stray Return does not end the program
        QCOMPARE(quit.count(), 0);
        QVERIFY(dialog.isVisible());
        QTRY_COMPARE(requestCount("Account.Print.logPrint"), 1);
        const QJsonArray logged = QJsonDocument::fromJson(m_gateway.adminGet("rows?table=print_log")).array();
        QCOMPARE(logged.size(), 1);
        QCOMPARE(logged.at(0).toObject().value("time1").toVariant().toLongLong(), seconds(&dialog, "time1"));
        QCOMPARE(logged.at(0).toObject().value("time2").toVariant().toLongLong(), seconds(&dialog, "time2"));

        // Printed again and answered yes: the dialog closes and asks for the end of the program.
        MessageBox::setNextAnswer(MessageBox::Accepted);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnPrint"), Qt::LeftButton);
        QCOMPARE(Printer::takeJobs().size(), 1);
        QCOMPARE(quit.count(), 1);
        QVERIFY(!dialog.isVisible());
        QTRY_COMPARE(requestCount("Account.Print.logPrint"), 2);

        // The next cashier's shift starts where the printed one ended.
        myTrade next;
        next.show();
        QTRY_COMPARE_WITH_TIMEOUT(seconds(&next, "time1"), seconds(&dialog, "time2"), 10000);
    }

    void totalsOfTheLatestPeriodWin()
    {
        myTrade dialog;
        dialog.show();
        waitForTotals(&dialog);
        QTest::qWait(300);
        const QDateTime end = edit(&dialog, "time2")->dateTime();
        const QDateTime olderStart(QDate::currentDate().addDays(-1), QTime(0, 0)); // since yesterday
        const QDateTime latestStart = end.addSecs(-600);                           // the last ten minutes: our payments
        const auto totals = [&](const QDateTime& start) {
            return callGateway(m_gateway.url(), gateway::listSumBody(SessionData::instance().token(),
                                                                     QString::number(start.toSecsSinceEpoch()),
                                                                     QString::number(end.toSecsSinceEpoch())))
                .content();
        };
        const QJsonObject older = totals(olderStart);
        const QJsonObject latest = totals(latestStart);
        QVERIFY(older.value("allmoney") != latest.value("allmoney"));

        // The older period's answer is held back until after the latest one has been shown.
        QVERIFY(!m_gateway.adminPost("delay?action=Account.Pay.listSum&ms=1500").isNull());
        edit(&dialog, "time1")->setDateTime(olderStart);
        QTRY_VERIFY(!m_gateway.adminGet("controls").contains("listSum"));
        edit(&dialog, "time1")->setDateTime(latestStart);
        QTRY_COMPARE_WITH_TIMEOUT(label(&dialog, "lblssje"), yuan(latest.value("allmoney").toString()), 5000);
        QTest::qWait(2000); // the held-back answer arrives meanwhile
        verifyTotals(&dialog);
        // Only this test's payments: to the fen, where a float would have dropped or made up cents.
        QCOMPARE(label(&dialog, "lblzfbje"), QStringLiteral("￥200000.01元"));
        QCOMPARE(label(&dialog, "lblwxje"), QStringLiteral("￥167772.22元"));
        QCOMPARE(MessageBox::takeShown().size(), 0);
    }

    void failures()
    {
        // No proposal: no message, today so far, and no totals until the cashier changes an edit.
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Print.prinTtime&status=500").isNull());
        myTrade dialog;
        dialog.show();
        QTRY_COMPARE(requestCount("Account.Print.prinTtime"), 1);
        QTest::qWait(500);
        QCOMPARE(requestCount("Account.Pay.listSum"), 0);
        QCOMPARE(edit(&dialog, "time1")->dateTime(), QDateTime(QDate::currentDate(), QTime(0, 0)));
        QCOMPARE(MessageBox::takeShown().size(), 0);

        edit(&dialog, "time1")->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0, 1)));
        waitForTotals(&dialog);
        const QString shown = label(&dialog, "lblssje");

        // Totals fail: the box, and the labels keep what they showed.
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.listSum&status=502").isNull());
        edit(&dialog, "time1")->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0, 2)));
        QList<MessageBox::Shown> boxes;
        QTRY_VERIFY(!(boxes += MessageBox::takeShown()).isEmpty());
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).icon, MessageBox::Critical);
        QCOMPARE(boxes.at(0).title, QString("错误提示"));
        QCOMPARE(boxes.at(0).text, QString("数据查询失败，请检查网络设置"));
        QCOMPARE(label(&dialog, "lblssje"), shown);
        // So is an answer that holds no totals at all.
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Pay.listSum", "{}").isNull());
        edit(&dialog, "time1")->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0, 3)));
        boxes.clear();
        QTRY_VERIFY(!(boxes += MessageBox::takeShown()).isEmpty());
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).text, QString("数据查询失败，请检查网络设置"));
        QCOMPARE(label(&dialog, "lblssje"), shown);

        // The labels are not the totals of the period shown: nothing is logged or printed, and the
        // totals are asked for again.
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnPrint"), Qt::LeftButton);
        QCOMPARE(Printer::takeJobs().size(), 0);
        QCOMPARE(MessageBox::takeShown().value(0).text, QString("收银汇总尚未查到，请稍候再打印"));
        QTRY_VERIFY(label(&dialog, "lbltime").endsWith("00:00:03"));
        QCOMPARE(requestCount("Account.Print.logPrint"), 0);

        // The print log fails: nobody waits for it, the slip is printed and the question asked.
        QVERIFY(!m_gateway.adminPost("respond?action=Account.Print.logPrint&status=500").isNull());
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnPrint"), Qt::LeftButton);
        QCOMPARE(Printer::takeJobs().size(), 1);
        const QList<MessageBox::Shown> asked = MessageBox::takeShown();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.at(0).title, QString("退出程序"));
        QTRY_COMPARE(requestCount("Account.Print.logPrint"), 1);

        // A proposal time in another format leaves its edit alone.
        const QString end = QDateTime::currentDateTime().addSecs(-30).toString("yyyy-MM-dd hh:mm:ss");
        QVERIFY(!m_gateway
                     .adminPost("respond?action=Account.Print.prinTtime",
                                "{\"content\":{\"time1\":\"2024/01/01 08:00:00\",\"time2\":\"" + end.toUtf8() + "\"}}")
                     .isNull());
        myTrade odd;
        QTRY_COMPARE(edit(&odd, "time2")->dateTime().toString("yyyy-MM-dd hh:mm:ss"), end);
        QCOMPARE(edit(&odd, "time1")->dateTime(), QDateTime(QDate::currentDate(), QTime(0, 0)));

        // A proposal of just what the edits show changes neither; the totals are asked for anyway.
        const int summed = requestCount("Account.Pay.listSum");
        const QByteArray midnight = QDateTime(QDate::currentDate(), QTime(0, 0)).toString("yyyy-MM-dd hh:mm:ss").toUtf8();
        QVERIFY(!m_gateway
                     .adminPost("respond?action=Account.Print.prinTtime", "{\"content\":{\"time1\":\"" + midnight + "\"}}")
                     .isNull());
        myTrade same;
        QTRY_COMPARE(requestCount("Account.Pay.listSum"), summed + 1);
    }

    // Before the totals of the period shown have come, or when the gateway declined to give them,
    // the period is not handed over and no slip is printed.
    void noSlipWithoutTheTotals_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("still asking") << QByteArray("delay?action=Account.Pay.listSum&ms=3000&count=0") << QByteArray();
        QTest::newRow("refused") << QByteArray("respond?action=Account.Pay.listSum&count=0")
                                 << QByteArray(R"({"content":{"code":-1,"msg":"登录已失效，请重新登录"}})");
    }
    void noSlipWithoutTheTotals()
    {
        QFETCH(QByteArray, control);
        QFETCH(QByteArray, reply);
        QVERIFY(!m_gateway.adminPost(control, reply).isNull());
        myTrade dialog;
        dialog.show();
        QTRY_VERIFY(requestCount("Account.Pay.listSum") > 0);
        QTest::qWait(300);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnPrint"), Qt::LeftButton);
        QCOMPARE(Printer::takeJobs().size(), 0);
        QCOMPARE(MessageBox::takeShown().last().text, QString("收银汇总尚未查到，请稍候再打印"));
        QTest::qWait(300);
        QCOMPARE(requestCount("Account.Print.logPrint"), 0);
        QCOMPARE(label(&dialog, "lblssje"), QString());
    }

    void noPrinter_data()
    {
        QTest::addColumn<QString>("printer");
        QTest::newRow("no receipts wanted") << QStringLiteral("不打印小票");
        QTest::newRow("printer not installed") << QStringLiteral("OldReceiptPrinter");
    }
    void noPrinter()
    {
        QFETCH(QString, printer);
        QVERIFY(writeDataIni(m_gateway, printerLine(printer)));
        myTrade dialog;
        QSignalSpy quit(&dialog, &myTrade::quitRequested);
        dialog.show();
        waitForTotals(&dialog);
        MessageBox::setNextAnswer(MessageBox::Accepted);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnPrint"), Qt::LeftButton);
        // The period still counts as handed over; the cashier is told, nothing is printed or asked.
        QTRY_COMPARE(requestCount("Account.Print.logPrint"), 1);
        QCOMPARE(Printer::takeJobs().size(), 0);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).icon, MessageBox::Warning);
        QCOMPARE(shown.at(0).title, QString("提示信息"));
        QCOMPARE(shown.at(0).text, QString("当前没有设置可用打印机,如需打印请先设置打印机"));
        QCOMPARE(quit.count(), 0);
        QVERIFY(dialog.isVisible());
    }
};

CASHIER_WIDGET_TEST_MAIN(TestCashierSummary)
#include "tst_cashiersummary.moc"
