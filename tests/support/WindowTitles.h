#pragma once

#include <QString>

// The titles of the program's top-level windows, as a window manager (and xdotool) sees them: how
// the tests and benchmarks that drive the real program from outside find its windows.
namespace windowtitle {
const QString kLogin = QStringLiteral("登录界面");
const QString kSelectShop = QStringLiteral("选择门店");
const QString kMain = QStringLiteral("澜川岚客钱包");
const QString kScanPay = QStringLiteral("扫码收款");
const QString kTradeResult = QStringLiteral("收款成功");
const QString kBusy = QStringLiteral("加载中");
const QString kNotice = QStringLiteral("提示信息");
const QString kTip = QStringLiteral("温馨提示");
const QString kSettings = QStringLiteral("澜川智付");
} // namespace windowtitle
