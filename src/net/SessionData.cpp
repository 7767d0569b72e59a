#include "net/SessionData.h"

#include "net/GatewayReply.h"

SessionData& SessionData::instance()
{
    static SessionData session;
    return session;
}

QString SessionData::shopId() const
{
    return gateway::jsonText(m_currentShop.value(QStringLiteral("shopid")));
}

QString SessionData::operatorName() const
{
    return gateway::jsonText(m_userInfo.value(QStringLiteral("rname")));
}

QString SessionData::userId() const
{
    return gateway::jsonText(m_userInfo.value(QStringLiteral("id")));
}

QString SessionData::token() const
{
    return gateway::jsonText(m_userInfo.value(QStringLiteral("token")));
}
