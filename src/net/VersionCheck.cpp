#include "net/VersionCheck.h"

#include "net/GatewayReply.h"

namespace gateway {

bool offersNewerVersion(const QJsonObject& content, const QString& current)
{
    if (jsonInt(content.value(QStringLiteral("code"))) == 0)
        return false;
    return QString::compare(jsonText(content.value(QStringLiteral("version_code"))), current, Qt::CaseSensitive) > 0;
}

} // namespace gateway
