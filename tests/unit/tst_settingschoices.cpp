// How the settings pages map stored values onto their choices, check the refund item's name, and
// caption the merchant's shops.

#include "config/AppConfigRecord.h"
#include "config/SettingsChoices.h"
#include "net/ShopList.h"

#include <QJsonObject>
#include <QtTest>

using namespace settingschoices;

class TestSettingsChoices : public QObject
{
    Q_OBJECT

private slots:
    void storedValuesSelectWhatTheProgramMakesOfThem()
    {
        // The cents mode is the index; unknown modes keep the cents when collecting, so "不处理".
        QCOMPARE(centsModes(), (QStringList{"不处理", "四舍五入", "舍掉分钱"}));
        for (int mode : {0, 1, 2})
            QCOMPARE(centsModeIndex(mode), mode);
        for (int unknown : {-1, 3, 1 << 30})
            QCOMPARE(centsModeIndex(unknown), 0);

        // Start-up switches autostart on for any "check" above 0.
        QCOMPARE(autostartChoices(), (QStringList{"不开机自动启动", "开机自动启动"}));
        QCOMPARE(autostartIndex(0), 0);
        QCOMPARE(autostartIndex(-3), 0);
        QCOMPARE(autostartIndex(1), 1);
        QCOMPARE(autostartIndex(7), 1);

        // The login window checks for updates only for a "check_updata" of 0.
        QCOMPARE(updateCheckChoices(), (QStringList{"启动自动检测更新", "启动不自动检测更新"}));
        QCOMPARE(updateCheckIndex(0), 0);
        QCOMPARE(updateCheckIndex(1), 1);
        QCOMPARE(updateCheckIndex(-1), 1);
    }

    void storedTextSelectsTheFirstEqualEntry()
    {
        const QStringList entries{"不打印小票", "CashierPDF", "Receipt-58", "CashierPDF"};
        QCOMPARE(entryIndex(entries, "Receipt-58"), 2);
        QCOMPARE(entryIndex(entries, "CashierPDF"), 1);
        // Nothing stored yet, a printer since removed, another case: the first entry.
        QCOMPARE(entryIndex(entries, QString()), 0);
        QCOMPARE(entryIndex(entries, "Removed-80"), 0);
        QCOMPARE(entryIndex(entries, "cashierpdf"), 0);
        QCOMPARE(entryIndex({}, "CashierPDF"), 0);
    }

    void itemNameIsRefusedOnlyWhenTheRecordCannotHoldIt()
    {
        QCOMPARE(AppConfigRecord::kItemNameMaxUnits, 50);
        const QString refused = QStringLiteral("物品名称最多50个字，请重新输入");
        QCOMPARE(itemNameError(QString()), QString());
        QCOMPARE(itemNameError(QString(50, QChar(0x724C))), QString());
        QCOMPARE(itemNameError(QString(51, QChar(0x724C))), refused);
        // Counted in UTF-16 code units, as the record stores them: 25 emoji fill it, 26 do not fit.
        const QString emoji = QString::fromUcs4(U"\U0001F511");
        QCOMPARE(itemNameError(emoji.repeated(25)), QString());
        QCOMPARE(itemNameError(emoji.repeated(26)), refused);
    }

    void shopsAreCaptionedByMainAndBranchName()
    {
        const QJsonObject first{{"main_name", "澜川餐厅"}, {"branch_name", "西湖店"}, {"shopid", "11"}};
        QCOMPARE(shoplist::caption(first), QStringLiteral("澜川餐厅  西湖店"));
        // A name sent as a number still reads as its digits.
        QCOMPARE(shoplist::caption(QJsonObject{{"main_name", 1001}, {"branch_name", "A"}}), QStringLiteral("1001  A"));
        QCOMPARE(shoplist::caption(QJsonObject()), QStringLiteral("  "));

        // By index, and an index without a shop is captioned as an empty object.
        QHash<int, QJsonObject> shops;
        shops.insert(1, QJsonObject{{"main_name", "B"}, {"branch_name", "2"}});
        shops.insert(0, first);
        QCOMPARE(shoplist::captions(shops), (QStringList{"澜川餐厅  西湖店", "B  2"}));
        shops.remove(0);
        shops.insert(5, first);
        QCOMPARE(shoplist::captions(shops), (QStringList{"  ", "B  2"}));
        QCOMPARE(shoplist::captions({}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSettingsChoices)
#include "tst_settingschoices.moc"
