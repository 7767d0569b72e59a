#pragma once

#include "Database.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The gateway's persistent state: merchants, their shops, orders with their registered items and
// refunds, queued print orders and the log of printed shift summaries. Amounts are fen, times Unix
// seconds. Callers serialise access (one mutex in the gateway).

struct User
{
    std::int64_t id = 0;
    std::string uname;
    std::string pword;     // salted digest
    std::string refundPwd; // salted digest, empty while none is set
    std::string question;  // security question for a forgotten refund password, empty while none is set
    std::string answer;    // salted digest
    std::string rname;     // the cashier's real name
    std::string company;
};

struct Shop
{
    std::int64_t id = 0;
    std::string mainName;
    std::string branchName;
};

// Channel codes as stored. WECHAT and ALIPAY are also the codes the scan-pay reply carries.
namespace channel {
inline const std::string wechat = "WECHAT";
inline const std::string alipay = "ALIPAY";
inline const std::string jd = "JDPAY";
inline const std::string card = "CARD";
} // namespace channel

struct NewOrder
{
    std::int64_t userId = 0;
    std::int64_t shopId = 0;
    std::string channel;
    std::int64_t money = 0;
    std::int64_t payTime = 0;
    std::string operatorName;
    std::string authCode;
};

struct Order : NewOrder
{
    std::int64_t id = 0;
    std::string outTradeNo;
    std::string tradeNo;
    std::int64_t refunded = 0;
    std::int64_t printed = 0;
    std::string shopName;
    std::string cardNos; // registered items, comma-separated, in registration order
};

struct Card
{
    std::string cardNo;
    std::int64_t state = 0; // 1: handed back with a refund
};

struct ChannelTotals
{
    std::int64_t count = 0;
    std::int64_t money = 0;
    std::int64_t refunded = 0;
};

struct OrderQuery
{
    std::int64_t userId = 0;
    std::string tradeNo;   // out_trade_no or trade_no; empty: any
    std::int64_t from = 0; // pay time range, inclusive
    std::int64_t to = INT64_MAX;
    std::int64_t shopId = 0; // 0: every shop of the merchant
    std::string cardNo;      // a registered item; empty: any
    std::int64_t page = 1;   // 1-based
    std::int64_t pageSize = 20;
    bool newestFirst = true;
};

struct OrderPage
{
    std::vector<Order> orders;
    std::map<std::string, ChannelTotals> byChannel; // over every order matching the query
    ChannelTotals all;
};

struct PeriodTotals
{
    std::map<std::string, ChannelTotals> byChannel; // money: paid in the period; refunded: refunded in it
    ChannelTotals all;
};

class Store
{
public:
    // Opens the file, creating the schema and the demo data when it is new.
    explicit Store(const std::string& path);

    Database& db() { return m_db; }

    std::optional<User> userByName(const std::string& uname);
    std::optional<User> userById(std::int64_t id);
    std::optional<User> userByToken(const std::string& token);
    // Adds a merchant (id 0: the next free one); the secrets in `user` are given in plain text.
    std::int64_t addUser(const User& user);
    std::string issueToken(std::int64_t userId, std::int64_t now);
    void setLoginPassword(std::int64_t userId, const std::string& plain);
    void setRefundPassword(std::int64_t userId, const std::string& plain);
    void setSecurityQuestion(std::int64_t userId, const std::string& question, const std::string& answer);

    std::int64_t addShop(const Shop& shop, std::int64_t userId); // id 0: the next free one
    std::vector<Shop> shops(std::int64_t userId);
    std::optional<Shop> shop(std::int64_t userId, std::int64_t shopId);

    bool authCodeUsed(const std::string& authCode);
    Order addOrder(const NewOrder& order);
    // An order of this merchant by its out_trade_no (or, failing that, its trade_no).
    std::optional<Order> findOrder(std::int64_t userId, const std::string& no);
    void markPrinted(std::int64_t orderId);
    // Registers each comma-separated item not already registered on the order.
    void addCards(std::int64_t orderId, const std::string& cardNos, std::int64_t now);
    std::vector<Card> cards(std::int64_t orderId);
    // Records a refund and marks the listed items (comma-separated) of the order as handed back.
    void addRefund(std::int64_t orderId, std::int64_t amount, const std::string& cardNos, std::int64_t now);
    OrderPage listOrders(const OrderQuery& query);
    PeriodTotals periodTotals(std::int64_t userId, std::int64_t from, std::int64_t to);

    std::int64_t queuePrintOrder(std::int64_t userId, const std::string& body, std::int64_t now);
    // The bodies of the orders not yet handed out, oldest first; they are marked delivered.
    std::vector<std::string> takePrintOrders(std::int64_t userId, std::int64_t now);
    void logPrint(std::int64_t userId, std::int64_t from, std::int64_t to, std::int64_t now);
    std::optional<std::int64_t> lastPrintedUntil(std::int64_t userId);

    std::string setting(const std::string& key, const std::string& fallback);
    void setSetting(const std::string& key, const std::string& value);

private:
    std::optional<User> oneUser(Database::Statement statement);
    std::vector<Order> orders(Database::Statement statement);

    Database m_db;
};

// Fills a new store with the demo merchants, shops and a day of orders ending at `now`.
void seedDemoData(Store& store, std::int64_t now);
