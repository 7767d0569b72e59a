#pragma once

#include "net/ChargeOperation.h"

#include <QJsonObject>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class FormCS;
}

// Waits for the customer's payment code after the cashier confirmed an amount. The code arrives as
// keystrokes (a scanner acting as a keyboard, or typed) ended by Return; the window then asks the
// gateway to collect the amount — after the cents handling — and on success shows the result.
//
// One sale is charged at most once from here: while a charge is out, further Returns (a scanner's
// second Return, an impatient cashier) send nothing, and the window does not close. Its outcome
// decides; a failure lets the cashier scan again. A charge that got no reply may still have gone
// through: it stays in the journal, and before this shop charges again the gateway's payments are
// looked through and the cashier is asked about any that may be it (ChargeOperation).
class FormCS : public QWidget
{
    Q_OBJECT

public:
    FormCS(QWidget* parent, const QString& amountText);
    ~FormCS() override;

    // The collection tab's amount display, cleared once the payment succeeded if it still shows the
    // amount charged.
    void setAmountEdit(QLineEdit* amountEdit) { m_amountEdit = amountEdit; }

    qint64 moneyFen() const { return m_moneyFen; }
    bool requestInFlight() const { return m_inFlight; }

signals:
    // The gateway has answered (or the request failed): the window is closed after a success and
    // waiting for another scan after a failure.
    void requestSettled();

private slots:
    void on_close_btn_clicked();
    // The charge's one outcome.
    void slot_requestFinished(ChargeOperation::Outcome outcome, const QJsonObject& content, const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void sendScanPay();
    // The payment went through: the window closes and the trade result shows `content`.
    void complete(const QJsonObject& content);
    // A box about this payment attempt; the window keeps the keyboard before and after.
    void withoutKeyboard(const std::function<void()>& showBox);
    void tell(const QString& text);
    // Asks the cashier whether `payment`, found at the gateway, is the payment of the charge
    // `earlier` whose reply was lost (when `sameSale`, of this sale).
    bool isThisSale(const MoneyJournal::Entry& earlier, const QJsonObject& payment, bool sameSale);

    QPointer<QLineEdit> m_amountEdit;
    QString m_payCode;
    QString m_amountText;
    qint64 m_moneyFen = 0;
    bool m_inFlight = false;
    std::unique_ptr<Ui::FormCS> ui;
};
