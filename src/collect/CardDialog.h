#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CardDialog;
}

// Registers a room or hand-card number (the item whose name the merchant sets) against an order
// that is already paid, from the transaction list. The caller runs it modally: it ends Accepted
// once the gateway has stored the number, Rejected when the cashier cancels.
class CardDialog : public QDialog
{
    Q_OBJECT

public:
    // `orderNo` goes to the gateway, `shownNo` is what the cashier reads; `moneyFen` is the order's
    // amount as the gateway writes it, in fen.
    CardDialog(QWidget* parent, const QString& orderNo, const QString& shownNo, const QString& moneyFen,
               const QString& payWay);
    ~CardDialog() override;

    // "12.34" from "1234"; "0.00" for anything that is not a whole number of fen.
    static QString amountText(const QString& moneyFen);

private slots:
    // The registration's outcome: stored, or not known to be.
    void slot_requestFinished(bool bSuccess);
    void on_btnOk_clicked();
    void on_btnOk1_clicked();
    void on_btnCancel_clicked();

private:
    void registerCard();

    QString m_orderNo;
    QString m_moneyFen;
    QString m_payWay;
    QString m_shownNo;
    std::unique_ptr<Ui::CardDialog> ui;
    // A registration is on its way (or stored): Return and keypad Enter pressed together, or a
    // second press, must not send it again.
    bool m_registering = false;
};
