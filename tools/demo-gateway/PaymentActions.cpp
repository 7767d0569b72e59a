// Collecting, listing and refunding payments, and the items (rooms, hand cards) registered on them.

#include "Actions.h"
#include "Secret.h"

#include <algorithm>

namespace {

const std::int64_t kMaxPageSize = 100;

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The channel a payment code belongs to, by its length and leading digits; "" for none.
std::string channelOfCode(const std::string& code)
{
    if (!allDigits(code))
        return "";
    const int prefix = (code[0] - '0') * 10 + (code.size() > 1 ? code[1] - '0' : 0);
    if (code.size() == 18 && prefix >= 10 && prefix <= 15)
        return channel::wechat;
    if (code.size() >= 16 && code.size() <= 24 && prefix >= 25 && prefix <= 30)
        return channel::alipay;
    if (code.size() == 18 && prefix == 18)
        return channel::jd;
    return "";
}

std::string channelName(const std::string& ch)
{
    if (ch == channel::wechat)
        return "微信支付";
    if (ch == channel::alipay)
        return "支付宝";
    if (ch == channel::jd)
        return "京东支付";
    return "刷卡";
}

std::string stateText(const Order& order)
{
    if (order.refunded == 0)
        return "支付成功";
    return order.refunded < order.money ? "退款成功" : "已退款,交易关闭";
}

Json orderJson(const Order& order)
{
    return Json::object()
        .set("trade_no", order.tradeNo)
        .set("out_trade_no", order.outTradeNo)
        .set("money", std::to_string(order.money))
        .set("refundfee", std::to_string(order.refunded))
        .set("pay_channel", channelName(order.channel))
        .set("channel", order.channel)
        .set("finalinfo", stateText(order))
        .set("pay_date", formatLocalTime(order.payTime))
        .set("shopid", std::to_string(order.shopId))
        .set("shopname", order.shopName)
        .set("operator", order.operatorName)
        .set("cardno", order.cardNos);
}

// Reads an optional number field: absent or empty gives `fallback`, anything but digits nullopt.
std::optional<std::int64_t> numberField(const Form& form, const std::string& key, std::int64_t fallback)
{
    const std::string& text = form.get(key);
    return text.empty() ? std::optional<std::int64_t>(fallback) : parseDecimal(text);
}

std::optional<std::int64_t> timeField(const Form& form, const std::string& key, std::int64_t fallback)
{
    const std::string& text = form.get(key);
    return text.empty() ? std::optional<std::int64_t>(fallback) : parseLocalTime(text);
}

} // namespace

Json scanPay(ActionContext& c)
{
    const auto refuse = [](const std::string& msg) { return result(0, msg); };
    const std::string& code = c.form.get("auth_code");
    const std::optional<std::int64_t> uid = parseDecimal(c.form.get("uid"));
    const std::optional<User> user = uid ? c.store.userById(*uid) : std::nullopt;
    if (!user)
        return refuse("商户不存在");
    const std::optional<std::int64_t> shopId = parseDecimal(c.form.get("shopid"));
    const std::optional<Shop> shop = shopId ? c.store.shop(user->id, *shopId) : std::nullopt;
    if (!shop)
        return refuse("门店不存在，请重新选择门店");
    const std::optional<std::int64_t> money = parseDecimal(c.form.get("money"));
    if (!money)
        return refuse("金额格式错误");
    if (*money <= 0)
        return refuse("收款金额必须大于0");
    if (code.empty())
        return refuse("请扫描顾客的付款码");
    const std::string ch = channelOfCode(code);
    if (ch.empty())
        return refuse("无效的付款码");
    if (c.store.authCodeUsed(code))
        return refuse("付款码已使用，请顾客刷新付款码");
    // A way to see a refusal in a demo without touching the test controls.
    if (code.size() >= 4 && code.compare(code.size() - 4, 4, "0000") == 0)
        return refuse("用户余额不足，请顾客更换付款方式");

    NewOrder order;
    order.userId = user->id;
    order.shopId = shop->id;
    order.channel = ch;
    order.money = *money;
    order.payTime = c.now;
    order.operatorName = user->rname;
    order.authCode = code;
    const Order saved = c.store.addOrder(order);
    // The client reads the Alipay amount as a JSON number and every other channel's as text.
    const Json amount = ch == channel::alipay ? Json(saved.money) : Json(std::to_string(saved.money));
    return result(1, "成功")
        .set("out_trade_no", saved.outTradeNo)
        .set("trade_no", saved.tradeNo)
        .set("pay_date", formatLocalTime(saved.payTime))
        .set("operator", saved.operatorName)
        .set("shopname", saved.shopName)
        .set("pay_channel", ch)
        .set("money", amount);
}

Json registerCard(ActionContext& c)
{
    const std::optional<Order> order = c.store.findOrder(c.user->id, c.form.get("no"));
    if (!order)
        return result(0, "订单不存在");
    const std::string& card = c.form.get("card");
    if (card.find_first_not_of(',') == std::string::npos)
        return result(0, "房间号不能为空");
    c.store.addCards(order->id, card, c.now);
    return result(1, "登记成功").set("cardno", c.store.findOrder(c.user->id, order->outTradeNo)->cardNos);
}

Json listPayments(ActionContext& c)
{
    OrderQuery query;
    query.userId = c.user->id;
    query.tradeNo = c.form.get("tradeno");
    query.cardNo = c.form.get("cardno");
    query.newestFirst = c.form.get("ord") != "asc";
    const auto pageSize = numberField(c.form, "page_num", 20);
    const auto page = numberField(c.form, "p", 1);
    const auto shopId = numberField(c.form, "shopid", 0);
    const auto from = timeField(c.form, "start_date", 0);
    const auto to = timeField(c.form, "end_date", INT64_MAX);
    if (!pageSize || !page || !shopId)
        return result(0, "参数格式错误").set("listpay", Json::array());
    if (!from || !to)
        return result(0, "日期格式错误").set("listpay", Json::array());
    query.pageSize = std::clamp<std::int64_t>(*pageSize, 1, kMaxPageSize);
    query.page = std::max<std::int64_t>(*page, 1); // page 0 is read as the first
    query.shopId = *shopId;
    query.from = *from;
    query.to = *to;

    const OrderPage found = c.store.listOrders(query);
    const auto channelTotals = [&](const std::string& ch) {
        const auto it = found.byChannel.find(ch);
        return it == found.byChannel.end() ? ChannelTotals() : it->second;
    };
    const ChannelTotals wechat = channelTotals(channel::wechat);
    const ChannelTotals alipay = channelTotals(channel::alipay);
    const ChannelTotals jd = channelTotals(channel::jd);
    const ChannelTotals card = channelTotals(channel::card);
    Json list = Json::array();
    for (const Order& order : found.orders)
        list.push(orderJson(order));
    const auto text = [](std::int64_t value) { return Json(std::to_string(value)); };
    return result(1, "成功")
        .set("p", query.page)
        .set("total_page", (found.all.count + query.pageSize - 1) / query.pageSize)
        .set("total_count", text(found.all.count))
        .set("total_fee", text(found.all.money))
        .set("total_rfee", text(found.all.refunded))
        .set("total_wx", text(wechat.count))
        .set("wechat_tfee", text(wechat.money))
        .set("total_al", text(alipay.count))
        .set("alipay_tfee", text(alipay.money))
        .set("jdpay_tnum", text(jd.count))
        .set("jdpay_tfee", text(jd.money))
        .set("swipingcard_tnum", text(card.count))
        .set("total_pos", text(card.count))
        .set("swipingcard_tfee", text(card.money))
        .set("listpay", list);
}

Json refund(ActionContext& c)
{
    // Code 5 sends the cashier to the refund-password page.
    if (c.user->refundPwd.empty())
        return result(5, "尚未设置退款密码，请先设置退款密码");
    if (!checkSecret(c.user->refundPwd, c.form.get("pwd")))
        return result(5, "退款密码错误");
    const std::optional<Order> order = c.store.findOrder(c.user->id, c.form.get("tradeno"));
    if (!order)
        return result(0, "订单不存在");
    if (order->channel == channel::card)
        return result(0, "刷卡交易请在POS终端上退款");
    const std::optional<std::int64_t> amount = parseDecimal(c.form.get("refundmoney"));
    if (!amount)
        return result(0, "退款金额格式错误");
    if (*amount <= 0)
        return result(0, "退款金额必须大于0");
    const std::int64_t left = order->money - order->refunded;
    if (left == 0)
        return result(0, "该订单已全额退款");
    if (*amount > left)
        return result(0, "退款金额超过可退金额" + formatYuan(left) + "元");

    c.store.addRefund(order->id, *amount, c.form.get("cardno"), c.now);
    const Order after = *c.store.findOrder(c.user->id, order->outTradeNo);
    return result(1, "退款成功")
        .set("content", Json::object()
                            .set("out_trade_no", after.outTradeNo)
                            .set("refundmoney", std::to_string(*amount))
                            .set("refundfee", std::to_string(after.refunded))
                            .set("finalinfo", stateText(after)));
}

Json listCards(ActionContext& c)
{
    const std::optional<Order> order = c.store.findOrder(c.user->id, c.form.get("no"));
    if (!order)
        return result(0, "订单不存在").set("count", 0).set("cards", Json::array());
    Json list = Json::array();
    const std::vector<Card> cards = c.store.cards(order->id);
    for (const Card& card : cards)
        list.push(Json::object().set("cardno", card.cardNo).set("state", std::to_string(card.state)));
    return result(1, "成功").set("count", static_cast<std::int64_t>(cards.size())).set("cards", list);
}
