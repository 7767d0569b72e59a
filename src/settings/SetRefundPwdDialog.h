#pragma once

#include "settings/PasswordPage.h"

#include <memory>

namespace Ui {
class SetRefundPwdDialog;
}

// Page 5 of the settings panel, "忘记退款密码": sets the refund password with a security question and
// answer the first time, or resets a forgotten one by answering the question stored at the gateway.
// Which of the two is decided by the question lookup sent on opening: until its reply, and when it
// fails or finds none, the cashier writes a question.
class SetRefundPwdDialog : public PasswordPage
{
    Q_OBJECT

public:
    explicit SetRefundPwdDialog(QWidget* parent = nullptr);
    ~SetRefundPwdDialog() override;

private slots:
    void on_btnOk_clicked();
    void onModifyResult(bool bSuccess, const QByteArray& byteResult) override;
    void onQuestionResult(bool bSuccess, const QByteArray& byteResult);

private:
    std::unique_ptr<Ui::SetRefundPwdDialog> ui;
    QString m_storedQuestion; // the gateway's question, sent back unchanged; empty: none
};
