#pragma once

#include <QObject>
#include <QString>

// Registers a room or hand-card number against a paid order ("Account.Pay.docard"), from the
// trade result or the transaction list. Reports once: stored — the gateway answered (its reply has
// nothing the client must read) — or not known to be stored: no reply, or a body that is no reply
// of the gateway (an error page, "{}", text that is not JSON).
class CardRegistration : public QObject
{
    Q_OBJECT

public:
    explicit CardRegistration(QObject* parent = nullptr);
    void start(const QString& orderNo, const QString& card);
    bool inFlight() const { return m_inFlight; }

    // Whether a docard reply says the number was stored.
    static bool stored(bool success, const QByteArray& reply);

signals:
    void finished(bool stored);

private:
    bool m_inFlight = false;
};
