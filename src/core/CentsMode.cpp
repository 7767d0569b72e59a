#include "core/CentsMode.h"

#include "core/Money.h"

namespace money {

qint64 applyCentsMode(qint64 mills, int centsMode)
{
    switch (centsMode) {
    case 1:
        return mills % 100 > 49 ? (mills / 100 + 1) * 100 : mills;
    case 2:
        return mills / 100 * 100;
    default:
        return mills;
    }
}

Charge chargeFor(qint64 mills, int centsMode)
{
    Charge charge;
    charge.fen = millsToFen(applyCentsMode(mills, centsMode));
    // Shown as charged: never more digits than the fen, trailing zeros dropped.
    QString yuan = formatYuan(charge.fen);
    while (yuan.endsWith(QLatin1Char('0')))
        yuan.chop(1);
    if (yuan.endsWith(QLatin1Char('.')))
        yuan.chop(1);
    charge.displayText = yuan + QStringLiteral("元");
    return charge;
}

} // namespace money
