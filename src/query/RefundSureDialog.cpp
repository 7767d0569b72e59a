#include "query/RefundSureDialog.h"

#include "config/AppConfigRecord.h"
#include "config/DataConfig.h"
#include "core/Money.h"
#include "core/RefundCheck.h"
#include "net/GatewayConnections.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/QueryReplies.h"
#include "net/RefundOperation.h"
#include "net/SessionData.h"
#include "print/ReceiptDocuments.h"
#include "ui_RefundSureDialog.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"
#include "widgets/Printer.h"
#include "widgets/WindowDragger.h"

#include <QCheckBox>

namespace {
// Item boxes: three to a line, a line every 30 pixels. The columns share the width of the list, so
// that a room number of five or six characters in the large font is not cut off by its neighbour.
constexpr int kItemColumns = 3;
constexpr int kItemLeft = 20;
constexpr int kItemPitch = 115;
constexpr int kItemTop = 5;
constexpr int kItemLine = 30;
// The dialog grows with the item lines up to this much; further lines scroll.
constexpr int kMaxGrowth = 90;

const QString kTitle = QStringLiteral("温馨提示");
} // namespace

RefundSureDialog::RefundSureDialog(QWidget* parent, const Order& order, bool earlierRefundUnknown)
    : QDialog(parent), outTradeNo(order.outTradeNo), money(QString::number(order.moneyFen)),
      payChannel(order.payChannel), tradeNo(order.tradeNo), order(order), ui(std::make_unique<Ui::RefundSureDialog>()),
      m_earlierRefundUnknown(earlierRefundUnknown)
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    clickOnKey(ui->btnOk, QKeySequence(Qt::Key_Return));
    clickOnKey(ui->btnOk1, keypadEnterKey());
    // btnOk1 only carries the keypad's Enter: it lies under btnOk, so the cashier sees one confirm
    // button. (A hidden button's shortcut would not fire.)
    ui->btnOk1->setGeometry(ui->btnOk->geometry());
    ui->btnOk->raise();
    // Only the dialog itself is blue: a bare rule would also paint its message boxes and fields.
    setStyleSheet(QStringLiteral("#RefundSureDialog{background-color:#00AAFF;}"));
    setUpFramelessWindow(this);

    ui->lblmoney->setText(money::formatYuan(order.moneyFen));
    ui->lblno->setText(tradeNo);
    ui->lbltype->setText(payChannel);
    ui->txtmoney->setText(QStringLiteral("0.0"));

    const QString buttonStyle = imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"),
                                                 QStringLiteral("color:white;"));
    ui->btnCancel->setStyleSheet(buttonStyle);
    ui->btnOk->setStyleSheet(buttonStyle);
    ui->btnOk1->setStyleSheet(buttonStyle);

    const AppConfigRecord& config = AppConfigRecord::instance();
    if (config.cardEnabled) {
        requestCards();
        ui->cbkAll->setText(config.itemName);
    } else {
        ui->cbkAll->hide();
        ui->scll->hide();
    }
    ui->txtmoney->setFocus();
    ui->txtmoney->selectAll();
    // The refund's connection is opened while the amount and the password are typed.
    new ReadyConnection(gateway::gatewayUrl(), this);
}

RefundSureDialog::~RefundSureDialog() = default;

void RefundSureDialog::requestCards()
{
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &RefundSureDialog::slot_requestFinished);
    request->post(gateway::gatewayUrl(), gateway::cardsBody(SessionData::instance().token(), outTradeNo),
                  HttpFun::Effect::ReadsOnly);
}

void RefundSureDialog::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    const QString title = QStringLiteral("错误提示");
    // An error page, "{}" or text that is not JSON is no answer: not "nothing registered".
    const query::CardsReply cards = bSuccess ? query::readCards(byteResult) : query::CardsReply();
    if (!bSuccess || !gateway::hasContent(byteResult) || cards.tooMany) {
        MessageBox::critical(this, title, QStringLiteral("数据查询失败，请检查网络设置"));
        return;
    }
    if (cards.count == 0) {
        MessageBox::critical(
            this, title, QStringLiteral("没有查到") + AppConfigRecord::instance().itemName + QStringLiteral("信息"));
        return;
    }
    // A count without a list has no line to size the layout by: the sizes stay as they are.
    if (cards.items.isEmpty())
        return;

    for (int i = 0; i < cards.items.size(); ++i) {
        auto* box = new QCheckBox(cards.items.at(i).cardNo, ui->scrollAreaWidgetContents);
        box->setStyleSheet(QStringLiteral("font: 75 16pt;"));
        box->setToolTip(plainToolTip(box->text()));
        box->setGeometry(kItemLeft + kItemPitch * (i % kItemColumns), kItemTop + kItemLine * (i / kItemColumns),
                         kItemPitch - 5, kItemLine - kItemTop);
        // Handed back before: shown, but neither ticked by "select all" nor sent again.
        box->setEnabled(!cards.items.at(i).handedBack);
        box->show();
        itemBoxes.append(box);
    }

    const int lastLineTop = kItemLine * ((itemBoxes.size() - 1) / kItemColumns);
    const int growth = qMin(lastLineTop, kMaxGrowth);
    // The list is as high as its lines, so a scroll bar appears only when some are out of sight.
    ui->scrollAreaWidgetContents->setFixedHeight(lastLineTop + kItemLine);
    ui->scll->setFixedHeight(growth + 30);
    ui->frame->setFixedHeight(ui->frame->height() + growth);
    setFixedHeight(height() + growth);
    move(x(), y() - growth / 2); // still centred where it was
    for (QWidget* below : {static_cast<QWidget*>(ui->lblrefundpwd), static_cast<QWidget*>(ui->txtpwd),
                           static_cast<QWidget*>(ui->btnCancel), static_cast<QWidget*>(ui->btnOk),
                           static_cast<QWidget*>(ui->btnOk1), static_cast<QWidget*>(ui->pushButton)})
        below->move(below->x(), below->y() + growth);
}

void RefundSureDialog::on_cbkAll_clicked()
{
    for (QCheckBox* box : qAsConst(itemBoxes))
        if (box->isEnabled())
            box->setChecked(ui->cbkAll->isChecked());
}

void RefundSureDialog::on_btnOk_clicked()
{
    confirmRefund();
}

void RefundSureDialog::on_btnOk1_clicked()
{
    confirmRefund();
}

void RefundSureDialog::confirmRefund()
{
    // One press sends one refund: Return and keypad Enter pressed together, or a click that was
    // already on its way, find the refund sent (or the question open) and do nothing.
    if (m_state != State::Editing)
        return;

    const AppConfigRecord& config = AppConfigRecord::instance();
    refund::Request request;
    request.password = ui->txtpwd->text();
    request.amountText = ui->txtmoney->text();
    request.order = order;
    request.earlierRefundUnknown = m_earlierRefundUnknown;
    for (QCheckBox* box : qAsConst(itemBoxes))
        if (box->isEnabled() && box->isChecked())
            request.tickedItems.append(box->text());
    request.askWithoutItems = config.refundEnabled && config.cardEnabled;
    request.itemName = config.itemName;

    const refund::Decision decision = refund::checkRefund(request);
    switch (decision.kind) {
    case refund::Decision::Refuse:
        MessageBox::critical(this, decision.title, decision.text);
        return;
    case refund::Decision::AskWithoutItems: {
        m_state = State::Asking;
        const MessageBox::Answer answer = MessageBox::ask(this, MessageBox::Question, decision.title, decision.text,
                                                          QStringLiteral("是"), QStringLiteral("否"));
        m_state = State::Editing;
        if (answer != MessageBox::Accepted)
            return;
        break;
    }
    case refund::Decision::Send:
        break;
    }
    sendRefund(decision.refundFen, decision.cardNo);
}

void RefundSureDialog::sendRefund(qint64 refundFen, const QString& cardNo)
{
    m_state = State::Sending;
    m_refundFen = refundFen;
    setConfirmEnabled(false);
    auto* refund = new RefundOperation(this);
    connect(refund, &RefundOperation::finished, this, &RefundSureDialog::onRefundResult);
    connect(refund, &RefundOperation::finished, refund, &QObject::deleteLater);
    refund->start({order, SessionData::instance().shopId(), refundFen, cardNo, ui->txtpwd->text()});
}

void RefundSureDialog::onRefundResult(RefundOperation::Outcome outcome, const QString& text, int code)
{
    switch (outcome) {
    case RefundOperation::Outcome::Done:
        m_state = State::Editing;
        printRefundReceipt();
        MessageBox::information(this, kTitle, text);
        accept();
        return;
    case RefundOperation::Outcome::Unknown:
        // Sending it again from here could refund twice: the confirm buttons stay off, and the
        // order's row offers no refund until the list shows what happened.
        m_state = State::Unknown;
        MessageBox::critical(this, kTitle, refund::unknownRefundText());
        return;
    case RefundOperation::Outcome::Refused:
    case RefundOperation::Outcome::NotSent:
        m_state = State::Editing;
        MessageBox::critical(this, kTitle, text);
        if (outcome == RefundOperation::Outcome::Refused && code == 5)
            emit settingsPageRequested(SettingsPage::RefundPasswordChange);
        setConfirmEnabled(true);
        return;
    }
}

void RefundSureDialog::reject()
{
    // The refund on its way decides when the dialog closes.
    if (m_state == State::Sending)
        return;
    QDialog::reject();
}

void RefundSureDialog::printRefundReceipt()
{
    if (!Printer::readyFor(this, Printer::NotWanted::Silent))
        return;
    Printer::printHtml(receipt::refundReceipt(order, SessionData::instance().operatorName(), m_refundFen,
                                              DataConfig::instance().getServiceHotline()));
}

void RefundSureDialog::setConfirmEnabled(bool enabled)
{
    ui->btnOk->setEnabled(enabled);
    ui->btnOk1->setEnabled(enabled);
}

void RefundSureDialog::on_pushButton_clicked()
{
    emit settingsPageRequested(SettingsPage::RefundPasswordForgotten);
}

void RefundSureDialog::on_btnCancel_clicked()
{
    reject();
}
