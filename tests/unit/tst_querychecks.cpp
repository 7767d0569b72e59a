// The query table's columns and paging, and the refund dialog's checks.

#include "core/QueryTable.h"
#include "core/RefundCheck.h"

#include <QtTest>

using refund::Decision;

namespace {
Order paid(qint64 fen, qint64 refundedFen)
{
    Order order;
    order.moneyFen = fen;
    order.refundFen = refundedFen;
    return order;
}
} // namespace

class TestQueryChecks : public QObject
{
    Q_OBJECT

private slots:
    void columnsFollowTheSwitches()
    {
        const QStringList fixed{"系统单号", "交易金额", "退款金额", "支付方式", "交易状态", "交易时间"};
        const auto buttons = [](const querytable::ColumnLayout& l) {
            return QList<int>{l.refundColumn, l.itemColumn, l.reprintColumn};
        };
        const querytable::ColumnLayout both = querytable::columnLayout(true, true, "手牌");
        const querytable::ColumnLayout refunds = querytable::columnLayout(true, false, "手牌");
        const querytable::ColumnLayout items = querytable::columnLayout(false, true, "手牌");
        const querytable::ColumnLayout neither = querytable::columnLayout(false, false, "手牌");
        QCOMPARE(both.captions, fixed + QStringList({"退款", "手牌", "重打印"}));
        QCOMPARE(refunds.captions, fixed + QStringList({"退款", "重打印"}));
        QCOMPARE(items.captions, fixed + QStringList({"手牌", "重打印"}));
        QCOMPARE(neither.captions, fixed + QStringList({"重打印"}));
        QCOMPARE(buttons(both), QList<int>({6, 7, 8}));
        QCOMPARE(buttons(refunds), QList<int>({6, -1, 7}));
        QCOMPARE(buttons(items), QList<int>({-1, 6, 7}));
        QCOMPARE(buttons(neither), QList<int>({-1, -1, 6}));
        QCOMPARE(neither.widths, QVector<int>({200, 70, 70, 70, 70, 140})); // the last column stretches
    }

    void pagingEdges()
    {
        QCOMPARE(querytable::previousPage(1), 0);
        QCOMPARE(querytable::nextPage(3, 3), 0);
        QCOMPARE(querytable::nextPage(1, 0), 0); // before the first reply
        QCOMPARE(querytable::rowCount(40), 40);  // a long page is not cut to the table's 25 rows
    }

    void typedPage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("page"); // 0: refused with `refusal`
        QTest::addColumn<QString>("refusal");
        const QString beyond = "查询的页码大于总页码", none = "请输入查询的页码";
        QTest::newRow("the last") << "003" << 3 << 3 << "";
        QTest::newRow("beyond") << "4" << 3 << 0 << beyond;
        QTest::newRow("no total yet") << "1" << 0 << 0 << beyond;
        QTest::newRow("beyond int") << "99999999999999999999" << 3 << 0 << beyond;
        QTest::newRow("zero") << "0" << 3 << 0 << "查询的页码必须大于0";
        QTest::newRow("empty") << "" << 3 << 0 << none;
        QTest::newRow("not a number") << "-1" << 3 << 0 << none;
    }
    void typedPage()
    {
        QFETCH(QString, typed);
        QFETCH(int, total);
        QFETCH(int, page);
        QFETCH(QString, refusal);
        const querytable::PageJump jump = querytable::jumpToPage(typed, total);
        QCOMPARE(jump.refusal, refusal);
        QCOMPARE(jump.page, page);
    }

    void refundAmount_data()
    {
        // Of an order of 12.34 yuan; "" for the expected refusal means the refund is sent.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("refundedBefore");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<qint64>("sentFen");
        const QString tooMuch = "退款金额不能大于订单金额哦", tooLittle = "退款金额不能小于0.01元哦";
        QTest::newRow("the whole order") << "12.34" << qint64(0) << "" << qint64(1234);
        QTest::newRow("a fen more") << "12.35" << qint64(0) << tooMuch << qint64(0);
        QTest::newRow("rounds to a fen more") << "12.345" << qint64(0) << tooMuch << qint64(0);
        QTest::newRow("the rest") << "2.34" << qint64(1000) << "" << qint64(234);
        QTest::newRow("beyond the rest") << "2.35" << qint64(1000) << "退款金额不能大于可退金额2.34元哦" << qint64(0);
        QTest::newRow("all refunded") << "1" << qint64(1234) << "该订单已全额退款，不能再退款哦" << qint64(0);
        QTest::newRow("the initial 0.0") << "0.0" << qint64(0) << tooLittle << qint64(0);
        QTest::newRow("below a fen") << "0.004" << qint64(0) << tooLittle << qint64(0);
        QTest::newRow("negative") << "-5" << qint64(0) << tooLittle << qint64(0);
        QTest::newRow("empty") << "" << qint64(0) << "退款金额不能为空" << qint64(0);
        QTest::newRow("not a number") << "1e3" << qint64(0) << "退款金额格式不正确" << qint64(0);
    }
    void refundAmount()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, refundedBefore);
        QFETCH(QString, refusal);
        QFETCH(qint64, sentFen);
        refund::Request request{"pw", typed, paid(1234, refundedBefore), {}, false, "手牌"};
        const Decision decision = refund::checkRefund(request);
        QCOMPARE(decision.text, refusal);
        QCOMPARE(int(decision.kind), int(refusal.isEmpty() ? Decision::Send : Decision::Refuse));
        QCOMPARE(decision.title, QString(refusal.isEmpty() ? "" : "温馨提示"));
        if (refusal.isEmpty())
            QCOMPARE(decision.refundFen, sentFen);
    }

    void passwordFirstThenItems()
    {
        refund::Request request{"", "0", paid(100, 0), {"A1", "房间 302"}, true, "房间号"};
        QCOMPARE(refund::checkRefund(request).text, QString("密码不能为空"));

        request.password = "pw";
        request.amountText = "1";
        Decision decision = refund::checkRefund(request);
        QCOMPARE(int(decision.kind), int(Decision::Send));
        QCOMPARE(decision.cardNo, QString("A1,房间 302,"));

        // Nothing ticked: asked only with refunds and items both on, and only for an amount that passes.
        request.tickedItems.clear();
        decision = refund::checkRefund(request);
        QCOMPARE(int(decision.kind), int(Decision::AskWithoutItems));
        QCOMPARE(decision.title, QString("操作提示"));
        QCOMPARE(decision.text, QString("没有选择任何房间号，要继续退款吗？"));
        QCOMPARE(decision.refundFen, qint64(100));
        QCOMPARE(decision.cardNo, QString());
        request.amountText = "2";
        QCOMPARE(int(refund::checkRefund(request).kind), int(Decision::Refuse));
        request.amountText = "1";
        request.askWithoutItems = false;
        QCOMPARE(int(refund::checkRefund(request).kind), int(Decision::Send));

        // An earlier refund of the order still unknown: nothing is sent until the list shows it.
        request.earlierRefundUnknown = true;
        QCOMPARE(int(refund::checkRefund(request).kind), int(Decision::Refuse));
        QCOMPARE(refund::checkRefund(request).text, refund::unknownRefundText());
    }
};

QTEST_GUILESS_MAIN(TestQueryChecks)
#include "tst_querychecks.moc"
