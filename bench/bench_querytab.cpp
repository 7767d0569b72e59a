// How long the transaction query tab takes to show a page of 20 orders once the reply is in: the
// reply read alone, the whole fill (labels, cells, and the three row buttons of every row), and as
// its baseline a bare table of the same size filled with the same texts as plain cells.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_querytab [rounds]

#include "config/AppConfigRecord.h"
#include "net/QueryReplies.h"
#include "query/FormJiaoYiCX.h"

#include "Samples.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// A page as the gateway sends it: 20 orders of mixed channels and states.
QByteArray twentyOrderReply()
{
    const char* channels[] = {"微信支付", "支付宝", "京东支付", "刷卡"};
    const char* states[] = {"支付成功", "退款成功", "已退款,交易关闭", "支付成功"};
    QJsonArray orders;
    for (int i = 0; i < 20; ++i) {
        orders.append(QJsonObject{
            {"trade_no", QStringLiteral("42000012342026120800%1").arg(i, 6, 10, QLatin1Char('0'))},
            {"out_trade_no", QStringLiteral("202612080930%1").arg(i, 8, 10, QLatin1Char('0'))},
            {"money", QString::number(1234567 + i * 101)},
            {"refundfee", QString::number(i % 4 == 1 ? 500 : 0)},
            {"pay_channel", QString::fromUtf8(channels[i % 4])},
            {"finalinfo", QString::fromUtf8(states[i % 4])},
            {"pay_date", QStringLiteral("2026-12-08 09:%1:00").arg(i, 2, 10, QLatin1Char('0'))},
            {"shopname", QStringLiteral("青禾茶餐厅 西湖文化广场店")},
            {"cardno", i % 3 ? QStringLiteral("A%1").arg(i) : QString()},
        });
    }
    const QJsonObject content{{"total_wx", "120"},        {"wechat_tfee", "8812345"},  {"total_al", "80"},
                              {"alipay_tfee", "5512300"}, {"total_fee", "16124645"},   {"total_page", 12},
                              {"jdpay_tnum", "20"},       {"jdpay_tfee", "1200000"},   {"swipingcard_tnum", "10"},
                              {"total_pos", "10"},        {"swipingcard_tfee", "600000"}, {"total_count", "230"},
                              {"total_rfee", "12000"},    {"listpay", orders}};
    return QJsonDocument(QJsonObject{{"content", content}}).toJson(QJsonDocument::Compact);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    // Every column and every row button.
    AppConfigRecord::instance().refundEnabled = true;
    AppConfigRecord::instance().cardEnabled = true;
    AppConfigRecord::instance().itemName = QStringLiteral("房间");
    const QByteArray reply = twentyOrderReply();

    std::vector<double> parse, fill;
    FormJiaoYiCX tab;
    tab.show();
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        const query::ListPayPage page = query::readListPay(reply);
        parse.push_back(clock.nsecsElapsed() / 1e6);
        if (page.orders.size() != 20)
            return 1;

        clock.start();
        QMetaObject::invokeMethod(&tab, "slot_requestFinished", Q_ARG(bool, true), Q_ARG(QByteArray, reply));
        fill.push_back(clock.nsecsElapsed() / 1e6);
        // The replaced buttons go at the next turn of the event loop, as in the program.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The page the tab shows, every cell as text (a row button as its caption).
    const QTableWidget* table = tab.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    if (!table)
        return 1;
    QVector<QStringList> texts(table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const auto* button = qobject_cast<const QPushButton*>(table->cellWidget(row, column));
            const QTableWidgetItem* item = table->item(row, column);
            texts[row] << (button ? button->text() : item ? item->text() : QString());
        }
    }
    QTableWidget bare(table->rowCount(), table->columnCount());
    bare.show();
    std::vector<double> bareFill;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        bare.clearContents();
        for (int row = 0; row < texts.size(); ++row) {
            for (int column = 0; column < texts[row].size(); ++column)
                bare.setItem(row, column, new QTableWidgetItem(texts[row][column]));
        }
        bareFill.push_back(clock.nsecsElapsed() / 1e6);
    }

    std::printf("20-order page, %d rounds: read %.3f ms median, whole fill %.3f ms median; a bare %dx%d table with the "
                "same texts %.3f ms median\n",
                rounds, median(parse), median(fill), table->rowCount(), table->columnCount(), median(bareFill));
    std::printf("result querytab %.3f %.3f\n", median(fill), median(bareFill));
    return 0;
}
