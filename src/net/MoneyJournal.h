#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

// The money operations whose outcome is not known yet: a charge or a refund is written here, to
// disk, before its request leaves, and taken off once the gateway's answer (or its transaction list)
// says what became of it. What is here survives a crash, a power cut or a quit in the middle of a
// sale, and is looked for at the gateway before the shop charges again.
//
// The file is journal.json in the working directory, beside data.ini. A file that cannot be read
// is never emptied: it is moved aside (journal.json.damaged-<time>) and the cashier is told.
class MoneyJournal
{
public:
    enum class Kind {
        Charge,
        Refund,
    };
    struct Entry
    {
        QString id;
        Kind kind = Kind::Charge;
        QString shopId;
        qint64 fen = 0;
        QDateTime sentAt;           // this machine's clock, UTC
        QString outTradeNo;         // a refund: the order refunded
        qint64 refundedFen = 0;     // a refund: what the order showed refunded before it
        QStringList declined;       // a charge: payments the cashier said were not it
        bool cashierWarned = false; // a charge: the cashier was told it could not be checked
        QDateTime answeredAt;       // the gateway answered it, unreadably: done with it by then

        bool isValid() const { return !id.isEmpty(); }
    };

    static MoneyJournal& instance();

    // Reads the file (done at start; otherwise on first use). False when it was damaged: it has
    // been moved aside, `problem` says where, and the journal starts empty.
    bool load(QString* problem = nullptr);

    // Each change is on disk (written whole, synced and renamed into place) before it returns true.
    // False when the file could not be written: nothing changed, and no money request may leave.
    bool add(const Entry& entry);
    bool update(const Entry& entry);
    bool resolve(const QString& id);

    QVector<Entry> unresolved(Kind kind, const QString& shopId = QString()) const;
    // The unresolved refund of an order, if any.
    Entry unresolvedRefund(const QString& outTradeNo) const;

    // Payments this client saw complete (kept for a while across restarts): never offered as the
    // payment of a charge whose reply was lost.
    QSet<QString> completedPayments() const;
    bool noteCompleted(const QString& outTradeNo);

    static Entry newEntry(Kind kind, const QString& shopId, qint64 fen);

    // Tests only: another file, read afresh.
    static void setPathForTesting(const QString& path);
    QString path() const { return m_path; }

private:
    MoneyJournal();
    void ensureLoaded();
    bool save(const QVector<Entry>& entries, const QStringList& completed);

    QString m_path;
    bool m_loaded = false;
    QVector<Entry> m_entries;
    QStringList m_completed; // oldest first, bounded
};
