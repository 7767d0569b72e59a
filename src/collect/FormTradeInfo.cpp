#include "collect/FormTradeInfo.h"

#include "config/DataConfig.h"
#include "core/Money.h"
#include "net/CardRegistration.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/NetLog.h"
#include "net/SessionData.h"
#include "print/ReceiptDocuments.h"
#include "ui_FormTradeInfo.h"
#include "widgets/ButtonStyles.h"
#include "widgets/FirstPaint.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"
#include "widgets/Printer.h"
#include "widgets/WindowDragger.h"

#include <QCoreApplication>
#include <QTimer>

FormTradeInfo::FormTradeInfo(const QJsonObject& content, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::FormTradeInfo>())
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setUpFramelessWindow(this);
    ui->close_btn->setStyleSheet(imageButtonStyle(QStringLiteral("close_nor.png"), QStringLiteral("close_pre.png")));
    const QString printStyle = imageButtonStyle(QStringLiteral("print_nor.png"), QStringLiteral("print_pre.png"),
                                                QStringLiteral("color:white;"));
    ui->print_btn->setStyleSheet(printStyle);
    ui->pushButton->setStyleSheet(printStyle);
    clickOnKey(ui->close_btn, QKeySequence(Qt::Key_Escape));
    clickOnKey(ui->print_btn, keypadEnterKey());
    clickOnKey(ui->pushButton, QKeySequence(Qt::Key_Return));
    ui->noEdit->setFocus();

    const auto text = [&content](const char* key) { return gateway::jsonText(content.value(QLatin1String(key))); };
    ui->label_operate->setText(text("operator"));
    ui->label_sk_md->setText(text("shopname"));
    ui->label_trade_date->setText(text("pay_date"));
    ui->label_sys_order->setText(text("out_trade_no"));
    // A payment found in the transaction list (its reply was lost) brings the list's own name for
    // the way it was paid: JD Pay and cards are neither Alipay nor WeChat.
    const QString method = text("pay_method");
    ui->label_pay_way->setText(method.isEmpty() ? payMethodName(text("pay_channel")) : method);
    m_amountFen = amountFen(content);
    ui->label_money->setText(QStringLiteral("￥") + money::formatYuan(m_amountFen));
    ui->label_trade_order->setText(text("trade_no"));
    for (QLabel* value : ui->frame_info->findChildren<QLabel*>())
        value->setToolTip(plainToolTip(value->text()));

    // Laying out and spooling the receipt takes about a tenth of a second: the cashier sees the
    // result first, and the receipt follows.
    afterFirstPaint(this, [this] { printReceiptIfDue(); });
    // The program may end before the window is ever painted (or deleted): the receipt is owed all
    // the same.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &FormTradeInfo::printReceiptIfDue);
}

FormTradeInfo::~FormTradeInfo()
{
    // Closed before it was ever painted: the receipt is still owed.
    printReceiptIfDue();
}

void FormTradeInfo::printReceiptIfDue()
{
    if (!m_receiptDue)
        return;
    m_receiptDue = false;
    printReceipt();
}

QString FormTradeInfo::payMethodName(const QString& payChannel)
{
    return payChannel == QLatin1String("ALIPAY") ? QStringLiteral("支付宝") : QStringLiteral("微信");
}

qint64 FormTradeInfo::amountFen(const QJsonObject& content)
{
    const QJsonValue money = content.value(QStringLiteral("money"));
    const bool alipay = content.value(QStringLiteral("pay_channel")).toString() == QLatin1String("ALIPAY");
    qint64 fen = 0;
    // Each channel's amount comes typed its own way; the other type is not read.
    if (alipay ? money.isDouble() : money.isString())
        gateway::jsonFen(money, &fen);
    return fen;
}

void FormTradeInfo::printReceipt()
{
    switch (Printer::state()) {
    case Printer::State::NotWanted:
        return;
    case Printer::State::Missing:
        // Nothing printed, so the gateway is not told it was; the cashier hears why, over this window.
        QTimer::singleShot(0, this, [this] { Printer::tellNoPrinter(this); });
        return;
    case Printer::State::Ready:
        break;
    }
    doPrintNotice();
    receipt::Payment payment;
    payment.shopName = ui->label_sk_md->text();
    payment.operatorName = ui->label_operate->text();
    payment.payTime = ui->label_trade_date->text();
    payment.systemOrderNo = ui->label_sys_order->text();
    payment.payMethod = ui->label_pay_way->text();
    payment.amountFen = m_amountFen;
    payment.tradeOrderNo = ui->label_trade_order->text();
    Printer::printHtml(receipt::paymentReceipt(payment, DataConfig::instance().getServiceHotline()));
}

void FormTradeInfo::doPrintNotice()
{
    auto* request = new HttpFun;
    request->post(gateway::gatewayUrl(),
                  gateway::doPrintBody(SessionData::instance().token(), ui->label_sys_order->text()));
}

void FormTradeInfo::doCard()
{
    if (ui->noEdit->text().isEmpty()) {
        close();
        return;
    }
    if (m_registering)
        return;
    m_registering = true;
    auto* registration = new CardRegistration(this);
    connect(registration, &CardRegistration::finished, this, &FormTradeInfo::slot_requestFinished);
    connect(registration, &CardRegistration::finished, registration, &QObject::deleteLater);
    registration->start(ui->label_sys_order->text(), ui->noEdit->text());
}

void FormTradeInfo::slot_requestFinished(bool bSuccess)
{
    m_registering = false;
    if (bSuccess) {
        close();
        return;
    }
    MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("保存失败，请重试"));
}

void FormTradeInfo::on_close_btn_clicked()
{
    doCard();
}

void FormTradeInfo::on_print_btn_clicked()
{
    doCard();
}

void FormTradeInfo::on_pushButton_clicked()
{
    doCard();
}
