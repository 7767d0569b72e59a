#include "collect/CardDialog.h"

#include "config/AppConfigRecord.h"
#include "core/Money.h"
#include "net/CardRegistration.h"
#include "net/GatewayConnections.h"
#include "net/GatewayRequests.h"
#include "ui_CardDialog.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"
#include "widgets/WindowDragger.h"

namespace {
// Only the dialog itself is blue; its field and buttons keep their own look.
const QString kDialogStyle = QStringLiteral("#CardDialog{background-color:#00AAFF;} QLabel{color:white;}");
} // namespace

CardDialog::CardDialog(QWidget* parent, const QString& orderNo, const QString& shownNo, const QString& moneyFen,
                       const QString& payWay)
    : QDialog(parent), m_orderNo(orderNo), m_moneyFen(moneyFen), m_payWay(payWay), m_shownNo(shownNo),
      ui(std::make_unique<Ui::CardDialog>())
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    setStyleSheet(kDialogStyle);
    setUpFramelessWindow(this);
    const QString buttonStyle = imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"),
                                                 QStringLiteral("color:white;"));
    ui->btnOk->setStyleSheet(buttonStyle);
    ui->btnOk1->setStyleSheet(buttonStyle);
    ui->btnCancel->setStyleSheet(buttonStyle);
    clickOnKey(ui->btnOk, QKeySequence(Qt::Key_Return));
    clickOnKey(ui->btnOk1, keypadEnterKey());
    // btnOk1 only carries the keypad's Enter: it lies under btnOk, so the cashier sees one "确定".
    // (A hidden button's shortcut would not fire.)
    ui->btnOk1->setGeometry(ui->btnOk->geometry());
    ui->btnOk->raise();
    // The registration's connection is opened while the number is typed.
    new ReadyConnection(gateway::gatewayUrl(), this);

    const QString itemName = AppConfigRecord::instance().itemName;
    ui->lblTitle->setText(QStringLiteral("登记") + itemName);
    ui->lblCard->setText(itemName);
    ui->lblmoney->setText(amountText(m_moneyFen));
    ui->lblno->setText(m_shownNo);
    ui->lbltype->setText(m_payWay);
    ui->txtCardNo->setFocus();
}

CardDialog::~CardDialog() = default;

QString CardDialog::amountText(const QString& moneyFen)
{
    qint64 fen = 0;
    if (!money::parseFen(moneyFen.trimmed(), &fen))
        fen = 0;
    return money::formatYuan(fen);
}

void CardDialog::registerCard()
{
    if (m_registering)
        return;
    if (ui->txtCardNo->text().isEmpty()) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("您没有填写任何房间号"));
        return;
    }
    m_registering = true;
    auto* registration = new CardRegistration(this);
    connect(registration, &CardRegistration::finished, this, &CardDialog::slot_requestFinished);
    connect(registration, &CardRegistration::finished, registration, &QObject::deleteLater);
    registration->start(m_orderNo, ui->txtCardNo->text());
}

void CardDialog::slot_requestFinished(bool bSuccess)
{
    if (bSuccess) {
        accept();
        return;
    }
    m_registering = false;
    MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("保存失败，请重试"));
}

void CardDialog::on_btnOk_clicked()
{
    registerCard();
}

void CardDialog::on_btnOk1_clicked()
{
    registerCard();
}

void CardDialog::on_btnCancel_clicked()
{
    reject();
}
