#include "settings/ModifyRedundPwdDialog.h"

#include "core/PasswordRules.h"
#include "net/PasswordActions.h"
#include "net/SessionData.h"
#include "ui_ModifyRedundPwdDialog.h"

ModifyRedundPwdDialog::ModifyRedundPwdDialog(QWidget* parent)
    : PasswordPage(parent), ui(std::make_unique<Ui::ModifyRedundPwdDialog>())
{
    ui->setupUi(this);
    setUpPage(ui->lblzh, ui->btnOk);
}

ModifyRedundPwdDialog::~ModifyRedundPwdDialog() = default;

void ModifyRedundPwdDialog::on_btnOk_clicked()
{
    const QString oldPassword = ui->txtOldPwd->text();
    const QString password = ui->txtPwd->text();
    const QString repeated = ui->txtPwd1->text();
    confirm(
        passwords::checkRefundPasswordChange(oldPassword, password, repeated),
        gateway::editRefundPassword1Body(SessionData::instance().token(), account(), password, repeated, oldPassword));
}

void ModifyRedundPwdDialog::onModifyResult(bool bSuccess, const QByteArray& byteResult)
{
    if (changeAnswered(bSuccess))
        showTip(passwords::refundPasswordReplyText(byteResult));
}
