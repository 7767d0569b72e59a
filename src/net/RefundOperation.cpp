#include "net/RefundOperation.h"

#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/NetLog.h"
#include "net/SessionData.h"

#include <QJsonObject>

RefundOperation::RefundOperation(QObject* parent) : QObject(parent) {}

void RefundOperation::start(const Refund& refund)
{
    m_entry = MoneyJournal::newEntry(MoneyJournal::Kind::Refund, refund.shopId, refund.fen);
    m_entry.outTradeNo = refund.order.outTradeNo;
    m_entry.refundedFen = refund.order.refundFen;
    if (!MoneyJournal::instance().add(m_entry)) {
        emit finished(Outcome::NotSent, QStringLiteral("无法记录本次退款，请检查程序所在文件夹是否可写，然后重试"), 0);
        return;
    }
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &RefundOperation::onReply);
    request->post(gateway::gatewayUrl(), gateway::refundBody(SessionData::instance().token(), refund.fen,
                                                             refund.order.outTradeNo, refund.cardNo, refund.password));
}

void RefundOperation::onReply(bool success, const QByteArray& body)
{
    const QJsonObject reply = gateway::replyObject(body);
    // No answer, or none that says what happened: the refund may have been made.
    if (!success || !reply.contains(QStringLiteral("msg"))) {
        qCInfo(lcGateway).noquote() << "refund of" << m_entry.outTradeNo << "unknown";
        // A gateway that sent any answer at all is done with the refund: the next list shows it.
        auto* request = qobject_cast<HttpFun*>(sender());
        if (request && request->responded()) {
            m_entry.answeredAt = QDateTime::currentDateTimeUtc();
            MoneyJournal::instance().update(m_entry);
        }
        emit finished(Outcome::Unknown, QString(), 0);
        return;
    }
    MoneyJournal::instance().resolve(m_entry.id);
    const QString msg = gateway::jsonText(reply.value(QStringLiteral("msg")));
    if (msg == QStringLiteral("退款成功"))
        emit finished(Outcome::Done, msg, 1);
    else
        emit finished(Outcome::Refused, msg, gateway::jsonInt(reply.value(QStringLiteral("code"))));
}

QSet<QString> RefundOperation::reconcile(const QVector<Order>& orders, const QDateTime& listedAt)
{
    MoneyJournal& journal = MoneyJournal::instance();
    QSet<QString> stillUnknown;
    for (const Order& order : orders) {
        const MoneyJournal::Entry entry = journal.unresolvedRefund(order.outTradeNo);
        if (!entry.isValid())
            continue;
        const bool refunded = order.refundFen > entry.refundedFen || (order.refunded() && entry.refundedFen == 0);
        // A list fetched after the gateway answered shows what it did; without an answer the
        // gateway may still be making the refund for a while.
        const bool settled = (entry.answeredAt.isValid() && entry.answeredAt <= listedAt) ||
                             entry.sentAt.secsTo(listedAt) > kSettleSeconds;
        if (refunded || settled) {
            qCInfo(lcGateway).noquote() << "unknown refund of" << order.outTradeNo << (refunded ? "made" : "not made");
            journal.resolve(entry.id);
        } else {
            stillUnknown.insert(order.outTradeNo);
        }
    }
    return stillUnknown;
}
