#include "net/CardRegistration.h"

#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"

CardRegistration::CardRegistration(QObject* parent) : QObject(parent) {}

bool CardRegistration::stored(bool success, const QByteArray& reply)
{
    // Any reply of the gateway: it answers a number it could not store only in ways no client was
    // ever told to read, and one it did store must not be typed in again.
    return success && gateway::hasContent(reply);
}

void CardRegistration::start(const QString& orderNo, const QString& card)
{
    m_inFlight = true;
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, [this](bool success, const QByteArray& reply) {
        m_inFlight = false;
        emit finished(stored(success, reply));
    });
    request->post(gateway::gatewayUrl(), gateway::doCardBody(SessionData::instance().token(), orderNo, card));
}
