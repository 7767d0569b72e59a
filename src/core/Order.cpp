#include "core/Order.h"

bool isRefundedState(const QString& finalInfo)
{
    return finalInfo == QStringLiteral("退款成功") || finalInfo == QStringLiteral("已退款,交易关闭");
}
