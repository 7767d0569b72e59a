#include "settings/FormShangJiaXinXi.h"

#include "net/GatewayReply.h"
#include "net/SessionData.h"
#include "ui_FormShangJiaXinXi.h"
#include "widgets/ButtonStyles.h"
#include "widgets/PlainText.h"

#include <QJsonObject>

FormShangJiaXinXi::FormShangJiaXinXi(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::FormShangJiaXinXi>())
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    const SessionData& session = SessionData::instance();
    const QJsonObject user = session.userInfo();
    ui->sy_label->setText(session.operatorName());
    ui->sh_label->setText(gateway::jsonText(user.value(QStringLiteral("uname"))));
    ui->gs_label->setText(gateway::jsonText(user.value(QStringLiteral("company"))));
    const QJsonObject shop = session.currentShop();
    ui->md_label->setText(gateway::jsonText(shop.value(QStringLiteral("main_name"))) + QStringLiteral("  ") +
                          gateway::jsonText(shop.value(QStringLiteral("branch_name"))));

    const QString buttonStyle = imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"),
                                                 QStringLiteral("color:white;"));
    ui->btnPwd->setStyleSheet(buttonStyle);
    ui->btnRefundPwd->setStyleSheet(buttonStyle);
}

FormShangJiaXinXi::~FormShangJiaXinXi() = default;

void FormShangJiaXinXi::on_btnPwd_clicked()
{
    emit settingsPageRequested(SettingsPage::LoginPassword);
}

void FormShangJiaXinXi::on_btnRefundPwd_clicked()
{
    emit settingsPageRequested(SettingsPage::RefundPasswordChange);
}
