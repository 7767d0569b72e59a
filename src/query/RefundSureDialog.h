#pragma once

#include "core/Order.h"
#include "core/SettingsPage.h"
#include "net/RefundOperation.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

class QCheckBox;

namespace Ui {
class RefundSureDialog;
}

// Refunds one payment of the transaction list: the order, the amount and the refund password, and
// the room or hand-card numbers registered on the order that the guest hands back. The caller runs it
// modally and refreshes its list when it closes, whatever became of the refund. While a refund is on
// its way the dialog stays ("取消", Escape and the window's close do nothing): it closes only once
// the refund's outcome is known or known to be unknown.
class RefundSureDialog : public QDialog
{
    Q_OBJECT

public:
    // `order` as the list read it; `earlierRefundUnknown` when a refund of it is still unknown.
    RefundSureDialog(QWidget* parent, const Order& order, bool earlierRefundUnknown = false);
    ~RefundSureDialog() override;

    // Asks the gateway for the items registered on the order; the boxes appear when it answers.
    void requestCards();

    QString outTradeNo;
    QString money;
    QString payChannel;
    QString tradeNo;
    // The order: what was refunded of it already, and everything the refund receipt prints.
    const Order order;

    void reject() override;

signals:
    // The refund-password pages: the forgotten-password page, or the change page after a refund
    // refused for its password.
    void settingsPageRequested(SettingsPage page);

private slots:
    void on_btnCancel_clicked();
    void on_btnOk_clicked();
    void onRefundResult(RefundOperation::Outcome outcome, const QString& text, int code);
    void on_btnOk1_clicked();
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);
    void on_pushButton_clicked();
    void on_cbkAll_clicked();

private:
    enum class State {
        Editing,
        Asking,  // the question about a refund without items is open
        Sending, // a refund is on its way: no second one may leave
        Unknown, // the refund got no readable answer: it may have been made
    };

    void confirmRefund();
    void sendRefund(qint64 refundFen, const QString& cardNo);
    void printRefundReceipt();
    void setConfirmEnabled(bool enabled);

    QList<QCheckBox*> itemBoxes;
    std::unique_ptr<Ui::RefundSureDialog> ui;
    State m_state = State::Editing;
    bool m_earlierRefundUnknown = false;
    qint64 m_refundFen = 0; // the amount of the refund sent, for its receipt
};
