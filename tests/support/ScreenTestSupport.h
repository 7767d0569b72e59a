#pragma once

// Helpers for screen tests that run against the demo gateway: the data.ini the screens read, the
// gateway's request log, and the top-level windows a screen opens on its own.

#include "DemoGateway.h"
#include "GatewayCall.h"
#include "TestSupport.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTextCodec>
#include <QWidget>

#include "net/GatewayRequests.h"
#include "net/SessionData.h"

// Replaces data.ini in the working directory: the gateway address, then `lines` as they are
// (already encoded as the file stores them).
inline bool writeDataIni(const DemoGateway& gateway, const QByteArray& lines = QByteArray())
{
    return writeFileBytes(QStringLiteral("data.ini"),
                          "[data_config]\ngateway_url=" + gateway.url().toUtf8() + "\n" + lines);
}

// The "printerName" line of data.ini naming `name`, encoded as the file stores it.
inline QByteArray printerLine(const QString& name)
{
    return "printerName=" + QTextCodec::codecForName("GB2312")->fromUnicode(name) + "\n";
}

// Logs in as the demo merchant and makes its first shop the one collected for, as the login window
// and shop selection would; false when the gateway did not let it.
inline bool logInAsDemo(const DemoGateway& gateway)
{
    const GatewayCall login = callGateway(gateway.url(), gateway::loginBody("demo", "demo123"));
    if (!login.success)
        return false;
    SessionData& session = SessionData::instance();
    session.setUserInfo(login.content());
    const GatewayCall shops = callGateway(gateway.url(), gateway::listShopBody(session.token()));
    session.setCurrentShop(shops.content().value("listshop").toArray().at(0).toObject());
    return !session.shopId().isEmpty();
}

// A payment of `fen` with the customer's `code` at the current shop, made directly at the gateway;
// the reply's content ("msg" is "成功" when it went through).
inline QJsonObject payAtCurrentShop(const DemoGateway& gateway, const QString& code, qint64 fen)
{
    const SessionData& session = SessionData::instance();
    return callGateway(gateway.url(), gateway::scanPayBody(code, fen, session.userId(), session.shopId())).content();
}

// The raw value of `key` in data.ini as it is on disk, decoded from GB2312; a null string when the
// key is not there.
inline QString dataIniValue(const QString& key)
{
    const QString text = QTextCodec::codecForName("GB2312")->toUnicode(readFileBytes(QStringLiteral("data.ini")));
    const QString prefix = key + QLatin1Char('=');
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(prefix))
            return trimmed.mid(prefix.size());
    }
    return QString();
}

// The requests of `action` the gateway received since its last reset, oldest first.
inline QJsonArray gatewayRequests(DemoGateway& gateway, const QString& action)
{
    return QJsonDocument::fromJson(gateway.adminGet(QStringLiteral("requests?action=") + action)).array();
}

// The decoded form fields of the `index`-th request of `action`.
inline QJsonObject gatewayRequestFields(DemoGateway& gateway, const QString& action, int index = 0)
{
    return gatewayRequests(gateway, action).at(index).toObject().value(QStringLiteral("fields")).toObject();
}

// The top-level windows of type T, in no particular order.
template <typename T> QList<T*> topLevelWindows()
{
    QList<T*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (T* window = qobject_cast<T*>(widget))
            found.append(window);
    return found;
}

// Deletes the windows of type T, so that one test's windows do not answer in the next.
template <typename T> void deleteWindows()
{
    QList<QPointer<T>> windows;
    for (T* window : topLevelWindows<T>())
        windows.append(window);
    for (const QPointer<T>& window : windows)
        delete window.data();
}
