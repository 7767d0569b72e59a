#pragma once

#include <QString>

// The local checks of the three password pages, in each page's order. Each returns the text of the
// first check that fails, for the critical box "温馨提示", or an empty string when the page may send.
namespace passwords {

// How many characters the cashier typed: code points, not UTF-16 units, so that a character outside
// the Basic Multilingual Plane (an emoji, a rare CJK ideograph) counts once, as the cashier sees it
// and as the gateway counts UTF-8 text.
int characterCount(const QString& text);

// 密码设置: the old password must be the one typed at this run's login (nothing matches before a
// login), the new one at least 6 characters and typed the same twice.
QString checkLoginPasswordChange(const QString& oldPassword, const QString& loginPassword, const QString& newPassword,
                                 const QString& repeated);

// 修改退款密码: the gateway judges the old refund password; here only its length.
QString checkRefundPasswordChange(const QString& oldPassword, const QString& newPassword, const QString& repeated);

// 忘记退款密码: what the page does with question, answer and new refund password.
enum class QuestionAction {
    SetFirstTime,  // Share.Ace.setRefundPassword: no question stored, the cashier writes one
    ResetByAnswer, // Share.Ace.editRefundPassword: the gateway's question is answered
};
QuestionAction questionAction(bool questionFromGateway);

// The question is checked only when the cashier writes it: a stored question is the gateway's, and a
// short one must not lock the cashier out of resetting the refund password.
QString checkRefundPasswordSet(QuestionAction action, const QString& question, const QString& answer,
                               const QString& newPassword, const QString& repeated);

} // namespace passwords
