#include "core/PasswordRules.h"

#include <QVector>

namespace passwords {

namespace {
const int kMinPassword = 6;
const int kMinQuestion = 6;
const int kMinAnswer = 2;

// The checks every page ends with: the new password's length, then the repetition.
QString checkNewPassword(const QString& newPassword, const QString& repeated)
{
    if (characterCount(newPassword) < kMinPassword)
        return QStringLiteral("请输入新密码，至少6位");
    if (newPassword != repeated)
        return QStringLiteral("两次密码不一致");
    return QString();
}
} // namespace

int characterCount(const QString& text)
{
    return text.toUcs4().size();
}

QString checkLoginPasswordChange(const QString& oldPassword, const QString& loginPassword, const QString& newPassword,
                                 const QString& repeated)
{
    if (loginPassword.isEmpty() || oldPassword != loginPassword)
        return QStringLiteral("请输入正确的原密码");
    return checkNewPassword(newPassword, repeated);
}

QString checkRefundPasswordChange(const QString& oldPassword, const QString& newPassword, const QString& repeated)
{
    if (characterCount(oldPassword) < kMinPassword)
        return QStringLiteral("请输入原密码,至少6位");
    return checkNewPassword(newPassword, repeated);
}

QuestionAction questionAction(bool questionFromGateway)
{
    return questionFromGateway ? QuestionAction::ResetByAnswer : QuestionAction::SetFirstTime;
}

QString checkRefundPasswordSet(QuestionAction action, const QString& question, const QString& answer,
                               const QString& newPassword, const QString& repeated)
{
    if (action == QuestionAction::SetFirstTime && characterCount(question) < kMinQuestion)
        return QStringLiteral("请输入问题,至少6位");
    if (characterCount(answer) < kMinAnswer)
        return QStringLiteral("请输入答案,至少2位");
    return checkNewPassword(newPassword, repeated);
}

} // namespace passwords
