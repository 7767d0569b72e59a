#include "settings/SetDataDialog.h"

#include "config/AutostartSetting.h"
#include "config/DataConfig.h"
#include "config/SettingsChoices.h"
#include "net/SessionData.h"
#include "net/ShopList.h"
#include "print/ReceiptDocuments.h"
#include "ui_SetDataDialog.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"
#include "widgets/Printer.h"
#include "widgets/WindowDragger.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace {
void fill(QComboBox* box, const QStringList& entries, int selected)
{
    box->addItems(entries);
    box->setCurrentIndex(selected);
    // The boxes are narrow; a long shop or printer name is read whole in the open list.
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 2 * box->view()->frameWidth());
}
} // namespace

SetDataDialog::SetDataDialog(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::SetDataDialog>())
{
    ui->setupUi(this);
    ui->pushButton_sure->setStyleSheet(
        imageButtonStyle(QStringLiteral("sk_nor.png"), QStringLiteral("sk_pre.png"), QStringLiteral("color:#EAEAEA;")));
    // Centred in the panel's page area, which is a little larger than the page.
    if (parent)
        move(QPoint(qMax(0, parent->width() - width()) / 2, qMax(0, parent->height() - height()) / 2));
    new WindowDragger(this);

    DataConfig& config = DataConfig::instance();
    const QStringList printers = QStringList{receipt::noReceiptsPrinterName()} + Printer::installedPrinterNames();
    fill(ui->comboBox_printer, printers, settingschoices::entryIndex(printers, config.getPrinterName()));
    fill(ui->comboBox_auto, settingschoices::autostartChoices(), settingschoices::autostartIndex(config.getCheck()));
    const QStringList shops = shoplist::captions(SessionData::instance().shops());
    fill(ui->comboBox, shops, settingschoices::entryIndex(shops, config.getShopName()));
    fill(ui->comboBox_updata, settingschoices::updateCheckChoices(),
         settingschoices::updateCheckIndex(config.getCheckUpdata()));
}

SetDataDialog::~SetDataDialog() = default;

void SetDataDialog::on_pushButton_sure_clicked()
{
    SessionData& session = SessionData::instance();
    // Before login there is no shop list: the stored shop stays, and so does the session's.
    const bool shopChosen = ui->comboBox->count() > 0;
    const QString printer = ui->comboBox_printer->currentText();
    // All four reach data.ini or none does; only then does this run take the shop and the printer,
    // so the session never uses settings the file does not hold.
    const bool saved = DataConfig::instance().setGeneral(shopChosen ? ui->comboBox->currentText() : QString(), printer,
                                                         QString::number(ui->comboBox_auto->currentIndex()),
                                                         ui->comboBox_updata->currentIndex());
    if (saved) {
        if (shopChosen)
            session.setCurrentShop(session.shops().value(ui->comboBox->currentIndex()));
        session.setPrinterName(printer);
    }
    // The entry follows what data.ini holds, as at start-up, so the two never disagree.
    applyAutostartSetting();

    MessageBox::critical(this, QStringLiteral("温馨提示"),
                         saved ? QStringLiteral("操作成功") : QStringLiteral("系统错误，请重试"));
}
