#pragma once

#include "core/Order.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSizeF>
#include <QString>
#include <QVector>

// Receipts are small HTML texts laid out by the toolkit's rich-text document for the receipt
// printer. They share one skeleton: the brand line and the title, the merchant-copy line between two
// rules, labelled value lines, and for payments and refunds a closing block with the trade order
// number and room to sign, then the service hotline.
//
// Values come from the gateway or from the cashier and are HTML-escaped here, so a shop name with
// "<" or "&" prints as written instead of being read as markup. Labels, titles and the other fixed
// fragments are trusted HTML.
namespace receipt {

// The printer setting that means the shop wants no receipts at all.
inline QString noReceiptsPrinterName()
{
    return QStringLiteral("不打印小票");
}

// The two layouts. Sizes are receipt-printer dots (see layoutPageSize below).
struct Style
{
    int headerPx;      // the brand line
    int bodyPx;        // title, copy line, ordinary lines, closing block and hotline
    int copyLineNbsp;  // spaces between "商户存根" and "SHOP"
    int emphasisPx;    // the emphasised lines (amounts)
    bool emphasisBold; // and whether they are bold
};
// Payment and print-order receipts.
inline constexpr Style kLargeStyle{50, 20, 13, 28, true};
// Reprints, refund receipts and the cashier summary.
inline constexpr Style kCompactStyle{30, 23, 15, 30, false};

// The signature block is the same size in every layout.
inline constexpr int kSignaturePx = 20;

QString nbsp(int count);
// A rule of 25 hyphens, and the same on a line of its own.
QString rule();
QString separator();
// "<a style='font-family:微软雅黑;font-size:20px;'>", optionally bold.
QString anchor(int px, bool bold = false);

// Everything down to the rule under the merchant-copy line; the title follows `titleNbsp` spaces.
QString head(const Style& style, int titleNbsp, const QString& title);

struct Line
{
    QString label; // ends with the full-width colon
    QString value;
    bool emphasised = false;
};

// Lines whose value stays in an open anchor that the next line closes: "<br><a>label value",
// "</a><br><a>label value"... The caller closes the last one with "</a>".
QString openLines(const Style& style, const QVector<Line>& lines);

// One line closed at once: "<br><a>label value</a>".
QString closedLine(int px, const QString& label, const QString& value);

// The empty remark line, the trade order number under its label, and the signature block.
QString closingBlock(const Style& style, const QString& tradeOrderNo);

QString hotlineLine(const Style& style, const QString& hotline);

QString end();

// The merchant copy printed after a successful collection.
struct Payment
{
    QString shopName;
    QString operatorName;
    QString payTime;
    QString systemOrderNo;
    QString payMethod; // "支付宝" or "微信"
    qint64 amountFen = 0;
    QString tradeOrderNo;
};
QString paymentReceipt(const Payment& payment, const QString& hotline);

// A print order queued at the gateway: its "sname", "uname", "created_time", "order_num",
// "pay_type", "pay_money" and "pay_num" printed as sent (a missing member prints empty), on the
// payment receipt's layout.
QString printOrderReceipt(const QJsonObject& order, const QString& hotline);

// A payment reprinted from the transaction query: an order of the query page as received, and the
// operator logged in now. Titled "移动收银台(重打印)-退款" once the order has been refunded, in part or
// in full, "移动收银台(重打印)" otherwise; the room line and the refunded amount are always there.
QString reprintReceipt(const Order& order, const QString& operatorName, const QString& hotline);

// The merchant copy of a refund just made: the order as the query page listed it, and the amount this
// refund sent.
QString refundReceipt(const Order& order, const QString& operatorName, qint64 refundFen, const QString& hotline);

// The cashier summary as its dialog shows it: every value is the text of its label, amounts already
// written "￥123.45元", and empty where no totals have arrived yet.
struct CashierSummary
{
    QString shopName;
    QString operatorName;
    QString startTime;
    QString endTime;
    QString alipayMoney;
    QString alipayRefund;
    QString wechatMoney;
    QString wechatRefund;
    QString received; // "实收金额", printed as the total of the shift
    QString refunded;
};
QString cashierSummaryReceipt(const CashierSummary& summary, const QDateTime& printedAt, const QString& hotline);

// Receipt sizes (20px, 50px...) are dots of a receipt printer, 8 to the millimetre. The page a
// receipt is laid out on is the printer's page counted in its own dots, but never finer than that:
// on a 600 dpi office printer or a 1200 dpi PDF queue the same layout is scaled up to keep its size
// on paper, instead of shrinking to a corner of the page.
inline constexpr int kMaxLayoutDpi = 203;
QSizeF layoutPageSize(const QSizeF& pageMillimetres, int dpiX, int dpiY);

} // namespace receipt
