#include "net/PasswordActions.h"

#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"

#include <QJsonObject>

namespace passwords {

namespace {
const QString kDone = QStringLiteral("操作成功");
const QString kFailed = QStringLiteral("操作失败，请重试");

// A text member as the gateway wrote it; a boolean, object or array has no text to show.
QString text(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isBool() ? QString() : gateway::jsonText(value);
}
} // namespace

QByteArray questionPasswordBody(QuestionAction action, const QString& token, const QString& uname, const QString& pword,
                                const QString& rePassword, const QString& answer, const QString& question)
{
    if (action == QuestionAction::ResetByAnswer)
        return gateway::editRefundPasswordBody(token, uname, pword, rePassword, answer, question);
    return gateway::setRefundPasswordBody(token, uname, pword, rePassword, answer, question);
}

bool loginPasswordAccepted(const QByteArray& reply)
{
    return gateway::jsonInt(gateway::replyContent(reply).value(QStringLiteral("code"))) == 1;
}

QString loginPasswordReplyText(const QByteArray& reply)
{
    const QString msg = text(gateway::replyContent(reply), "msg");
    if (!msg.isEmpty())
        return msg;
    return loginPasswordAccepted(reply) ? kDone : kFailed;
}

QString refundPasswordReplyText(const QByteArray& reply)
{
    const QString respType = text(gateway::replyContent(reply), "respType");
    if (respType == QLatin1String("Success"))
        return kDone;
    return respType.isEmpty() ? kFailed : respType;
}

QString storedQuestion(bool success, const QByteArray& reply)
{
    if (!success)
        return QString();
    const QJsonValue question = gateway::replyContent(reply).value(QStringLiteral("refundquestion"));
    return question.isString() ? question.toString() : QString();
}

} // namespace passwords
