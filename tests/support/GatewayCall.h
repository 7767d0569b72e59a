#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// Sends one body through HttpFun, the way the screens do, and waits for its report.
struct GatewayCall
{
    bool success = false;
    QByteArray body;
    QJsonObject content() const;
    QJsonObject top() const;
};

GatewayCall callGateway(const QString& url, const QByteArray& body, int waitMs = 15000);
