#include "Store.h"

#include <array>

namespace {

// A fixed pseudo-random sequence, so every new database holds the same orders (only the times move
// with the day it is created).
class Sequence
{
public:
    std::uint32_t next(std::uint32_t bound)
    {
        m_state = m_state * 1103515245u + 12345u;
        return (m_state >> 8) % bound;
    }

private:
    std::uint32_t m_state = 20240601u;
};

// Bills of a tea restaurant, in fen.
const std::array<std::int64_t, 16> kBills = {1800,  2650,  3200,  4580,  5600,  6800,  8850,  12000,
                                             13600, 16800, 19900, 23850, 28800, 36600, 45800, 68800};

// Room numbers and hand cards, as a front desk would register them.
const std::array<const char*, 8> kItems = {"8305", "8612", "A023", "A047", "B105", "B118", "6208", "C009"};

void seedOrders(Store& store, Sequence& random, std::int64_t userId, const std::vector<Shop>& shops,
                const std::vector<std::string>& operators, int count, std::int64_t now)
{
    const std::int64_t first = now - 24 * 3600;
    const std::int64_t step = (24 * 3600 - 15 * 60) / count;
    for (int i = 0; i < count; ++i) {
        NewOrder order;
        order.userId = userId;
        order.shopId = shops[random.next(static_cast<std::uint32_t>(shops.size()))].id;
        const std::uint32_t pick = random.next(20);
        order.channel = pick < 8    ? channel::wechat
                        : pick < 15 ? channel::alipay
                        : pick < 17 ? channel::jd
                                    : channel::card;
        order.money = kBills[random.next(kBills.size())] + 10 * random.next(10);
        order.payTime = first + i * step + random.next(static_cast<std::uint32_t>(step / 2));
        order.operatorName = operators[random.next(static_cast<std::uint32_t>(operators.size()))];
        const Order saved = store.addOrder(order);

        std::string items;
        if (i % 4 == 1) {
            items = kItems[random.next(kItems.size())];
            if (i % 12 == 5)
                items += std::string(",") + kItems[random.next(kItems.size())];
            store.addCards(saved.id, items, saved.payTime + 30);
        }
        if (saved.channel == channel::card)
            continue; // card payments are refunded on the terminal, not here
        const std::int64_t refundTime = saved.payTime + 20 * 60;
        if (refundTime >= now)
            continue;
        if (i % 9 == 4) {
            store.addRefund(saved.id, saved.money, items, refundTime); // in full, handing back its items
        } else if (i % 7 == 3) {
            store.addRefund(saved.id, saved.money / 4, "", refundTime); // in part
        }
    }
}

} // namespace

void seedDemoData(Store& store, std::int64_t now)
{
    Sequence random;

    User demo;
    demo.id = 10001;
    demo.uname = "demo";
    demo.pword = "demo123";
    demo.refundPwd = "123456";
    demo.question = "您母亲的名字是什么？";
    demo.answer = "李秀英";
    demo.rname = "张晓梅";
    demo.company = "杭州青禾餐饮管理有限公司";
    store.addUser(demo);
    std::vector<Shop> shops = {{1001, "青禾茶餐厅", "西湖文化广场店"},
                               {1002, "青禾茶餐厅", "滨江龙湖天街店"},
                               {1003, "青禾茶餐厅", "城西银泰店"}};
    for (const Shop& shop : shops)
        store.addShop(shop, demo.id);
    seedOrders(store, random, demo.id, shops, {demo.rname, "李建国", "王芳"}, 36, now);

    // A second merchant that has not set a refund password or security question yet.
    User fresh;
    fresh.id = 10002;
    fresh.uname = "demo2";
    fresh.pword = "demo123";
    fresh.rname = "陈志强";
    fresh.company = "宁波知味小馆餐饮有限公司";
    store.addUser(fresh);
    const std::vector<Shop> freshShops = {{1004, "知味小馆", "鼓楼店"}};
    store.addShop(freshShops.front(), fresh.id);
    seedOrders(store, random, fresh.id, freshShops, {fresh.rname}, 3, now);
}
