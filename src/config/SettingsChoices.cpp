#include "config/SettingsChoices.h"

#include "config/AppConfigRecord.h"

namespace settingschoices {

QStringList centsModes()
{
    return {QStringLiteral("不处理"), QStringLiteral("四舍五入"), QStringLiteral("舍掉分钱")};
}

int centsModeIndex(int storedCentsMode)
{
    return storedCentsMode >= 0 && storedCentsMode < centsModes().size() ? storedCentsMode
                                                                         : int(AppConfigRecord::KeepCents);
}

QString itemNameError(const QString& itemName)
{
    if (itemName.size() > AppConfigRecord::kItemNameMaxUnits)
        return QStringLiteral("物品名称最多%1个字，请重新输入").arg(AppConfigRecord::kItemNameMaxUnits);
    return QString();
}

QStringList autostartChoices()
{
    return {QStringLiteral("不开机自动启动"), QStringLiteral("开机自动启动")};
}

int autostartIndex(int storedCheck)
{
    return storedCheck > 0 ? 1 : 0;
}

QStringList updateCheckChoices()
{
    return {QStringLiteral("启动自动检测更新"), QStringLiteral("启动不自动检测更新")};
}

int updateCheckIndex(int storedCheckUpdata)
{
    return storedCheckUpdata != 0 ? 1 : 0;
}

int entryIndex(const QStringList& entries, const QString& stored)
{
    return qMax(entries.indexOf(stored), 0);
}

} // namespace settingschoices
