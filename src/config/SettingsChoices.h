#pragma once

#include <QString>
#include <QStringList>

// The choices of the collection, refund and general settings pages, and how the values stored in
// app.config and data.ini map onto them. A stored value the program does not know selects the entry
// that means what the rest of the program makes of that value, never an empty box.
namespace settingschoices {

// "不处理", "四舍五入", "舍掉分钱": the index is the centsMode stored in app.config.
QStringList centsModes();
// The entry for a stored centsMode; an unknown value keeps the cents when collecting, so "不处理".
int centsModeIndex(int storedCentsMode);

// The item name as the refund page takes it: why it cannot be stored, or empty when it can. The
// record holds at most AppConfigRecord::kItemNameMaxUnits UTF-16 code units.
QString itemNameError(const QString& itemName);

// "不开机自动启动", "开机自动启动": the index is stored as "check".
QStringList autostartChoices();
// Start-up switches autostart on for any "check" greater than 0.
int autostartIndex(int storedCheck);

// "启动自动检测更新", "启动不自动检测更新": the index is stored as "check_updata".
QStringList updateCheckChoices();
// The login window checks for a new version only when "check_updata" is 0.
int updateCheckIndex(int storedCheckUpdata);

// The entry of `entries` that reads `stored` (the first of equal ones); the first entry when none does.
int entryIndex(const QStringList& entries, const QString& stored);

} // namespace settingschoices
