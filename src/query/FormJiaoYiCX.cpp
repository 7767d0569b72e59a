#include "query/FormJiaoYiCX.h"

#include "collect/CardDialog.h"
#include "config/AppConfigRecord.h"
#include "config/DataConfig.h"
#include "core/QueryTable.h"
#include "net/GatewayConnections.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/MoneyJournal.h"
#include "net/QueryReplies.h"
#include "net/RefundOperation.h"
#include "net/SessionData.h"
#include "print/ReceiptDocuments.h"
#include "query/RefundSureDialog.h"
#include "query/myTrade.h"
#include "ui_FormJiaoYiCX.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/LoadingDialog.h"
#include "widgets/MessageBox.h"
#include "widgets/ModalLoop.h"
#include "widgets/PlainText.h"
#include "widgets/Printer.h"

#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTableWidgetItem>

namespace {
const QString kQueryButtonStyle =
    imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"), QStringLiteral("color:white;"));
// The row buttons take their look from the table's style sheet, by kind: one sheet for the table is
// parsed once, where a sheet per button made filling a page several times slower.
const QString kRowButtonStyles = QStringLiteral(
    "QPushButton[rowButton=\"refund\"]{border-image: url(:/images/query_nor.png);color:white;margin:2px;} "
    "QPushButton[rowButton=\"refund\"]:pressed{border-image: url(:/images/query_pre.png);} "
    "QPushButton[rowButton=\"print\"]{border-image: url(:/images/print_nor.png);color:white;margin:2px;} "
    "QPushButton[rowButton=\"print\"]:pressed{border-image: url(:/images/print_pre.png);}");
} // namespace

FormJiaoYiCX::FormJiaoYiCX(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::FormJiaoYiCX>()), loadingDialog(new LoadingDialog(nullptr))
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);

    const AppConfigRecord& record = AppConfigRecord::instance();
    if (record.cardEnabled) {
        ui->lbl_CardName->setText(record.itemName + QStringLiteral("号"));
    } else {
        ui->lbl_CardName->hide();
        ui->txtCardNo->hide();
    }
    for (QPushButton* button : {ui->query_btn, ui->btn_mytrade, ui->up_page_btn, ui->next_page_btn, ui->query_page_btn})
        button->setStyleSheet(kQueryButtonStyle);
    setStyleSheet(QStringLiteral("QTableWidget::item:selected { background-color: rgb(0, 170, 255) }"));
    ui->tableWidget->setFocusPolicy(Qt::NoFocus);
    ui->tableWidget->setStyleSheet(kRowButtonStyles);
    ui->tableWidget->horizontalHeader()->setStretchLastSection(true);
    ui->tableWidget->horizontalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar{background:gray; height:15px;}QScrollBar::handle{background:lightgray; border:2px "
                       "solid transparent;}QScrollBar::handle:hover{background:gray;}QScrollBar::sub-line{background:"
                       "transparent;}QScrollBar::add-line{background:transparent;}"));
    ui->tableWidget->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar{background:gray; width: 15px;}QScrollBar::handle{background:lightgray;}"
                       "QScrollBar::handle:hover{background:gray;}QScrollBar::sub-line{background:transparent;}"
                       "QScrollBar::add-line{background:transparent;}"));
    const QString dateStyle =
        QStringLiteral("QDateTimeEdit QWidget{color : #2EA7E0;background-color : rgb(46, 46, 46);}");
    ui->start_dateEdit->setStyleSheet(dateStyle);
    ui->end_dateEdit->setStyleSheet(dateStyle);

    // The columns the switches ask for: the designed nine, less refunds and items when they are off.
    const querytable::ColumnLayout layout =
        querytable::columnLayout(record.refundEnabled, record.cardEnabled, record.itemName);
    ui->tableWidget->setColumnCount(layout.columnCount());
    ui->tableWidget->setHorizontalHeaderLabels(layout.captions);
    for (int column = 0; column < layout.widths.size(); ++column)
        ui->tableWidget->setColumnWidth(column, layout.widths.at(column));
    columnCount = layout.columnCount();
    m_refundColumn = layout.refundColumn;
    m_itemColumn = layout.itemColumn;

    ui->page_lineEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9]*$")), ui->page_lineEdit));
    const QDate today = QDate::currentDate();
    ui->start_dateEdit->setDateTime(QDateTime(today, QTime(0, 0, 0)));
    ui->end_dateEdit->setDateTime(QDateTime(today, QTime(23, 59, 59)));
    clickOnKey(ui->query_btn, keypadEnterKey());
    // The listing's connection is opened while the cashier looks at the dates.
    gatewayconnections::prepareRead(gateway::gatewayUrl());
}

FormJiaoYiCX::~FormJiaoYiCX()
{
    delete loadingDialog;
}

void FormJiaoYiCX::listPay(int page)
{
    // One listing at a time: a second query while one is out would fill the table twice.
    if (m_request)
        return;
    gateway::ListPayQuery query;
    query.page = page;
    query.tradeNo = ui->txtTradeNo->text();
    query.startDate = ui->start_dateEdit->text();
    query.endDate = ui->end_dateEdit->text();
    query.shopId = SessionData::instance().shopId();
    // The item filter exists only with items switched on (the field is hidden otherwise).
    query.cardNo = AppConfigRecord::instance().cardEnabled ? ui->txtCardNo->text() : QString();
    m_listAskedAt = QDateTime::currentDateTimeUtc();
    m_request = new HttpFun;
    connect(m_request, &HttpFun::signal_requestFinished, this, &FormJiaoYiCX::slot_requestFinished);
    m_request->post(gateway::gatewayUrl(), gateway::listPayBody(SessionData::instance().token(), query),
                    HttpFun::Effect::ReadsOnly);
    // The reply closes the busy dialog; the tab waits here until it has been shown.
    modal::exec(*loadingDialog);
    // Under X11 the keyboard did not always come back to the main window when the busy box went,
    // and its keys (Escape, F1-F3) were dead until a click: hand it back explicitly.
    if (isVisible())
        window()->activateWindow();
}

void FormJiaoYiCX::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    loadingDialog->accept();
    // An error page, "{}", text that is not JSON or the gateway's refusal is no page of orders: the
    // one shown stays, rather than an empty list that would read as "no payments".
    if (!bSuccess || !query::answersQuery(byteResult)) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("数据查询失败，请检查网络设置"));
        return;
    }
    SessionData& session = SessionData::instance();
    session.clearOrders();

    const query::ListPayPage page = query::readListPay(byteResult);
    ui->wechat_num->setText(page.wechatCount);
    ui->wechat_money->setText(page.wechatSum);
    ui->apliy_num->setText(page.alipayCount);
    ui->apliy_money->setText(page.alipaySum);
    ui->sk_total->setText(page.totalSum);
    ui->total_page->setText(QString::number(page.totalPages));
    ui->jd_num->setText(page.jdCount);
    ui->jd_money->setText(page.jdSum);
    ui->yl_num->setText(page.cardCount);
    ui->yl_money->setText(page.cardSum);
    if (querytable::pageInRange(m_currentPage, page.totalPages))
        ui->current_page->setText(QString::number(m_currentPage));
    ui->total_num->setText(page.totalCount);
    ui->total_rfee->setText(page.totalRefund);

    // Refunds whose outcome was not learnt: what this page shows settles them, or their rows offer
    // no refund until it does.
    QVector<query::Order> orders;
    for (const QJsonObject& order : page.orders)
        orders.append(query::readOrder(order));
    m_refundsUnknown = RefundOperation::reconcile(orders, m_listAskedAt);

    // A page longer than the table makes the table longer: no order is hidden.
    ui->tableWidget->clearContents();
    ui->tableWidget->setRowCount(querytable::rowCount(page.orders.size()));
    for (int row = 0; row < page.orders.size(); ++row) {
        for (int column = 0; column < columnCount; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            ui->tableWidget->setItem(row, column, item);
        }
        fillRow(row, orders.at(row));
        session.insertOrder(row, page.orders.at(row));
    }
}

QPushButton* FormJiaoYiCX::rowButton(const QString& text, const char* kind, void (FormJiaoYiCX::*slot)())
{
    auto* button = new QPushButton(text);
    button->setProperty("rowButton", QLatin1String(kind));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

void FormJiaoYiCX::fillRow(int row, const Order& order)
{
    const query::OrderRow cells = query::orderRow(order);
    const QStringList texts = {cells.tradeNo,    cells.money,     cells.refundFee,
                               cells.payChannel, cells.finalInfo, cells.payDate};
    for (int column = 0; column < texts.size(); ++column) {
        if (QTableWidgetItem* item = ui->tableWidget->item(row, column))
            item->setText(texts.at(column));
    }
    if (m_refundColumn >= 0) {
        QPushButton* refund = rowButton(cells.refundButtonText, "refund", &FormJiaoYiCX::onBtnClicked);
        refund->setEnabled(cells.refundButtonEnabled);
        if (m_refundsUnknown.contains(order.outTradeNo)) {
            refund->setText(QStringLiteral("核对中"));
            refund->setEnabled(false);
            refund->setToolTip(QStringLiteral("上一次退款的结果未知，请稍后刷新列表核对"));
        }
        ui->tableWidget->setCellWidget(row, m_refundColumn, refund);
    }
    if (m_itemColumn >= 0)
        ui->tableWidget->setCellWidget(
            row, m_itemColumn,
            rowButton(AppConfigRecord::instance().itemName, "print", &FormJiaoYiCX::onBtnCardClicked));
    ui->tableWidget->setCellWidget(row, columnCount - 1,
                                   rowButton(QStringLiteral("重打印"), "print", &FormJiaoYiCX::onBtnPrinterClicked));
}

QJsonObject FormJiaoYiCX::senderOrder() const
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (!button)
        return QJsonObject();
    const int row = ui->tableWidget->indexAt(button->frameGeometry().topLeft()).row();
    return SessionData::instance().orders().value(row);
}

void FormJiaoYiCX::onBtnClicked()
{
    const QJsonObject order = senderOrder();
    if (order.isEmpty())
        return;
    const query::Order read = query::readOrder(order);
    RefundSureDialog dialog(nullptr, read, MoneyJournal::instance().unresolvedRefund(read.outTradeNo).isValid());
    connect(&dialog, &RefundSureDialog::settingsPageRequested, this, &FormJiaoYiCX::settingsPageRequested);
    modal::exec(dialog);
    // Whatever came of it (refunded, refused, unknown): the list shows what the gateway holds now.
    listPay(m_currentPage);
}

void FormJiaoYiCX::onBtnCardClicked()
{
    const QJsonObject order = senderOrder();
    if (order.isEmpty())
        return;
    const query::Order read = query::readOrder(order);
    CardDialog dialog(nullptr, read.outTradeNo, read.tradeNo, gateway::jsonText(order.value(QStringLiteral("money"))),
                      read.payChannel);
    modal::exec(dialog);
    listPay(m_currentPage);
}

void FormJiaoYiCX::onBtnPrinterClicked()
{
    const QJsonObject order = senderOrder();
    if (!Printer::readyFor(this, Printer::NotWanted::Tell))
        return;
    // The row's order is no longer known (the list was emptied since): a slip of blanks would read
    // as a receipt.
    if (order.isEmpty()) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("没有查到订单信息"));
        return;
    }
    Printer::printHtml(receipt::reprintReceipt(query::readOrder(order), SessionData::instance().operatorName(),
                                               DataConfig::instance().getServiceHotline()));
}

void FormJiaoYiCX::on_query_btn_clicked()
{
    m_currentPage = 1;
    listPay(m_currentPage);
}

void FormJiaoYiCX::on_up_page_btn_clicked()
{
    const int page = querytable::previousPage(m_currentPage);
    if (page <= 0)
        return;
    m_currentPage = page;
    listPay(m_currentPage);
}

void FormJiaoYiCX::on_next_page_btn_clicked()
{
    const int page = querytable::nextPage(m_currentPage, ui->total_page->text().toInt());
    if (page <= 0)
        return;
    m_currentPage = page;
    listPay(m_currentPage);
}

void FormJiaoYiCX::on_query_page_btn_clicked()
{
    const querytable::PageJump jump = querytable::jumpToPage(ui->page_lineEdit->text(), ui->total_page->text().toInt());
    if (!jump.ok()) {
        MessageBox::warning(this, QStringLiteral("错误提示"), jump.refusal);
        return;
    }
    m_currentPage = jump.page;
    listPay(m_currentPage);
}

void FormJiaoYiCX::on_btn_mytrade_clicked()
{
    // Run as this tab's modal loop, so that an amount from the till waits for it instead of
    // replacing the tab (and its connection to the quit) underneath it.
    myTrade summary;
    connect(&summary, &myTrade::quitRequested, this, &FormJiaoYiCX::quitRequested);
    modal::exec(summary);
}
