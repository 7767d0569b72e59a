#include "core/RefundCheck.h"

#include "core/Money.h"

namespace refund {

namespace {

Decision refuse(const QString& text)
{
    Decision decision;
    decision.title = QStringLiteral("温馨提示");
    decision.text = text;
    return decision;
}

// The amount as typed, in fen; false with the reason when it cannot be refunded.
bool refundAmount(const Request& request, qint64* fen, QString* reason)
{
    QString text = request.amountText.trimmed();
    if (text.isEmpty()) {
        *reason = QStringLiteral("退款金额不能为空");
        return false;
    }
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    const money::Mills mills = money::parseYuan(text);
    const qint64 left = request.order.leftFen();
    if (mills.status == money::ParseStatus::Empty || mills.status == money::ParseStatus::Malformed) {
        *reason = QStringLiteral("退款金额格式不正确");
        return false;
    }
    // Half a fen and less rounds to nothing: as good as zero.
    *fen = mills.ok() ? money::millsToFen(mills.value) : 0;
    if (negative || (mills.ok() && *fen <= 0)) {
        *reason = QStringLiteral("退款金额不能小于0.01元哦");
        return false;
    }
    if (left == 0) {
        *reason = QStringLiteral("该订单已全额退款，不能再退款哦");
        return false;
    }
    if (!mills.ok() || *fen > left) {
        *reason = request.order.refundFen > 0
                      ? QStringLiteral("退款金额不能大于可退金额%1元哦").arg(money::formatYuan(left))
                      : QStringLiteral("退款金额不能大于订单金额哦");
        return false;
    }
    return true;
}

} // namespace

QString unknownRefundText()
{
    return QStringLiteral("退款结果未知，网关可能已经退款哦。请关闭窗口，在交易列表中核对该订单后再决定是否重新退款");
}

Decision checkRefund(const Request& request)
{
    if (request.earlierRefundUnknown)
        return refuse(unknownRefundText());
    if (request.password.isEmpty())
        return refuse(QStringLiteral("密码不能为空"));

    qint64 fen = 0;
    QString reason;
    if (!refundAmount(request, &fen, &reason))
        return refuse(reason);

    Decision decision;
    decision.kind = Decision::Send;
    decision.refundFen = fen;
    for (const QString& item : request.tickedItems)
        decision.cardNo += item + QLatin1Char(',');
    if (request.askWithoutItems && decision.cardNo.isEmpty()) {
        decision.kind = Decision::AskWithoutItems;
        decision.title = QStringLiteral("操作提示");
        decision.text = QStringLiteral("没有选择任何%1，要继续退款吗？").arg(request.itemName);
    }
    return decision;
}

} // namespace refund
