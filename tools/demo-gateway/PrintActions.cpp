// Print orders, printed receipts and the cashier's shift summary.

#include "Actions.h"

namespace {

// The shift summary sends its period as Unix seconds.
bool readPeriod(const Form& form, std::int64_t& from, std::int64_t& to)
{
    const std::optional<std::int64_t> t1 = parseDecimal(form.get("time1"));
    const std::optional<std::int64_t> t2 = parseDecimal(form.get("time2"));
    if (!t1 || !t2 || *t1 > *t2)
        return false;
    from = *t1;
    to = *t2;
    return true;
}

Json sums(const ChannelTotals& totals)
{
    return Json::object()
        .set("count", std::to_string(totals.count))
        .set("money", std::to_string(totals.money))
        .set("refundmoney", std::to_string(totals.refunded));
}

} // namespace

Json printOrders(ActionContext& c)
{
    Json list = Json::array();
    // Each queued order is handed out once: the next poll does not print it again.
    for (const std::string& body : c.store.takePrintOrders(c.user->id, c.now))
        list.push(Json::parse(body).value_or(Json::object()));
    return result(1, "成功").set("num", std::to_string(list.size())).set("list", list);
}

Json reportPrinted(ActionContext& c)
{
    const std::optional<Order> order = c.store.findOrder(c.user->id, c.form.get("no"));
    if (!order)
        return result(0, "订单不存在");
    c.store.markPrinted(order->id);
    return result(1, "成功");
}

Json proposePrintPeriod(ActionContext& c)
{
    // The next shift starts where the last printed summary ended (or today at midnight) and ends now.
    const std::int64_t from = c.store.lastPrintedUntil(c.user->id).value_or(startOfLocalDay(c.now));
    return result(1, "成功").set("time1", formatLocalTime(from)).set("time2", formatLocalTime(c.now));
}

Json logPrintedPeriod(ActionContext& c)
{
    std::int64_t from, to;
    if (!readPeriod(c.form, from, to))
        return result(0, "时间格式错误");
    c.store.logPrint(c.user->id, from, to, c.now);
    return result(1, "成功");
}

Json sumPeriod(ActionContext& c)
{
    std::int64_t from, to;
    if (!readPeriod(c.form, from, to))
        return result(0, "时间格式错误");
    const PeriodTotals totals = c.store.periodTotals(c.user->id, from, to);
    Json reply = result(1, "成功")
                     .set("time1", formatLocalTime(from))
                     .set("time2", formatLocalTime(to))
                     .set("paymoney", std::to_string(totals.all.money))
                     .set("allmoney", std::to_string(totals.all.money - totals.all.refunded)) // received, net
                     .set("refundmoney", std::to_string(totals.all.refunded));
    for (const std::string& ch : {channel::wechat, channel::alipay, channel::jd, channel::card}) {
        const auto it = totals.byChannel.find(ch);
        reply.set(ch, sums(it == totals.byChannel.end() ? ChannelTotals() : it->second));
    }
    return reply;
}
