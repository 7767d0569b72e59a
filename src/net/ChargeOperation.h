#pragma once

#include "net/MoneyJournal.h"
#include "net/MoneyOutcome.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

// One scan-pay of a sale, from the scanned code to its one outcome. Before anything is charged,
// the charges of this shop whose outcome was never learnt (in the journal, from this run or an
// earlier one) are looked for at the gateway and put to the cashier; then the charge is written to
// the journal and sent. It reports exactly once:
// - Done: the sale is paid; `content` is what the trade result shows (the scan-pay reply, or the
//   payment found at the gateway that the cashier confirmed as this sale's);
// - Refused: the gateway said no (`text`, as it said it); nothing was charged;
// - Unknown: no answer that can be read; the customer may have paid, and the charge stays in the
//   journal until the gateway's list says what became of it;
// - NotSent: nothing was sent (`text` says why: an earlier charge could not be checked, or the
//   journal could not be written).
class ChargeOperation : public QObject
{
    Q_OBJECT

public:
    using Outcome = MoneyOutcome;
    struct Sale
    {
        QString payCode;
        qint64 fen = 0;
        QString shopId;
        QString userId;
    };
    // Asks the cashier whether `candidate`, found at the gateway, is the payment of `earlier`
    // (when `sameSale`, the payment of the sale being collected). Answered while the operation
    // waits; true means yes.
    using Confirm =
        std::function<bool(const MoneyJournal::Entry& earlier, const QJsonObject& candidate, bool sameSale)>;

    explicit ChargeOperation(QObject* parent = nullptr);

    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }
    void start(const Sale& sale);

    static QString checkFailedText();
    static QString journalFailedText();

signals:
    void finished(ChargeOperation::Outcome outcome, const QJsonObject& content, const QString& text);

private:
    void checkNext();
    void requestPage();
    void onPage(bool success, const QByteArray& body);
    void askCandidates();
    void checkFailed();
    void postCharge();
    void onCharge(bool success, const QByteArray& body);
    void finish(Outcome outcome, const QJsonObject& content = QJsonObject(), const QString& text = QString());

    Sale m_sale;
    Confirm m_confirm;
    QVector<MoneyJournal::Entry> m_earlier; // still to be looked for, oldest first
    int m_page = 1;
    QVector<QJsonObject> m_candidates;
    MoneyJournal::Entry m_charge; // the charge sent
    bool m_finished = false;
};
