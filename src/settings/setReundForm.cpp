#include "settings/setReundForm.h"

#include "config/AppConfigRecord.h"
#include "config/SettingsChoices.h"
#include "ui_setReundForm.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"

namespace {
const QString kTitle = QStringLiteral("提示信息");
} // namespace

setReundForm::setReundForm(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::setReundForm>())
{
    ui->setupUi(this);
    const AppConfigRecord& record = AppConfigRecord::instance();
    ui->cbkRefund->setChecked(record.refundEnabled);
    ui->cbkRedundCard->setChecked(record.cardEnabled);
    ui->txtRefundName->setText(record.itemName);
    ui->btnOk->setStyleSheet(imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"),
                                              QStringLiteral("color:white;")));
}

setReundForm::~setReundForm() = default;

void setReundForm::on_btnOk_clicked()
{
    // A name the record cannot hold is refused whole: nothing is changed, nothing is saved.
    const QString itemName = ui->txtRefundName->text();
    const QString error = settingschoices::itemNameError(itemName);
    if (!error.isEmpty()) {
        MessageBox::critical(this, kTitle, error);
        return;
    }

    AppConfigRecord& record = AppConfigRecord::instance();
    // A box left partially checked counts as ticked.
    record.refundEnabled = ui->cbkRefund->checkState() != Qt::Unchecked;
    record.cardEnabled = ui->cbkRedundCard->checkState() != Qt::Unchecked;
    record.itemName = itemName;
    if (record.save())
        MessageBox::information(this, kTitle, QStringLiteral("设置成功"));
    else
        MessageBox::critical(this, kTitle, QStringLiteral("系统错误，请重试"));
}
