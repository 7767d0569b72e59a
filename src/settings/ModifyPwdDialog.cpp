#include "settings/ModifyPwdDialog.h"

#include "config/DataConfig.h"
#include "core/PasswordRules.h"
#include "net/PasswordActions.h"
#include "net/SessionData.h"
#include "ui_ModifyPwdDialog.h"

ModifyPwdDialog::ModifyPwdDialog(QWidget* parent) : PasswordPage(parent), ui(std::make_unique<Ui::ModifyPwdDialog>())
{
    ui->setupUi(this);
    setUpPage(ui->lblzh, ui->btnOk);
}

ModifyPwdDialog::~ModifyPwdDialog() = default;

void ModifyPwdDialog::on_btnOk_clicked()
{
    const QString password = ui->txtPwd->text();
    const QString problem = passwords::checkLoginPasswordChange(
        ui->txtOldPwd->text(), SessionData::instance().loginPassword(), password, ui->txtPwd1->text());
    if (confirm(problem,
                gateway::editPasswordBody(SessionData::instance().token(), account(), password, ui->txtPwd1->text())))
        m_sentPassword = password;
}

void ModifyPwdDialog::onModifyResult(bool bSuccess, const QByteArray& byteResult)
{
    if (!changeAnswered(bSuccess))
        return;
    if (passwords::loginPasswordAccepted(byteResult))
        rememberNewPassword();
    showTip(passwords::loginPasswordReplyText(byteResult));
}

// The gateway now holds the new password: the next change in this run starts from it, and a login
// that remembers its password must not offer the old one next time. A password that is not
// remembered stays off the disk.
void ModifyPwdDialog::rememberNewPassword()
{
    SessionData::instance().setLoginPassword(m_sentPassword);
    DataConfig& config = DataConfig::instance();
    const QStringList remembered = config.getUser();
    if (remembered.value(2) == QLatin1String("true") && remembered.value(0) == account())
        config.setUser(remembered.value(0), m_sentPassword, true);
}
