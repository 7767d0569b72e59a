#include "net/ShopList.h"

#include "net/GatewayReply.h"

namespace shoplist {

QString caption(const QJsonObject& shop)
{
    return gateway::jsonText(shop.value(QStringLiteral("main_name"))) + QStringLiteral("  ") +
           gateway::jsonText(shop.value(QStringLiteral("branch_name")));
}

QStringList captions(const QHash<int, QJsonObject>& shops)
{
    QStringList list;
    for (int i = 0; i < shops.size(); ++i)
        list << caption(shops.value(i));
    return list;
}

} // namespace shoplist
