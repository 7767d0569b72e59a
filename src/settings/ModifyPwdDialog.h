#pragma once

#include "settings/PasswordPage.h"

#include <memory>

namespace Ui {
class ModifyPwdDialog;
}

// Page 3 of the settings panel, "密码设置": changes the login password at the gateway. The old
// password is checked here, against the one typed at this run's login.
class ModifyPwdDialog : public PasswordPage
{
    Q_OBJECT

public:
    explicit ModifyPwdDialog(QWidget* parent = nullptr);
    ~ModifyPwdDialog() override;

private slots:
    void on_btnOk_clicked();
    void onModifyResult(bool bSuccess, const QByteArray& byteResult) override;

private:
    void rememberNewPassword();

    std::unique_ptr<Ui::ModifyPwdDialog> ui;
    QString m_sentPassword; // the new password of the change on its way, as sent
};
