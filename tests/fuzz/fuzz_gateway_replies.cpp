// Every reader of a gateway reply on one body: whatever arrives, reading gives the promised shapes
// (never a crash, a negative count or an amount that is not yuan with two decimals).

#include "FuzzSupport.h"

#include "net/GatewayReply.h"
#include "net/PasswordActions.h"
#include "net/QueryReplies.h"
#include "net/ShopList.h"
#include "net/VersionCheck.h"
#include "print/PrintOrders.h"

#include <sanitizer/lsan_interface.h>

namespace {

// The value readers on every member of an object.
void readMembers(const QJsonObject& object)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue value = it.value();
        gateway::jsonText(value);
        gateway::jsonInt(value);
        qint64 fen = 0;
        if (gateway::jsonFen(value, &fen) && value.isDouble())
            FUZZ_CHECK(double(fen) == value.toDouble());
    }
}

void readQueryReplies(const QByteArray& body)
{
    const query::ListPayPage page = query::readListPay(body);
    FUZZ_CHECK(page.totalPages >= 0);
    FUZZ_CHECK(page.orders.size() == page.rows.size());
    for (const QString& sum :
         {page.wechatSum, page.alipaySum, page.jdSum, page.cardSum, page.totalSum, page.totalRefund})
        FUZZ_CHECK(fuzz::isYuan(sum));
    for (int i = 0; i < page.orders.size(); ++i) {
        const query::Order order = query::readOrder(page.orders.at(i));
        FUZZ_CHECK(order.leftFen() >= 0);
        FUZZ_CHECK(fuzz::isYuan(page.rows.at(i).money) && fuzz::isYuan(page.rows.at(i).refundFee));
        readMembers(page.orders.at(i));
    }

    const query::CardsReply cards = query::readCards(body);
    FUZZ_CHECK(cards.count >= 0);

    const query::ListSum sum = query::readListSum(body);
    for (const QString& amount :
         {sum.received, sum.refunded, sum.alipayMoney, sum.alipayRefund, sum.wechatMoney, sum.wechatRefund})
        FUZZ_CHECK(amount.startsWith(QStringLiteral("￥")) && amount.endsWith(QStringLiteral("元")));

    query::readPrintTime(body);
}

void readPasswordReplies(const QByteArray& body)
{
    passwords::loginPasswordAccepted(body);
    FUZZ_CHECK(!passwords::loginPasswordReplyText(body).isEmpty());
    FUZZ_CHECK(!passwords::refundPasswordReplyText(body).isEmpty());
    passwords::storedQuestion(true, body);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Qt 5.15's JSON parser leaks the first of two members of the same name when it is an object or
    // an array ({"a":{},"a":1}). Qt's frames carry no frame pointers, so a suppression could name it
    // only with slow unwinding (13 times slower): leaks are not looked for here. The unit tests of
    // these readers run under LeakSanitizer.
    __lsan::ScopedDisabler qtJsonLeaks;
    const QByteArray body = fuzz::bytes(data, size);

    const QJsonObject top = gateway::replyObject(body);
    const QJsonObject content = gateway::replyContent(body);
    // Nothing the gateway did not send as a reply is taken for a yes.
    FUZZ_CHECK(gateway::hasContent(body) || content.isEmpty());
    readMembers(top);
    readMembers(content);

    readQueryReplies(body);
    readPasswordReplies(body);
    gateway::offersNewerVersion(content, QStringLiteral(CASHIER_VERSION));

    for (const QJsonValue& shop : content.value(QLatin1String("listshop")).toArray())
        shoplist::caption(shop.toObject());
    for (const QJsonObject& order : printorders::ordersInReply(body))
        readMembers(order);
    return 0;
}
