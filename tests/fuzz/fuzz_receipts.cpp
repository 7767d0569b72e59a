// Every receipt built from hostile values (orders of any shape, text with markup, lone surrogates,
// huge or negative amounts): no value ever adds markup of its own, so each receipt holds exactly the
// tags it holds with empty values.

#include "FuzzSupport.h"

#include "net/QueryReplies.h"
#include "print/ReceiptDocuments.h"

namespace {

// The members the receipts read from an order of the query page or a print order.
const QStringList kOrderKeys{
    "trade_no",  "out_trade_no", "pay_channel", "finalinfo",    "pay_date",  "shopname", "cardno",    "money",
    "refundfee", "sname",        "uname",       "created_time", "order_num", "pay_type", "pay_money", "pay_num",
};

int tags(const QString& html)
{
    return html.count(QLatin1Char('<')) + html.count(QLatin1Char('>'));
}

// The tag count of each builder with empty values.
struct Baseline
{
    int payment = tags(receipt::paymentReceipt({}, {}));
    int printOrder = tags(receipt::printOrderReceipt({}, {}));
    int reprint = tags(receipt::reprintReceipt({}, {}, {}));
    int refund = tags(receipt::refundReceipt({}, {}, 0, {}));
    int summary = tags(receipt::cashierSummaryReceipt({}, {}, {}));
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Baseline baseline;
    FuzzedDataProvider in(data, size);
    const int builder = in.ConsumeIntegralInRange(0, 4);
    const QString hotline = fuzz::text(in);

    if (builder <= 2) {
        const QJsonObject order = fuzz::object(in, kOrderKeys);
        const QString operatorName = fuzz::text(in);
        if (builder == 0)
            FUZZ_CHECK(tags(receipt::printOrderReceipt(order, hotline)) == baseline.printOrder);
        else if (builder == 1)
            FUZZ_CHECK(tags(receipt::reprintReceipt(query::readOrder(order), operatorName, hotline)) == baseline.reprint);
        else
            FUZZ_CHECK(tags(receipt::refundReceipt(query::readOrder(order), operatorName, in.ConsumeIntegral<int64_t>(), hotline)) ==
                       baseline.refund);
    } else if (builder == 3) {
        receipt::Payment payment;
        for (QString* value : {&payment.shopName, &payment.operatorName, &payment.payTime, &payment.systemOrderNo,
                               &payment.payMethod, &payment.tradeOrderNo})
            *value = fuzz::text(in);
        payment.amountFen = in.ConsumeIntegral<int64_t>();
        FUZZ_CHECK(tags(receipt::paymentReceipt(payment, hotline)) == baseline.payment);
    } else {
        receipt::CashierSummary summary;
        for (QString* value :
             {&summary.shopName, &summary.operatorName, &summary.startTime, &summary.endTime, &summary.alipayMoney,
              &summary.alipayRefund, &summary.wechatMoney, &summary.wechatRefund, &summary.received, &summary.refunded})
            *value = fuzz::text(in);
        const QDateTime printedAt = QDateTime::fromMSecsSinceEpoch(in.ConsumeIntegral<int64_t>());
        FUZZ_CHECK(tags(receipt::cashierSummaryReceipt(summary, printedAt, hotline)) == baseline.summary);
    }

    // The page a printer reports, however odd.
    const QSizeF page(fuzz::number(in), fuzz::number(in));
    receipt::layoutPageSize(page, in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
    return 0;
}
