#pragma once

#include "core/PasswordRules.h"

#include <QByteArray>
#include <QString>

// The password pages' side of the gateway: which question action to send, and what their replies
// say. A reply that cannot be read gives the texts below, never an empty box.
namespace passwords {

// The body of the question action chosen by questionAction() (fields in the same order for both).
QByteArray questionPasswordBody(QuestionAction action, const QString& token, const QString& uname, const QString& pword,
                                const QString& rePassword, const QString& answer, const QString& question);

// Share.Ace.editPassword: whether the gateway took the new login password ("code" 1 inside
// "content"), and what to tell the cashier: its "msg", or a plain outcome when it sent none.
bool loginPasswordAccepted(const QByteArray& reply);
QString loginPasswordReplyText(const QByteArray& reply);

// Share.Ace.editRefundPassword1, setRefundPassword and editRefundPassword: "操作成功" when "respType"
// inside "content" is exactly "Success", otherwise the respType text (the gateway's reason), or a
// plain failure when there is none.
QString refundPasswordReplyText(const QByteArray& reply);

// Share.Ace.getQuestion: the question stored at the gateway; empty when the request failed or the
// gateway has none.
QString storedQuestion(bool success, const QByteArray& reply);

} // namespace passwords
