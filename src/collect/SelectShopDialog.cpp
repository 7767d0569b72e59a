#include "collect/SelectShopDialog.h"

#include "app/ButtonStyles.h"
#include "app/Shell.h"
#include "app/WindowDragger.h"
#include "config/DataConfig.h"
#include "core/MessageBox.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "ui_SelectShopDialog.h"

#include <QJsonArray>

namespace {
const QString kButtonStyle = imageButtonStyle(QStringLiteral("select_shop_nor.png"),
                                              QStringLiteral("select_shop_pre.png"), QStringLiteral("color:#EAEAEA;"));
} // namespace

SelectShopDialog::SelectShopDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::SelectShopDialog>())
{
    ui->setupUi(this);
    ui->pushButton->setStyleSheet(kButtonStyle);
    ui->pushButton_2->setStyleSheet(kButtonStyle);
    ui->pushButton->setShortcut(QKeySequence(Qt::KeypadModifier | Qt::Key_Enter));
    setUpFramelessWindow(this);
    requestShops();
}

SelectShopDialog::~SelectShopDialog() = default;

void SelectShopDialog::requestShops()
{
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &SelectShopDialog::slot_requestFinished);
    request->post(gateway::gatewayUrl(), gateway::listShopBody(SessionData::instance().token()));
}

void SelectShopDialog::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    if (!bSuccess) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("获取门店失败"));
    } else {
        const QJsonArray shops = gateway::replyContent(byteResult).value(QStringLiteral("listshop")).toArray();
        if (shops.isEmpty()) {
            MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("你还没有门店!"));
        } else {
            SessionData& session = SessionData::instance();
            for (int i = 0; i < shops.size(); ++i) {
                const QJsonObject shop = shops.at(i).toObject();
                // Stored before its entry is added: adding the first entry selects it at once.
                session.insertShop(i, shop);
                ui->comboBox->addItem(gateway::jsonText(shop.value(QStringLiteral("main_name"))) +
                                      QStringLiteral("  ") +
                                      gateway::jsonText(shop.value(QStringLiteral("branch_name"))));
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
    SessionData::instance().setCurrentShop(SessionData::instance().shops().value(index));
}

void SelectShopDialog::on_pushButton_clicked()
{
    hide();
    shell::showMainWindow();
    DataConfig::instance().setShopName(ui->comboBox->currentText());
}

void SelectShopDialog::on_pushButton_2_clicked()
{
    ui->pushButton_2->setEnabled(false);
    ui->comboBox->clear();
    requestShops();
}
