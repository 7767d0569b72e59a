#pragma once

#include <QJsonObject>
#include <QWidget>

#include <memory>

namespace Ui {
class FormTradeInfo;
}

// Confirms a successful collection: the order as the gateway settled it, the merchant-copy receipt
// printed as soon as the window is on screen (and the gateway told so), and a room number that can
// be registered against the order before the window closes.
class FormTradeInfo : public QWidget
{
    Q_OBJECT

public:
    FormTradeInfo(const QJsonObject& content, QWidget* parent = nullptr);
    ~FormTradeInfo() override;

    // "支付宝" for Alipay, "微信" for any other channel.
    static QString payMethodName(const QString& payChannel);
    // The amount in fen: a JSON number for Alipay, text for the other channels; 0 otherwise.
    static qint64 amountFen(const QJsonObject& content);

private slots:
    void on_close_btn_clicked();
    void on_print_btn_clicked();
    void on_pushButton_clicked();
    void slot_requestFinished(bool bSuccess);

private:
    void doPrintNotice();
    void doCard();
    void printReceipt();
    void printReceiptIfDue();

    std::unique_ptr<Ui::FormTradeInfo> ui;
    qint64 m_amountFen = 0;
    bool m_registering = false;
    bool m_receiptDue = true;
};
