#include "net/ChargeOperation.h"

#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/NetLog.h"
#include "net/PaymentCheck.h"
#include "net/SessionData.h"

ChargeOperation::ChargeOperation(QObject* parent) : QObject(parent) {}

QString ChargeOperation::checkFailedText()
{
    return QStringLiteral("上一笔收款的结果未知，顾客可能已经付款。请先在交易列表中核对该笔交易，再重新扫码收款");
}

QString ChargeOperation::journalFailedText()
{
    return QStringLiteral("无法记录本次收款，请检查程序所在文件夹是否可写，然后重新收款");
}

void ChargeOperation::start(const Sale& sale)
{
    m_sale = sale;
    m_earlier = MoneyJournal::instance().unresolved(MoneyJournal::Kind::Charge, sale.shopId);
    checkNext();
}

void ChargeOperation::checkNext()
{
    if (m_earlier.isEmpty()) {
        postCharge();
        return;
    }
    m_page = 1;
    m_candidates.clear();
    requestPage();
}

void ChargeOperation::requestPage()
{
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &ChargeOperation::onPage);
    request->post(
        gateway::gatewayUrl(),
        gateway::listPayBody(SessionData::instance().token(),
                             paymentcheck::searchQuery(m_earlier.first(), QDateTime::currentDateTime(), m_page)),
        HttpFun::Effect::ReadsOnly);
}

void ChargeOperation::onPage(bool success, const QByteArray& body)
{
    const MoneyJournal::Entry& earlier = m_earlier.first();
    const paymentcheck::Search found =
        paymentcheck::search(success ? body : QByteArray(), earlier, QDateTime::currentDateTime(),
                             MoneyJournal::instance().completedPayments());
    if (!found.answered || found.totalPages > paymentcheck::kMaxPages) {
        checkFailed();
        return;
    }
    m_candidates += found.candidates;
    // Every page of the period: the lost charge may lie under any number of later sales.
    if (m_page < found.totalPages) {
        ++m_page;
        requestPage();
        return;
    }
    askCandidates();
}

void ChargeOperation::askCandidates()
{
    MoneyJournal& journal = MoneyJournal::instance();
    MoneyJournal::Entry earlier = m_earlier.takeFirst();
    const bool sameSale = earlier.fen == m_sale.fen;
    for (const QJsonObject& candidate : qAsConst(m_candidates)) {
        const QString orderNo = gateway::jsonText(candidate.value(QStringLiteral("out_trade_no")));
        if (m_confirm && m_confirm(earlier, candidate, sameSale)) {
            qCInfo(lcGateway).noquote() << "lost charge" << earlier.id << "found as" << orderNo;
            journal.resolve(earlier.id);
            journal.noteCompleted(orderNo);
            if (sameSale) {
                finish(Outcome::Done,
                       paymentcheck::tradeResultContent(candidate, SessionData::instance().operatorName()));
                return;
            }
            checkNext();
            return;
        }
        earlier.declined.append(orderNo);
        journal.update(earlier);
    }
    // Nowhere in the gateway's list over the whole period, or every payment there declined by the
    // cashier: it was not charged.
    qCInfo(lcGateway).noquote() << "lost charge" << earlier.id << "not at the gateway";
    journal.resolve(earlier.id);
    checkNext();
}

void ChargeOperation::checkFailed()
{
    MoneyJournal::Entry earlier = m_earlier.first();
    // Told once to look at the list, the cashier scanned again: that is the cashier's decision.
    if (earlier.cashierWarned) {
        qCInfo(lcGateway).noquote() << "lost charge" << earlier.id << "left to the cashier";
        MoneyJournal::instance().resolve(earlier.id);
        m_earlier.removeFirst();
        checkNext();
        return;
    }
    earlier.cashierWarned = true;
    MoneyJournal::instance().update(earlier);
    finish(Outcome::NotSent, QJsonObject(), checkFailedText());
}

void ChargeOperation::postCharge()
{
    m_charge = MoneyJournal::newEntry(MoneyJournal::Kind::Charge, m_sale.shopId, m_sale.fen);
    // On disk before the request leaves: killed while it is out, the next start still knows.
    if (!MoneyJournal::instance().add(m_charge)) {
        finish(Outcome::NotSent, QJsonObject(), journalFailedText());
        return;
    }
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &ChargeOperation::onCharge);
    request->post(gateway::gatewayUrl(),
                  gateway::scanPayBody(m_sale.payCode, m_sale.fen, m_sale.userId, m_sale.shopId));
}

void ChargeOperation::onCharge(bool success, const QByteArray& body)
{
    qCDebug(lcGateway).noquote() << "scan-pay reply" << body;
    const QJsonObject content = gateway::replyContent(body);
    // A reply without a "msg" (an error page, "{}", text that is not JSON) says nothing about the
    // charge either: like no reply, the customer may have paid.
    if (!success || !content.contains(QStringLiteral("msg"))) {
        finish(Outcome::Unknown);
        return;
    }
    // The gateway answered this request: whatever it said, this charge is no longer unknown. (An
    // earlier one still in the journal stays there.)
    MoneyJournal::instance().resolve(m_charge.id);
    const QString msg = gateway::jsonText(content.value(QStringLiteral("msg")));
    if (msg != QStringLiteral("成功")) {
        finish(Outcome::Refused, QJsonObject(), msg);
        return;
    }
    const QString orderNo = gateway::jsonText(content.value(QStringLiteral("out_trade_no")));
    MoneyJournal::instance().noteCompleted(orderNo);
    finish(Outcome::Done, content);
}

void ChargeOperation::finish(Outcome outcome, const QJsonObject& content, const QString& text)
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished(outcome, content, text);
}
