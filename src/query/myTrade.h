#pragma once

#include <QDateTime>
#include <QDialog>
#include <QPair>
#include <QPointer>

#include <memory>
#include <optional>

namespace Ui {
class myTrade;
}
class HttpFun;

// "交易总额": the shift report of the cashier logged in. The gateway proposes the period, the two
// time edits show it, and the totals are always those of the period the edits show. Printing
// records the period at the gateway, prints the "收银汇总" slip and offers to quit, so that the next
// cashier logs in.
class myTrade : public QDialog
{
    Q_OBJECT

public:
    explicit myTrade(QWidget* parent = nullptr);
    ~myTrade() override;

signals:
    // The cashier chose to quit after printing; the dialog has closed. Ending the program is the
    // shell's.
    void quitRequested();

private slots:
    void on_btnClose_clicked();
    void getHttpRecord();
    void getPrintTime();
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);
    void solt_getPrintTime(bool bSuccess, const QByteArray& byteResult);
    void logPrint();
    void on_btnPrint_clicked();
    void on_time1_dateTimeChanged(const QDateTime& dateTime);
    void on_time2_dateTimeChanged(const QDateTime& dateTime);

private:
    // A period as sent to the gateway: the two edits in Unix seconds.
    using Period = QPair<qint64, qint64>;
    Period periodShown() const;

    std::unique_ptr<Ui::myTrade> ui;
    // False while the constructor sets the edits, which must not ask for totals yet.
    bool periodReady = false;
    // The totals request whose reply fills the labels; replies to earlier ones are dropped.
    QPointer<HttpFun> m_latestRequest;
    Period m_latestPeriod;
    // The period whose totals the labels show; none until the gateway's first answer.
    std::optional<Period> m_totalsPeriod;
};
