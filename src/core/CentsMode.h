#pragma once

#include <QString>

namespace money {

// The cents handling of collected amounts (app.config's centsMode), on exact mills:
//   0 keep the amount;
//   1 an amount whose fen and mills reach half a jiao (remainder 50 or more of 100 mills) goes up
//     to the next whole jiao; below the half it is kept as it is;
//   2 drop the fen (and mills);
//   any other value keeps the amount.
qint64 applyCentsMode(qint64 mills, int centsMode);

// What the customer is charged for an amount typed as `mills`: the cents handling applied, rounded
// to the fen, and the same amount as the scan-pay window shows it ("12.3元", "5元", "0.01元").
struct Charge
{
    qint64 fen = 0;
    QString displayText;
};
Charge chargeFor(qint64 mills, int centsMode);

} // namespace money
