#include "app/TrayMenu.h"

#include "app/AboutDialog.h"
#include "core/Product.h"
#include "widgets/ModalLoop.h"

#include <QDesktopServices>
#include <QUrl>

TrayMenu::TrayMenu(QWidget* parent) : QMenu(parent)
{
    setStyleSheet(QStringLiteral("QMenu{background-color:white;color:black;} "
                                 "QMenu::item:selected{background-color: #2dabf9;}"));

    const QStringList settingPages = {
        QStringLiteral("客显设置"),     QStringLiteral("其他设置"),         QStringLiteral("密码设置"),
        QStringLiteral("退款密码修改"), QStringLiteral("设置忘记退款密码"), QStringLiteral("收款设置"),
        QStringLiteral("退款设置"),
    };
    for (int i = 0; i < settingPages.size(); ++i) {
        const auto page = static_cast<SettingsPage>(i + 1);
        connect(addAction(settingPages.at(i)), &QAction::triggered, this, [this, page] { emit doSetting(page); });
    }

    addSeparator();
    connect(addAction(QStringLiteral("显示主面板")), &QAction::triggered, this, &TrayMenu::showWindow);
    addSeparator();
    connect(addAction(QStringLiteral("官方网站")), &QAction::triggered, this, &TrayMenu::home_action_triggered);
    connect(addAction(QStringLiteral("关于我们")), &QAction::triggered, this, &TrayMenu::about_action_triggered);
    addSeparator();
    connect(addAction(QStringLiteral("退出")), &QAction::triggered, this, &TrayMenu::quitWindow);
}

void TrayMenu::home_action_triggered()
{
    QDesktopServices::openUrl(QUrl(product::website()));
}

void TrayMenu::about_action_triggered()
{
    AboutDialog about(nullptr);
    modal::exec(about);
}
