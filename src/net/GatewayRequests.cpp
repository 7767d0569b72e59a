#include "net/GatewayRequests.h"

#include "config/DataConfig.h"

#include <QCoreApplication>
#include <QUrl>

#include <initializer_list>
#include <utility>

namespace gateway {

namespace {
using Field = std::pair<const char*, QString>;

enum Ending {
    NoTrailingAmpersand,
    TrailingAmpersand,
};

QByteArray compose(const char* action, std::initializer_list<Field> fields, Ending ending)
{
    QByteArray body = QByteArrayLiteral("version=3.0&action=") + action + '&';
    bool first = true;
    for (const Field& field : fields) {
        if (!first)
            body += '&';
        first = false;
        body += field.first;
        body += '=';
        body += QUrl::toPercentEncoding(field.second);
    }
    if (ending == TrailingAmpersand && fields.size() > 0)
        body += '&';
    return body;
}

Field token(const QString& value)
{
    return {"token", value};
}

// Passwords, the session's token (anyone holding it acts as the cashier) and the customer's payment
// code are never logged.
const char* const kSecretFields[] = {"pword", "re_password", "oldpwd", "pwd", "answer", "token", "auth_code"};
} // namespace

QString gatewayUrl()
{
    const QString configured = DataConfig::instance().getGatewayUrl();
    if (!configured.isEmpty())
        return configured;
    return QCoreApplication::translate("Gateway", CASHIER_GATEWAY_URL);
}

QByteArray redactedBody(const QByteArray& body)
{
    QList<QByteArray> pairs = body.split('&');
    for (QByteArray& pair : pairs) {
        const int eq = pair.indexOf('=');
        const QByteArray name = eq < 0 ? pair : pair.left(eq);
        for (const char* secret : kSecretFields)
            if (name == secret && eq >= 0 && eq + 1 < pair.size())
                pair = name + "=***";
    }
    return pairs.join('&');
}

QByteArray loginBody(const QString& uname, const QString& pword)
{
    return compose("Share.Ace.login", {{"uname", uname}, {"pword", pword}}, NoTrailingAmpersand);
}

QByteArray updateBody()
{
    return compose("Share.App.update", {{"system", QStringLiteral("pc")}}, NoTrailingAmpersand);
}

QByteArray printOrdersBody(const QString& tok)
{
    return compose("Account.Print.orders", {token(tok)}, TrailingAmpersand);
}

QByteArray listShopBody(const QString& tok)
{
    return compose("Account.Shop.listShop", {token(tok)}, NoTrailingAmpersand);
}

QByteArray scanPayBody(const QString& authCode, qint64 moneyFen, const QString& uid, const QString& shopId)
{
    return compose("Pay.Ace.scanpay",
                   {{"auth_code", authCode}, {"money", QString::number(moneyFen)}, {"uid", uid}, {"shopid", shopId}},
                   NoTrailingAmpersand);
}

QByteArray doPrintBody(const QString& tok, const QString& orderNo)
{
    return compose("Account.Print.doprint", {token(tok), {"no", orderNo}}, TrailingAmpersand);
}

QByteArray doCardBody(const QString& tok, const QString& orderNo, const QString& card)
{
    return compose("Account.Pay.docard", {token(tok), {"no", orderNo}, {"card", card}}, TrailingAmpersand);
}

QByteArray listPayBody(const QString& tok, const ListPayQuery& q)
{
    return compose("Account.Pay.listPay",
                   {token(tok),
                    {"page_num", QString::number(kListPayPageSize)},
                    {"p", QString::number(q.page)},
                    {"ord", QStringLiteral("desc")},
                    {"tradeno", q.tradeNo},
                    {"start_date", q.startDate},
                    {"end_date", q.endDate},
                    {"shopid", q.shopId},
                    {"cardno", q.cardNo}},
                   NoTrailingAmpersand);
}

QByteArray refundBody(const QString& tok, qint64 refundFen, const QString& tradeNo, const QString& cardNo,
                      const QString& refundPassword)
{
    return compose("Account.Pay.refund",
                   {token(tok),
                    {"refundmoney", QString::number(refundFen)},
                    {"tradeno", tradeNo},
                    {"cardno", cardNo},
                    {"pwd", refundPassword}},
                   TrailingAmpersand);
}

QByteArray cardsBody(const QString& tok, const QString& orderNo)
{
    return compose("Account.Pay.cards", {token(tok), {"no", orderNo}}, TrailingAmpersand);
}

QByteArray printTimeBody(const QString& tok)
{
    return compose("Account.Print.prinTtime", {token(tok)}, TrailingAmpersand);
}

QByteArray listSumBody(const QString& tok, const QString& time1, const QString& time2)
{
    return compose("Account.Pay.listSum", {token(tok), {"time1", time1}, {"time2", time2}}, TrailingAmpersand);
}

QByteArray logPrintBody(const QString& tok, const QString& time1, const QString& time2)
{
    return compose("Account.Print.logPrint", {token(tok), {"time1", time1}, {"time2", time2}}, TrailingAmpersand);
}

QByteArray editPasswordBody(const QString& tok, const QString& uname, const QString& pword, const QString& rePassword)
{
    return compose("Share.Ace.editPassword",
                   {token(tok), {"uname", uname}, {"pword", pword}, {"re_password", rePassword}}, TrailingAmpersand);
}

QByteArray editRefundPassword1Body(const QString& tok, const QString& uname, const QString& pword,
                                   const QString& rePassword, const QString& oldPwd)
{
    return compose("Share.Ace.editRefundPassword1",
                   {token(tok), {"uname", uname}, {"pword", pword}, {"re_password", rePassword}, {"oldpwd", oldPwd}},
                   TrailingAmpersand);
}

QByteArray getQuestionBody(const QString& tok)
{
    return compose("Share.Ace.getQuestion", {token(tok)}, TrailingAmpersand);
}

namespace {
// The two refund-password actions that go by the security question share their fields.
QByteArray questionPasswordBody(const char* action, const QString& tok, const QString& uname, const QString& pword,
                                const QString& rePassword, const QString& answer, const QString& question)
{
    return compose(action,
                   {token(tok),
                    {"uname", uname},
                    {"pword", pword},
                    {"re_password", rePassword},
                    {"answer", answer},
                    {"question", question}},
                   TrailingAmpersand);
}
} // namespace

QByteArray setRefundPasswordBody(const QString& tok, const QString& uname, const QString& pword,
                                 const QString& rePassword, const QString& answer, const QString& question)
{
    return questionPasswordBody("Share.Ace.setRefundPassword", tok, uname, pword, rePassword, answer, question);
}

QByteArray editRefundPasswordBody(const QString& tok, const QString& uname, const QString& pword,
                                  const QString& rePassword, const QString& answer, const QString& question)
{
    return questionPasswordBody("Share.Ace.editRefundPassword", tok, uname, pword, rePassword, answer, question);
}

} // namespace gateway
