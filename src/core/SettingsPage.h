#pragma once

#include <QMetaType>

// The pages of the settings panel, numbered as the panel's buttons and the tray menu's settings
// entries are ordered. Screens ask for a page with a signal; the shell opens the panel there.
enum class SettingsPage : int {
    CustomerDisplay = 1,         // 客显设置: the serial ports
    General = 2,                 // 其他设置: printer, autostart, updates
    LoginPassword = 3,           // 密码设置
    RefundPasswordChange = 4,    // 修改退款密码
    RefundPasswordForgotten = 5, // 忘记退款密码
    Collection = 6,              // 收款设置: cents handling
    Refund = 7,                  // 退款设置: refunds and the room/hand-card item
};

Q_DECLARE_METATYPE(SettingsPage)
