#pragma once

#include "settings/PasswordPage.h"

#include <memory>

namespace Ui {
class ModifyRedundPwdDialog;
}

// Page 4 of the settings panel, "修改退款密码": changes the refund password; the gateway checks the
// old one.
class ModifyRedundPwdDialog : public PasswordPage
{
    Q_OBJECT

public:
    explicit ModifyRedundPwdDialog(QWidget* parent = nullptr);
    ~ModifyRedundPwdDialog() override;

private slots:
    void on_btnOk_clicked();
    void onModifyResult(bool bSuccess, const QByteArray& byteResult) override;

private:
    std::unique_ptr<Ui::ModifyRedundPwdDialog> ui;
};
