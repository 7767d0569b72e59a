#include "collect/SelectShopDialog.h"

#include "config/DataConfig.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "net/ShopList.h"
#include "ui_SelectShopDialog.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"
#include "widgets/WindowDragger.h"

#include <QJsonArray>

namespace {
const QString kButtonStyle = imageButtonStyle(QStringLiteral("select_shop_nor.png"),
                                              QStringLiteral("select_shop_pre.png"), QStringLiteral("color:#EAEAEA;"));
} // namespace

SelectShopDialog::SelectShopDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::SelectShopDialog>())
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    ui->pushButton->setStyleSheet(kButtonStyle);
    ui->pushButton_2->setStyleSheet(kButtonStyle);
    clickOnKey(ui->pushButton, keypadEnterKey());
    setUpFramelessWindow(this);
    requestShops();
}

SelectShopDialog::~SelectShopDialog() = default;

void SelectShopDialog::reject() {}

void SelectShopDialog::requestShops()
{
    auto* request = new HttpFun;
    m_latestRequest = request;
    connect(request, &HttpFun::signal_requestFinished, this, &SelectShopDialog::slot_requestFinished);
    request->post(gateway::gatewayUrl(), gateway::listShopBody(SessionData::instance().token()),
                  HttpFun::Effect::ReadsOnly);
}

void SelectShopDialog::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    // "重新获取" pressed while the first list was on its way: only the newest answer counts.
    if (sender() != m_latestRequest)
        return;
    // An error page, "{}" or text that is not JSON is no list: it must not read as "no shops".
    if (!bSuccess || !gateway::hasContent(byteResult)) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("获取门店失败"));
    } else {
        const QJsonArray shops = gateway::replyContent(byteResult).value(QStringLiteral("listshop")).toArray();
        if (shops.isEmpty()) {
            MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("你还没有门店!"));
        } else {
            SessionData& session = SessionData::instance();
            session.clearShops();
            ui->comboBox->clear();
            for (int i = 0; i < shops.size(); ++i) {
                const QJsonObject shop = shops.at(i).toObject();
                session.insertShop(i, shop);
                // Each entry carries its own shop: adding the first entry selects it at once.
                ui->comboBox->addItem(shoplist::caption(shop), shop);
            }
            const int remembered = ui->comboBox->findText(DataConfig::instance().getShopName());
            if (remembered >= 0)
                ui->comboBox->setCurrentIndex(remembered);
        }
    }
    ui->pushButton_2->setEnabled(true);
}

void SelectShopDialog::on_comboBox_currentIndexChanged(int index)
{
    // An empty object while the list is being cleared (index -1).
    SessionData::instance().setCurrentShop(ui->comboBox->itemData(index).toJsonObject());
}

void SelectShopDialog::on_pushButton_clicked()
{
    hide();
    DataConfig::instance().setShopName(ui->comboBox->currentText());
    emit shopChosen();
}

void SelectShopDialog::on_pushButton_2_clicked()
{
    ui->pushButton_2->setEnabled(false);
    ui->comboBox->clear();
    requestShops();
}
