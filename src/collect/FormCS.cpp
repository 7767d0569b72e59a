#include "collect/FormCS.h"

#include "collect/FormTradeInfo.h"
#include "config/AppConfigRecord.h"
#include "core/CentsMode.h"
#include "core/Money.h"
#include "net/GatewayConnections.h"
#include "net/GatewayRequests.h"
#include "net/NetLog.h"
#include "net/PaymentCheck.h"
#include "net/SessionData.h"
#include "ui_FormCS.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"
#include "widgets/WindowDragger.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

FormCS::FormCS(QWidget* parent, const QString& amountText)
    : QWidget(parent), m_amountText(amountText), ui(std::make_unique<Ui::FormCS>())
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
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

    // While the customer gets the payment code ready, the connection for the charge is opened.
    new ReadyConnection(gateway::gatewayUrl(), this);
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

bool FormCS::isThisSale(const MoneyJournal::Entry& earlier, const QJsonObject& payment, bool sameSale)
{
    MessageBox::Answer answer = MessageBox::Rejected;
    withoutKeyboard([&] {
        answer = MessageBox::askWithoutDefault(this, MessageBox::Question, QStringLiteral("温馨提示"),
                                               paymentcheck::question(payment, earlier, sameSale),
                                               QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"));
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
    m_inFlight = true;
    const SessionData& session = SessionData::instance();
    auto* charge = new ChargeOperation(this);
    charge->setConfirm([this](const MoneyJournal::Entry& earlier, const QJsonObject& payment, bool sameSale) {
        return isThisSale(earlier, payment, sameSale);
    });
    connect(charge, &ChargeOperation::finished, this, &FormCS::slot_requestFinished);
    charge->start({m_payCode, m_moneyFen, session.shopId(), session.userId()});
}

void FormCS::slot_requestFinished(ChargeOperation::Outcome outcome, const QJsonObject& content, const QString& text)
{
    sender()->deleteLater();
    m_inFlight = false;
    switch (outcome) {
    case ChargeOperation::Outcome::Done:
        complete(content);
        return;
    case ChargeOperation::Outcome::Unknown:
        // The charge stays in the journal: the next scan at this shop looks for it first.
        tell(QStringLiteral("客户尚未输入密码或网络异常！请查看本机网络或者重新收款！"));
        break;
    case ChargeOperation::Outcome::Refused:
    case ChargeOperation::Outcome::NotSent:
        tell(text);
        break;
    }
    emit requestSettled();
}

void FormCS::complete(const QJsonObject& content)
{
    // The till may have sent the next sale's amount while this one was being charged: that one stays.
    if (m_amountEdit && m_amountEdit->text() == m_amountText)
        m_amountEdit->clear();
    close();
    auto* result = new FormTradeInfo(content, nullptr);
    result->show();
    emit requestSettled();
}
