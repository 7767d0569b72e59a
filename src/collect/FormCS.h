#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class FormCS;
}

// Waits for the customer's payment code after the cashier confirmed an amount. The code arrives as
// keystrokes (a scanner acting as a keyboard, or typed) ended by Return; the window then asks the
// gateway to collect the amount — after the cents handling — and on success shows the result.
//
// One sale is charged at most once from here: while a request is out, further Returns (a scanner's
// second Return, an impatient cashier) send nothing, and the window does not close. The first reply
// decides; a failure lets the cashier scan again.
class FormCS : public QWidget
{
    Q_OBJECT

public:
    FormCS(QWidget* parent, const QString& amountText);
    ~FormCS() override;

    // The collection tab's amount display, cleared once the payment succeeded.
    void setAmountEdit(QLineEdit* amountEdit) { m_amountEdit = amountEdit; }

    qint64 moneyFen() const { return m_moneyFen; }
    bool requestInFlight() const { return m_inFlight; }

signals:
    // The gateway has answered (or the request failed): the window is closed after a success and
    // waiting for another scan after a failure.
    void requestSettled();

private slots:
    void on_close_btn_clicked();
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void sendScanPay();
    // A box about this payment attempt; the window keeps the keyboard before and after.
    void tell(const QString& text);

    QPointer<QLineEdit> m_amountEdit;
    QString m_payCode;
    QString m_amountText;
    qint64 m_moneyFen = 0;
    bool m_inFlight = false;
    std::unique_ptr<Ui::FormCS> ui;
};
