#include "collect/FormCS.h"

#include "collect/FormTradeInfo.h"
#include "config/AppConfigRecord.h"
#include "core/CentsMode.h"
#include "core/Money.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/NetLog.h"
#include "net/PaymentCheck.h"
#include "net/SessionData.h"
#include "ui_FormCS.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowDragger.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

FormCS::FormCS(QWidget* parent, const QString& amountText)
    : QWidget(parent), m_amountText(amountText), ui(std::make_unique<Ui::FormCS>())
{
    ui->setupUi(this);
    // A modal window of its own rather than a popup: a popup is closed by any message box and by a
    // click elsewhere, and with it a payment still on its way would be forgotten. The keyboard is
    // grabbed while it is open, so the scanner's keystrokes reach it wherever the focus was.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setUpFramelessWindow(this);
    ui->close_btn->setStyleSheet(imageButtonStyle(QStringLiteral("close_nor.png"), QStringLiteral("close_pre.png")));

    // The amount shown is the amount charged: both come from the same exact value.
    const money::Mills typed = money::parseYuan(amountText);
    const money::Charge charge = money::chargeFor(typed.ok() ? typed.value : 0, AppConfigRecord::instance().centsMode);
    m_moneyFen = charge.fen;
    ui->lblMoney->setText(charge.displayText);
}

FormCS::~FormCS() = default;

void FormCS::on_close_btn_clicked()
{
    close();
}

void FormCS::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    activateWindow();
    grabKeyboard();
    // The show event comes before the window is on screen, and X refuses a grab for a window that
    // is not (GrabNotViewable): the grab is asked for again each time the window is exposed.
    windowHandle()->installEventFilter(this);
}

bool FormCS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed() &&
        QWidget::keyboardGrabber() == this)
        windowHandle()->setKeyboardGrabEnabled(true);
    return QWidget::eventFilter(watched, event);
}

void FormCS::closeEvent(QCloseEvent* event)
{
    // The customer may already be paying: stay until the gateway has answered.
    if (m_inFlight) {
        event->ignore();
        return;
    }
    releaseKeyboard();
    QWidget::closeEvent(event);
}

void FormCS::withoutKeyboard(const std::function<void()>& showBox)
{
    releaseKeyboard();
    showBox();
    if (isVisible()) {
        activateWindow();
        grabKeyboard();
    }
}

void FormCS::tell(const QString& text)
{
    withoutKeyboard([&] { MessageBox::critical(this, QStringLiteral("温馨提示"), text); });
}

bool FormCS::isThisSale(const QJsonObject& payment)
{
    MessageBox::Answer answer = MessageBox::Rejected;
    withoutKeyboard([&] {
        answer = MessageBox::ask(this, MessageBox::Question, QStringLiteral("温馨提示"),
                                 paymentcheck::question(payment), QStringLiteral("是"), QStringLiteral("否"));
    });
    return answer == MessageBox::Accepted;
}

void FormCS::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
        sendScanPay();
        m_payCode.clear();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        // While this window holds the keyboard, shortcuts such as Alt+Z arrive here too; a scanner
        // types plain characters only.
        if (!(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            m_payCode += event->text();
        break;
    }
    event->accept();
}

void FormCS::sendScanPay()
{
    if (m_inFlight) {
        qCInfo(lcGateway) << "scan-pay already in flight; Return ignored";
        return;
    }
    const paymentcheck::UnknownCharge earlier = paymentcheck::pendingCharge();
    if (earlier.isValid() && earlier.fen == m_moneyFen && earlier.shopId == SessionData::instance().shopId()) {
        checkEarlierCharge(m_payCode);
        return;
    }
    postScanPay(m_payCode);
}

void FormCS::postScanPay(const QString& payCode)
{
    m_inFlight = true;
    const SessionData& session = SessionData::instance();
    // Remembered before it leaves: if no reply comes, this is the charge to look for.
    paymentcheck::setPendingCharge({session.shopId(), m_moneyFen, QDateTime::currentDateTime()});
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &FormCS::slot_requestFinished);
    request->post(gateway::gatewayUrl(), gateway::scanPayBody(payCode, m_moneyFen, session.userId(), session.shopId()));
}

void FormCS::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    qCDebug(lcGateway).noquote() << "scan-pay reply" << byteResult;
    m_inFlight = false;
    const QJsonObject content = gateway::replyContent(byteResult);
    // A reply without a "msg" (an error page, "{}", text that is not JSON) says nothing about the
    // charge either: like no reply, the customer may have paid.
    if (!bSuccess || !content.contains(QStringLiteral("msg"))) {
        // The charge stays pending: the next scan for this amount looks for it first.
        tell(QStringLiteral("客户尚未输入密码或网络异常！请查看本机网络或者重新收款！"));
        emit requestSettled();
        return;
    }
    // The gateway answered: whatever it said, this charge is settled.
    paymentcheck::clearPendingCharge();
    const QString msg = gateway::jsonText(content.value(QStringLiteral("msg")));
    if (msg != QStringLiteral("成功")) {
        tell(msg);
        emit requestSettled();
        return;
    }
    complete(content);
}

void FormCS::checkEarlierCharge(const QString& payCode)
{
    m_inFlight = true;
    m_waitingCode = payCode;
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &FormCS::slot_checkFinished);
    request->post(gateway::gatewayUrl(), gateway::listPayBody(SessionData::instance().token(),
                                                              paymentcheck::searchQuery(paymentcheck::pendingCharge(),
                                                                                        QDateTime::currentDateTime())));
}

void FormCS::slot_checkFinished(bool bSuccess, const QByteArray& byteResult)
{
    m_inFlight = false;
    const paymentcheck::UnknownCharge earlier = paymentcheck::pendingCharge();
    const paymentcheck::Search found =
        paymentcheck::search(bSuccess ? byteResult : QByteArray(), earlier, QDateTime::currentDateTime(),
                             SessionData::instance().completedPayments() + m_declined);
    if (!found.answered) {
        // Nothing can be said about the earlier charge. The cashier is warned once and decides; the
        // code just scanned is not charged, the next one is.
        paymentcheck::clearPendingCharge();
        tell(QStringLiteral("上一笔收款的结果未知，顾客可能已经付款。请先在交易列表中核对该笔交易，再重新扫码收款"));
        emit requestSettled();
        return;
    }
    for (const QJsonObject& candidate : found.candidates) {
        if (isThisSale(candidate)) {
            paymentcheck::clearPendingCharge();
            complete(paymentcheck::tradeResultContent(candidate));
            return;
        }
        m_declined.insert(gateway::jsonText(candidate.value(QStringLiteral("out_trade_no"))));
    }
    // The earlier charge did not go through: this scan is the sale's charge.
    postScanPay(m_waitingCode);
}

void FormCS::complete(const QJsonObject& content)
{
    SessionData::instance().noteCompletedPayment(gateway::jsonText(content.value(QStringLiteral("out_trade_no"))));
    if (m_amountEdit)
        m_amountEdit->clear();
    close();
    auto* result = new FormTradeInfo(content, nullptr);
    result->show();
    emit requestSettled();
}
