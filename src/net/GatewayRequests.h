#pragma once

#include <QByteArray>
#include <QString>

// Every gateway action's request body, composed in one place. A body is
// "version=3.0&action=NAME&" then, for actions sent after login, "token=...&", then the action's
// fields in their fixed order; whether it ends with "&" is each action's own habit and is kept.
// Every value is percent-encoded as UTF-8, so "&", "=", "+" or "%" typed into a room number, a
// password or a security question arrive intact.
namespace gateway {

// The one gateway URL: the build-time address, or "gateway_url" in data.ini when set there.
QString gatewayUrl();

// A body with the values of password fields replaced by "***", for the debug log.
QByteArray redactedBody(const QByteArray& body);

QByteArray loginBody(const QString& uname, const QString& pword);
QByteArray updateBody();
QByteArray printOrdersBody(const QString& token);
QByteArray listShopBody(const QString& token);
QByteArray scanPayBody(const QString& authCode, qint64 moneyFen, const QString& uid, const QString& shopId);
QByteArray doPrintBody(const QString& token, const QString& orderNo);
QByteArray doCardBody(const QString& token, const QString& orderNo, const QString& card);

// Orders on one page of "Account.Pay.listPay" ("page_num").
constexpr int kListPayPageSize = 20;

struct ListPayQuery
{
    int page = 1;
    QString tradeNo;
    QString startDate; // "yyyy-M-d hh:mm:ss"
    QString endDate;
    QString shopId;
    QString cardNo;
};
QByteArray listPayBody(const QString& token, const ListPayQuery& query);

QByteArray refundBody(const QString& token, qint64 refundFen, const QString& tradeNo, const QString& cardNo,
                      const QString& refundPassword);
QByteArray cardsBody(const QString& token, const QString& orderNo);
QByteArray printTimeBody(const QString& token);
QByteArray listSumBody(const QString& token, const QString& time1, const QString& time2);
QByteArray logPrintBody(const QString& token, const QString& time1, const QString& time2);

QByteArray editPasswordBody(const QString& token, const QString& uname, const QString& pword,
                            const QString& rePassword);
QByteArray editRefundPassword1Body(const QString& token, const QString& uname, const QString& pword,
                                   const QString& rePassword, const QString& oldPwd);
QByteArray getQuestionBody(const QString& token);
QByteArray setRefundPasswordBody(const QString& token, const QString& uname, const QString& pword,
                                 const QString& rePassword, const QString& answer, const QString& question);
QByteArray editRefundPasswordBody(const QString& token, const QString& uname, const QString& pword,
                                  const QString& rePassword, const QString& answer, const QString& question);

} // namespace gateway
