#pragma once

#include "core/Order.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVector>

// Reading the replies of the transaction query, the refund dialog's item list and the cashier
// summary. Amounts come as whole fen and are shown in yuan with exactly two decimals, computed on
// integers. A member of an unexpected JSON type never shows as "true" or as a made-up amount: a text
// member sent as a number shows its digits, as anything else it reads empty; an amount that is not
// whole fen reads as 0.
namespace query {

using ::isRefundedState;
using Order = ::Order;
// Reads an order of a "listpay" page.
Order readOrder(const QJsonObject& order);

// A table row: the six text columns and the refund button.
struct OrderRow
{
    QString tradeNo;
    QString money;     // yuan, two decimals
    QString refundFee; // yuan, two decimals
    QString payChannel;
    QString finalInfo;
    QString payDate;
    QString refundButtonText; // "退款", "已退款" (still opens the dialog) or "暂不支持" (card swipes)
    bool refundButtonEnabled = true;
};
OrderRow orderRow(const Order& order);

// Whether a reply of "Account.Pay.listPay" or "Account.Pay.listSum" answers the query: a "content"
// object without a "code" other than 1. An error page, "{}", or the gateway declining (an expired
// login, a field it could not read: a code and its "msg") is no page and no totals; read as one, it
// would show an empty period with zero sums. A "listpay" longer than the page asked for
// (gateway::kListPayPageSize) is no page either.
bool answersQuery(const QByteArray& reply);

// An "Account.Pay.listPay" reply: the per-channel labels, the page count and the page's orders.
struct ListPayPage
{
    // Counts as the gateway wrote them, sums in yuan with two decimals.
    QString wechatCount, wechatSum;
    QString alipayCount, alipaySum;
    QString jdCount, jdSum;     // the count "0" when the gateway sends none
    QString cardCount, cardSum; // the count "0" unless the gateway reports card payments
    QString totalCount, totalSum, totalRefund;
    int totalPages = 0; // a number or decimal text; 0 for anything else

    // The page's orders, newest first: the objects as received (for the session and the dialogs)
    // and their rows, index for index. Elements that are not objects are left out.
    QVector<QJsonObject> orders;
    QVector<OrderRow> rows;
};
ListPayPage readListPay(const QByteArray& reply);

// One registered item of an order in the "Account.Pay.cards" reply.
struct Item
{
    QString cardNo;
    bool handedBack = false; // "state" 1: already returned, its box is disabled
};
// The refund dialog lays out an order's items as boxes; no order holds more than this many.
constexpr int kMaxItems = 60;
struct CardsReply
{
    int count = 0;        // as the gateway counts them; 0 means "nothing registered"
    QVector<Item> items;  // may be shorter than `count` (even empty) when the list is missing
    bool tooMany = false; // the list holds more than kMaxItems: no answer to show (items empty)
};
CardsReply readCards(const QByteArray& reply);

// "￥123.45元": how the cashier summary shows an amount.
QString summaryAmount(qint64 fen);

// An "Account.Pay.listSum" reply as the cashier summary shows it.
struct ListSum
{
    QString time1, time2; // the period the totals cover, as received
    QString received;     // "allmoney": received, refunds taken off
    QString refunded;     // "refundmoney"
    QString alipayMoney, alipayRefund;
    QString wechatMoney, wechatRefund;
};
ListSum readListSum(const QByteArray& reply);

// The period the gateway proposes for the summary ("Account.Print.prinTtime"), local time. A time
// that is missing or not written "yyyy-MM-dd hh:mm:ss" is invalid: that edit keeps what it shows.
struct PrintPeriod
{
    QDateTime time1, time2;
};
PrintPeriod readPrintTime(const QByteArray& reply);

} // namespace query
