#include "settings/SetRefundPwdDialog.h"

#include "core/PasswordRules.h"
#include "net/PasswordActions.h"
#include "net/SessionData.h"
#include "ui_SetRefundPwdDialog.h"
#include "widgets/PlainText.h"

SetRefundPwdDialog::SetRefundPwdDialog(QWidget* parent)
    : PasswordPage(parent), ui(std::make_unique<Ui::SetRefundPwdDialog>())
{
    ui->setupUi(this);
    setUpPage(ui->lblzh, ui->btnOk);
    post(&SetRefundPwdDialog::onQuestionResult, gateway::getQuestionBody(SessionData::instance().token()),
         HttpFun::Effect::ReadsOnly);
}

SetRefundPwdDialog::~SetRefundPwdDialog() = default;

void SetRefundPwdDialog::on_btnOk_clicked()
{
    const passwords::QuestionAction action = passwords::questionAction(!m_storedQuestion.isEmpty());
    const QString question = m_storedQuestion.isEmpty() ? ui->txtQuestion->text() : m_storedQuestion;
    const QString answer = ui->txtAnswer->text();
    const QString password = ui->txtPwd->text();
    const QString repeated = ui->txtPwd1->text();
    confirm(passwords::checkRefundPasswordSet(action, question, answer, password, repeated),
            passwords::questionPasswordBody(action, SessionData::instance().token(), account(), password, repeated,
                                            answer, question));
}

void SetRefundPwdDialog::onModifyResult(bool bSuccess, const QByteArray& byteResult)
{
    if (changeAnswered(bSuccess))
        showTip(passwords::refundPasswordReplyText(byteResult));
}

// Silent either way: without a stored question the cashier simply writes one.
void SetRefundPwdDialog::onQuestionResult(bool bSuccess, const QByteArray& byteResult)
{
    const QString question = passwords::storedQuestion(bSuccess, byteResult);
    if (question.isEmpty())
        return;
    m_storedQuestion = question;
    ui->txtQuestion->setText(question);
    // A disabled field cannot be scrolled: show the question's beginning, and all of it on hover.
    ui->txtQuestion->setCursorPosition(0);
    ui->txtQuestion->setToolTip(plainToolTip(question));
    ui->txtQuestion->setEnabled(false);
}
