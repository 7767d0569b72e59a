#pragma once

#include <QString>

// What the client says about itself: in the tray tool tip, the about box, the login window and the
// update check. One place, so a rebrand or a release touches one file.
namespace product {

inline QString name()
{
    return QStringLiteral("澜川智付");
}

// Compared with the version the gateway offers.
inline QString version()
{
    return QStringLiteral(CASHIER_VERSION);
}

inline QString website()
{
    return QStringLiteral("https://www.lanchuanpay.example/");
}

inline QString rightsLine()
{
    return QStringLiteral("© 2026 澜川智付 版权所有");
}

} // namespace product
