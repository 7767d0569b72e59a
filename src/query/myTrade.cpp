#include "query/myTrade.h"

#include "config/DataConfig.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/NetLog.h"
#include "net/QueryReplies.h"
#include "net/SessionData.h"
#include "print/ReceiptDocuments.h"
#include "ui_myTrade.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"
#include "widgets/Printer.h"
#include "widgets/WindowDragger.h"

namespace {
QString sessionText(const QJsonObject& object, const char* key)
{
    return gateway::jsonText(object.value(QLatin1String(key)));
}
} // namespace

myTrade::myTrade(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::myTrade>())
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    periodReady = false;

    setStyleSheet(QStringLiteral("background-color:#00AAFF;"));
    setWindowTitle(QStringLiteral("澜川岚客钱包"));
    ui->lbltitle->setStyleSheet(QStringLiteral("color:white;"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setUpFramelessWindow(this);
    const QString buttonStyle = imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"),
                                                 QStringLiteral("color:white;"));
    ui->btnPrint->setStyleSheet(buttonStyle);
    ui->btnClose->setStyleSheet(buttonStyle);

    for (QDateTimeEdit* edit : {ui->time1, ui->time2}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        edit->setCalendarPopup(true);
    }
    // Until the gateway proposes a period: today from midnight until now.
    ui->time2->setDateTime(QDateTime::currentDateTime());
    ui->time1->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));

    getPrintTime();
    periodReady = true;
}

myTrade::~myTrade() = default;

void myTrade::on_btnClose_clicked()
{
    close();
}

myTrade::Period myTrade::periodShown() const
{
    return {ui->time1->dateTime().toSecsSinceEpoch(), ui->time2->dateTime().toSecsSinceEpoch()};
}

void myTrade::getHttpRecord()
{
    auto* request = new HttpFun;
    m_latestRequest = request;
    m_latestPeriod = periodShown();
    connect(request, &HttpFun::signal_requestFinished, this, &myTrade::slot_requestFinished);
    request->post(gateway::gatewayUrl(),
                  gateway::listSumBody(SessionData::instance().token(), QString::number(m_latestPeriod.first),
                                       QString::number(m_latestPeriod.second)),
                  HttpFun::Effect::ReadsOnly);
}

void myTrade::getPrintTime()
{
    const QByteArray body = gateway::printTimeBody(SessionData::instance().token());
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &myTrade::solt_getPrintTime);
    request->post(gateway::gatewayUrl(), body, HttpFun::Effect::ReadsOnly);
}

void myTrade::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    // Each change of an edit asks anew, and the replies may overtake each other: only the answer
    // for the period the edits show now may fill the labels.
    if (sender() != m_latestRequest)
        return;
    // An error page, "{}", text that is not JSON or the gateway's refusal holds no totals: not a
    // shift of zeros.
    if (!bSuccess || !query::answersQuery(byteResult)) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("数据查询失败，请检查网络设置"));
        return;
    }
    m_totalsPeriod = m_latestPeriod;
    const query::ListSum sum = query::readListSum(byteResult);
    const SessionData& session = SessionData::instance();
    ui->lbltime->setText(sum.time1);
    ui->lblendtime->setText(sum.time2);
    ui->lblczry->setText(session.operatorName());
    ui->lblskmd->setText(sessionText(session.currentShop(), "main_name") +
                         sessionText(session.currentShop(), "branch_name"));
    ui->lblssje->setText(sum.received);
    ui->lblzfbje->setText(sum.alipayMoney);
    ui->lblzfbtk->setText(sum.alipayRefund);
    ui->lblwxje->setText(sum.wechatMoney);
    ui->lblwxtk->setText(sum.wechatRefund);
    ui->lbltkzje->setText(sum.refunded);
}

void myTrade::solt_getPrintTime(bool bSuccess, const QByteArray& byteResult)
{
    qCDebug(lcGateway).noquote() << "print period reply" << bSuccess << byteResult;
    // Without a proposal the edits keep today so far; the cashier can still set them.
    if (!bSuccess)
        return;
    // Each edit that changes asks for the totals by itself.
    const query::PrintPeriod period = query::readPrintTime(byteResult);
    const HttpFun* asked = m_latestRequest;
    if (period.time1.isValid())
        ui->time1->setDateTime(period.time1);
    if (period.time2.isValid())
        ui->time2->setDateTime(period.time2);
    // A proposal the edits already showed (the first shift of the day, proposed within the second
    // the dialog opened) changes neither: the totals of that period are asked for all the same.
    if (m_latestRequest == asked && (period.time1.isValid() || period.time2.isValid()))
        getHttpRecord();
}

void myTrade::logPrint()
{
    const Period period = periodShown();
    const QByteArray body = gateway::logPrintBody(SessionData::instance().token(), QString::number(period.first),
                                                  QString::number(period.second));
    // Nobody waits for the answer: the slip is printed whatever the gateway says.
    (new HttpFun)->post(gateway::gatewayUrl(), body);
}

void myTrade::on_btnPrint_clicked()
{
    // The gateway takes a logged period as handed over: only the totals it gave for the period the
    // edits show may be logged and printed, never empty labels, zeros or another period's sums.
    if (m_totalsPeriod != periodShown()) {
        // After a failure nothing else would ask again until an edit changes.
        if (!m_latestRequest)
            getHttpRecord();
        MessageBox::warning(this, QStringLiteral("提示信息"), QStringLiteral("收银汇总尚未查到，请稍候再打印"));
        return;
    }
    // The period is recorded as handed over even when no slip can be printed: the shift ends with
    // the press, and the next proposal starts where this one ended.
    logPrint();
    if (!Printer::readyFor(this, Printer::NotWanted::Tell))
        return;

    receipt::CashierSummary summary;
    summary.shopName = ui->lblskmd->text();
    summary.operatorName = ui->lblczry->text();
    summary.startTime = ui->lbltime->text();
    summary.endTime = ui->lblendtime->text();
    summary.alipayMoney = ui->lblzfbje->text();
    summary.alipayRefund = ui->lblzfbtk->text();
    summary.wechatMoney = ui->lblwxje->text();
    summary.wechatRefund = ui->lblwxtk->text();
    summary.received = ui->lblssje->text();
    summary.refunded = ui->lbltkzje->text();
    Printer::printHtml(receipt::cashierSummaryReceipt(summary, QDateTime::currentDateTime(),
                                                      DataConfig::instance().getServiceHotline()));

    // No default: a stray Return (a scanner's, or one typed a moment late) must not end the program.
    if (MessageBox::askWithoutDefault(this, MessageBox::Question, QStringLiteral("退出程序"),
                                      QStringLiteral("是否要退出程序重新登陆?"), QStringLiteral("是(&Y)"),
                                      QStringLiteral("否(&N)")) != MessageBox::Accepted)
        return;
    close();
    emit quitRequested();
}

void myTrade::on_time1_dateTimeChanged(const QDateTime& dateTime)
{
    Q_UNUSED(dateTime)
    if (periodReady)
        getHttpRecord();
}

void myTrade::on_time2_dateTimeChanged(const QDateTime& dateTime)
{
    Q_UNUSED(dateTime)
    if (periodReady)
        getHttpRecord();
}
