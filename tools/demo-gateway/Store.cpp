#include "Store.h"

#include "Secret.h"
#include "Wire.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

const int kSchemaVersion = 1;

const char* const kSchema = R"sql(
CREATE TABLE users (
    id INTEGER PRIMARY KEY,
    uname TEXT NOT NULL UNIQUE,
    pword TEXT NOT NULL,
    refund_pwd TEXT NOT NULL DEFAULT '',
    refund_question TEXT NOT NULL DEFAULT '',
    refund_answer TEXT NOT NULL DEFAULT '',
    rname TEXT NOT NULL,
    company TEXT NOT NULL
);
CREATE TABLE tokens (
    token TEXT PRIMARY KEY,
    user_id INTEGER NOT NULL REFERENCES users(id),
    issued_at INTEGER NOT NULL
);
CREATE TABLE shops (
    shopid INTEGER PRIMARY KEY,
    user_id INTEGER NOT NULL REFERENCES users(id),
    main_name TEXT NOT NULL,
    branch_name TEXT NOT NULL
);
CREATE TABLE orders (
    id INTEGER PRIMARY KEY,
    out_trade_no TEXT NOT NULL UNIQUE,
    trade_no TEXT NOT NULL,
    user_id INTEGER NOT NULL REFERENCES users(id),
    shopid INTEGER NOT NULL REFERENCES shops(shopid),
    channel TEXT NOT NULL,
    money INTEGER NOT NULL CHECK (money > 0),
    refunded INTEGER NOT NULL DEFAULT 0 CHECK (refunded BETWEEN 0 AND money),
    pay_time INTEGER NOT NULL,
    operator TEXT NOT NULL,
    auth_code TEXT NOT NULL DEFAULT '',
    printed INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX orders_by_user_time ON orders(user_id, pay_time);
CREATE UNIQUE INDEX orders_by_auth_code ON orders(auth_code) WHERE auth_code <> '';
CREATE TABLE cards (
    id INTEGER PRIMARY KEY,
    order_id INTEGER NOT NULL REFERENCES orders(id),
    cardno TEXT NOT NULL,
    state INTEGER NOT NULL DEFAULT 0,
    registered_at INTEGER NOT NULL
);
CREATE INDEX cards_by_order ON cards(order_id);
CREATE TABLE refunds (
    id INTEGER PRIMARY KEY,
    order_id INTEGER NOT NULL REFERENCES orders(id),
    amount INTEGER NOT NULL CHECK (amount > 0),
    cardno TEXT NOT NULL,
    refund_time INTEGER NOT NULL
);
CREATE TABLE print_orders (
    id INTEGER PRIMARY KEY,
    user_id INTEGER NOT NULL REFERENCES users(id),
    body TEXT NOT NULL,
    queued_at INTEGER NOT NULL,
    delivered_at INTEGER
);
CREATE TABLE print_log (
    id INTEGER PRIMARY KEY,
    user_id INTEGER NOT NULL REFERENCES users(id),
    time1 INTEGER NOT NULL,
    time2 INTEGER NOT NULL,
    logged_at INTEGER NOT NULL
);
CREATE TABLE settings (
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
)sql";

const char* const kUserColumns =
    "SELECT u.id, u.uname, u.pword, u.refund_pwd, u.refund_question, u.refund_answer, u.rname, u.company FROM users u ";

const char* const kOrderColumns =
    "SELECT o.id, o.out_trade_no, o.trade_no, o.user_id, o.shopid, o.channel, o.money, o.refunded, o.pay_time, "
    "o.operator, o.auth_code, o.printed, s.main_name || s.branch_name, "
    "(SELECT group_concat(cardno, ',') FROM (SELECT cardno FROM cards WHERE order_id = o.id ORDER BY id)) "
    "FROM orders o JOIN shops s ON s.shopid = o.shopid ";

// The filter of the order list, parameters ?1 to ?6 in OrderQuery's order.
const char* const kOrderFilter = "WHERE o.user_id = ?1 AND (?2 = '' OR o.out_trade_no = ?2 OR o.trade_no = ?2) "
                                 "AND o.pay_time BETWEEN ?3 AND ?4 AND (?5 = 0 OR o.shopid = ?5) "
                                 "AND (?6 = '' OR EXISTS (SELECT 1 FROM cards c WHERE c.order_id = o.id "
                                 "AND c.cardno = ?6)) ";

std::vector<std::string> splitItems(const std::string& list)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start)
            items.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

// Transaction numbers in the style of each channel, unique through the order id.
std::string channelTradeNo(const std::string& ch, std::int64_t id, std::int64_t payTime)
{
    const std::string day = formatLocalTime(payTime, "%Y%m%d");
    const auto padded = [](std::int64_t value, int width) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
        return std::string(buffer);
    };
    if (ch == channel::wechat)
        return "42000" + padded(17 * id % 100000, 5) + day + padded(id, 10);
    if (ch == channel::alipay)
        return day + "2200" + padded(id, 16);
    if (ch == channel::jd)
        return "JD" + day + padded(id, 12);
    return "POS" + day + padded(id, 10);
}

} // namespace

Store::Store(const std::string& path) : m_db(path)
{
    const std::int64_t version = m_db.scalar(0, "PRAGMA user_version");
    if (version == kSchemaVersion)
        return;
    if (version != 0)
        throw std::runtime_error(path + " was written by another version of the demo gateway");
    Database::Transaction transaction(m_db);
    m_db.exec(kSchema);
    seedDemoData(*this, nowSeconds());
    m_db.exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.commit();
}

std::optional<User> Store::oneUser(Database::Statement statement)
{
    if (!statement.step())
        return std::nullopt;
    User user;
    user.id = statement.integer(0);
    user.uname = statement.text(1);
    user.pword = statement.text(2);
    user.refundPwd = statement.text(3);
    user.question = statement.text(4);
    user.answer = statement.text(5);
    user.rname = statement.text(6);
    user.company = statement.text(7);
    return user;
}

std::optional<User> Store::userByName(const std::string& uname)
{
    return oneUser(m_db.query(std::string(kUserColumns) + "WHERE u.uname = ?", uname));
}

std::optional<User> Store::userById(std::int64_t id)
{
    return oneUser(m_db.query(std::string(kUserColumns) + "WHERE u.id = ?", id));
}

std::optional<User> Store::userByToken(const std::string& token)
{
    if (token.empty())
        return std::nullopt;
    return oneUser(
        m_db.query(std::string(kUserColumns) + "JOIN tokens t ON t.user_id = u.id WHERE t.token = ?", token));
}

std::int64_t Store::addUser(const User& user)
{
    m_db.run("INSERT INTO users (id, uname, pword, refund_pwd, refund_question, refund_answer, rname, company) "
             "VALUES (NULLIF(?, 0), ?, ?, ?, ?, ?, ?, ?)",
             user.id, user.uname, hashSecret(user.pword),
             user.refundPwd.empty() ? std::string() : hashSecret(user.refundPwd), user.question,
             user.answer.empty() ? std::string() : hashSecret(user.answer), user.rname, user.company);
    return m_db.lastInsertId();
}

std::string Store::issueToken(std::int64_t userId, std::int64_t now)
{
    const std::string token = randomHex(16);
    m_db.run("INSERT INTO tokens (token, user_id, issued_at) VALUES (?, ?, ?)", token, userId, now);
    return token;
}

void Store::setLoginPassword(std::int64_t userId, const std::string& plain)
{
    m_db.run("UPDATE users SET pword = ? WHERE id = ?", hashSecret(plain), userId);
}

void Store::setRefundPassword(std::int64_t userId, const std::string& plain)
{
    m_db.run("UPDATE users SET refund_pwd = ? WHERE id = ?", hashSecret(plain), userId);
}

void Store::setSecurityQuestion(std::int64_t userId, const std::string& question, const std::string& answer)
{
    m_db.run("UPDATE users SET refund_question = ?, refund_answer = ? WHERE id = ?", question, hashSecret(answer),
             userId);
}

std::int64_t Store::addShop(const Shop& shop, std::int64_t userId)
{
    m_db.run("INSERT INTO shops (shopid, user_id, main_name, branch_name) VALUES (NULLIF(?, 0), ?, ?, ?)", shop.id,
             userId, shop.mainName, shop.branchName);
    return m_db.lastInsertId();
}

std::vector<Shop> Store::shops(std::int64_t userId)
{
    std::vector<Shop> result;
    auto statement =
        m_db.query("SELECT shopid, main_name, branch_name FROM shops WHERE user_id = ? ORDER BY shopid", userId);
    while (statement.step())
        result.push_back({statement.integer(0), statement.text(1), statement.text(2)});
    return result;
}

std::optional<Shop> Store::shop(std::int64_t userId, std::int64_t shopId)
{
    for (const Shop& shop : shops(userId))
        if (shop.id == shopId)
            return shop;
    return std::nullopt;
}

bool Store::authCodeUsed(const std::string& authCode)
{
    return m_db.scalar(0, "SELECT COUNT(*) FROM orders WHERE auth_code = ?", authCode) > 0;
}

Order Store::addOrder(const NewOrder& order)
{
    const std::int64_t id = m_db.scalar(0, "SELECT MAX(id) FROM orders") + 1;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06lld", static_cast<long long>(id % 1000000));
    const std::string outTradeNo = formatLocalTime(order.payTime, "%Y%m%d%H%M%S") + suffix;
    m_db.run("INSERT INTO orders (id, out_trade_no, trade_no, user_id, shopid, channel, money, pay_time, operator, "
             "auth_code) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
             id, outTradeNo, channelTradeNo(order.channel, id, order.payTime), order.userId, order.shopId,
             order.channel, order.money, order.payTime, order.operatorName, order.authCode);
    return orders(m_db.query(std::string(kOrderColumns) + "WHERE o.id = ?", id)).front();
}

std::vector<Order> Store::orders(Database::Statement statement)
{
    std::vector<Order> result;
    while (statement.step()) {
        Order order;
        order.id = statement.integer(0);
        order.outTradeNo = statement.text(1);
        order.tradeNo = statement.text(2);
        order.userId = statement.integer(3);
        order.shopId = statement.integer(4);
        order.channel = statement.text(5);
        order.money = statement.integer(6);
        order.refunded = statement.integer(7);
        order.payTime = statement.integer(8);
        order.operatorName = statement.text(9);
        order.authCode = statement.text(10);
        order.printed = statement.integer(11);
        order.shopName = statement.text(12);
        order.cardNos = statement.text(13);
        result.push_back(std::move(order));
    }
    return result;
}

std::optional<Order> Store::findOrder(std::int64_t userId, const std::string& no)
{
    if (no.empty())
        return std::nullopt;
    auto found = orders(m_db.query(std::string(kOrderColumns) +
                                       "WHERE o.user_id = ?1 AND (o.out_trade_no = ?2 OR o.trade_no = ?2) "
                                       "ORDER BY o.out_trade_no = ?2 DESC LIMIT 1",
                                   userId, no));
    if (found.empty())
        return std::nullopt;
    return found.front();
}

void Store::markPrinted(std::int64_t orderId)
{
    m_db.run("UPDATE orders SET printed = printed + 1 WHERE id = ?", orderId);
}

void Store::addCards(std::int64_t orderId, const std::string& cardNos, std::int64_t now)
{
    for (const std::string& cardNo : splitItems(cardNos)) {
        m_db.run("INSERT INTO cards (order_id, cardno, registered_at) SELECT ?1, ?2, ?3 WHERE NOT EXISTS "
                 "(SELECT 1 FROM cards WHERE order_id = ?1 AND cardno = ?2)",
                 orderId, cardNo, now);
    }
}

std::vector<Card> Store::cards(std::int64_t orderId)
{
    std::vector<Card> result;
    auto statement = m_db.query("SELECT cardno, state FROM cards WHERE order_id = ? ORDER BY id", orderId);
    while (statement.step())
        result.push_back({statement.text(0), statement.integer(1)});
    return result;
}

void Store::addRefund(std::int64_t orderId, std::int64_t amount, const std::string& cardNos, std::int64_t now)
{
    m_db.run("INSERT INTO refunds (order_id, amount, cardno, refund_time) VALUES (?, ?, ?, ?)", orderId, amount,
             cardNos, now);
    m_db.run("UPDATE orders SET refunded = refunded + ? WHERE id = ?", amount, orderId);
    for (const std::string& cardNo : splitItems(cardNos))
        m_db.run("UPDATE cards SET state = 1 WHERE order_id = ? AND cardno = ?", orderId, cardNo);
}

OrderPage Store::listOrders(const OrderQuery& q)
{
    OrderPage page;
    auto totals = m_db.query(std::string("SELECT o.channel, COUNT(*), SUM(o.money), SUM(o.refunded) FROM orders o ") +
                                 kOrderFilter + "GROUP BY o.channel",
                             q.userId, q.tradeNo, q.from, q.to, q.shopId, q.cardNo);
    while (totals.step()) {
        const ChannelTotals t{totals.integer(1), totals.integer(2), totals.integer(3)};
        page.byChannel[totals.text(0)] = t;
        page.all.count += t.count;
        page.all.money += t.money;
        page.all.refunded += t.refunded;
    }
    const std::string order = q.newestFirst ? "ORDER BY o.pay_time DESC, o.id DESC " : "ORDER BY o.pay_time, o.id ";
    page.orders =
        orders(m_db.query(std::string(kOrderColumns) + kOrderFilter + order + "LIMIT ?7 OFFSET ?8", q.userId, q.tradeNo,
                          q.from, q.to, q.shopId, q.cardNo, q.pageSize, (q.page - 1) * q.pageSize));
    return page;
}

PeriodTotals Store::periodTotals(std::int64_t userId, std::int64_t from, std::int64_t to)
{
    PeriodTotals result;
    auto paid = m_db.query("SELECT channel, COUNT(*), SUM(money) FROM orders WHERE user_id = ? AND pay_time BETWEEN ? "
                           "AND ? GROUP BY channel",
                           userId, from, to);
    while (paid.step()) {
        ChannelTotals& t = result.byChannel[paid.text(0)];
        t.count = paid.integer(1);
        t.money = paid.integer(2);
        result.all.count += t.count;
        result.all.money += t.money;
    }
    auto refunded = m_db.query("SELECT o.channel, SUM(r.amount) FROM refunds r JOIN orders o ON o.id = r.order_id "
                               "WHERE o.user_id = ? AND r.refund_time BETWEEN ? AND ? GROUP BY o.channel",
                               userId, from, to);
    while (refunded.step()) {
        result.byChannel[refunded.text(0)].refunded = refunded.integer(1);
        result.all.refunded += refunded.integer(1);
    }
    return result;
}

std::int64_t Store::queuePrintOrder(std::int64_t userId, const std::string& body, std::int64_t now)
{
    m_db.run("INSERT INTO print_orders (user_id, body, queued_at) VALUES (?, ?, ?)", userId, body, now);
    return m_db.lastInsertId();
}

std::vector<std::string> Store::takePrintOrders(std::int64_t userId, std::int64_t now)
{
    std::vector<std::string> bodies;
    auto pending =
        m_db.query("SELECT body FROM print_orders WHERE user_id = ? AND delivered_at IS NULL ORDER BY id", userId);
    while (pending.step())
        bodies.push_back(pending.text(0));
    m_db.run("UPDATE print_orders SET delivered_at = ? WHERE user_id = ? AND delivered_at IS NULL", now, userId);
    return bodies;
}

void Store::logPrint(std::int64_t userId, std::int64_t from, std::int64_t to, std::int64_t now)
{
    m_db.run("INSERT INTO print_log (user_id, time1, time2, logged_at) VALUES (?, ?, ?, ?)", userId, from, to, now);
}

std::optional<std::int64_t> Store::lastPrintedUntil(std::int64_t userId)
{
    auto last = m_db.query("SELECT time2 FROM print_log WHERE user_id = ? ORDER BY id DESC LIMIT 1", userId);
    if (!last.step())
        return std::nullopt;
    return last.integer(0);
}

std::string Store::setting(const std::string& key, const std::string& fallback)
{
    auto statement = m_db.query("SELECT value FROM settings WHERE key = ?", key);
    return statement.step() ? statement.text(0) : fallback;
}

void Store::setSetting(const std::string& key, const std::string& value)
{
    m_db.run("INSERT INTO settings (key, value) VALUES (?1, ?2) ON CONFLICT(key) DO UPDATE SET value = ?2", key, value);
}
