#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>

// Who is logged in and what the cashier is working on: the login reply, the shop collected for, the
// shop list and the query page on screen. Kept in memory only, for the whole run.
class SessionData
{
public:
    static SessionData& instance();

    // The "content" object of the successful login reply: token, id, uname, rname, company...
    QJsonObject userInfo() const { return m_userInfo; }
    void setUserInfo(const QJsonObject& userInfo) { m_userInfo = userInfo; }

    QJsonObject currentShop() const { return m_currentShop; }
    void setCurrentShop(const QJsonObject& shop) { m_currentShop = shop; }

    // Shops by their index in the shop combo box (reply order).
    QHash<int, QJsonObject> shops() const { return m_shops; }
    void insertShop(int index, const QJsonObject& shop) { m_shops.insert(index, shop); }
    void clearShops() { m_shops.clear(); }

    // Orders of the query page on screen, by table row.
    QHash<int, QJsonObject> orders() const { return m_orders; }
    void insertOrder(int row, const QJsonObject& order) { m_orders.insert(row, order); }
    void clearOrders() { m_orders.clear(); }

    QString printerName() const { return m_printerName; }
    void setPrinterName(const QString& printerName) { m_printerName = printerName; }

    // The password typed at the last successful login. Never written to disk; the password-change
    // page compares against it.
    QString loginPassword() const { return m_loginPassword; }
    void setLoginPassword(const QString& password) { m_loginPassword = password; }

    // Shorthands for the values every request needs; empty before login or shop choice.
    QString token() const;
    QString shopId() const;
    QString userId() const;
    // "rname" of the login reply: the operator printed on reprints, refunds and the shift summary.
    QString operatorName() const;

private:
    SessionData() = default;

    QJsonObject m_userInfo;
    QJsonObject m_currentShop;
    QHash<int, QJsonObject> m_shops;
    QHash<int, QJsonObject> m_orders;
    QString m_printerName;
    QString m_loginPassword;
};
