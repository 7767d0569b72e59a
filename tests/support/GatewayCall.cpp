#include "GatewayCall.h"

#include "net/GatewayReply.h"
#include "net/HttpFun.h"

#include <QEventLoop>
#include <QTimer>

QJsonObject GatewayCall::content() const
{
    return gateway::replyContent(body);
}

QJsonObject GatewayCall::top() const
{
    return gateway::replyObject(body);
}

GatewayCall callGateway(const QString& url, const QByteArray& body, int waitMs)
{
    GatewayCall call;
    QEventLoop loop;
    auto* request = new HttpFun;
    QObject::connect(request, &HttpFun::signal_requestFinished, &loop, [&](bool ok, const QByteArray& reply) {
        call.success = ok;
        call.body = reply;
        loop.quit();
    });
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    request->post(url, body);
    loop.exec();
    return call;
}
