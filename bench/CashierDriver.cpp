#include "CashierDriver.h"

#include "DemoGateway.h"
#include "TestSupport.h"
#include "WindowTitles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

#include <cstdio>

namespace bench {

using namespace windowtitle;

namespace {
// The payment codes scanned into the program: WeChat's, never ending in 0000.
const QString kCodePrefix = QStringLiteral("13");
// What the program's message-box seam writes for each box it shows.
const QByteArray kMessagePrefix = "cashier.messages: ";
} // namespace

void fail(const QString& what)
{
    const QString shot = QDir::temp().filePath(QCoreApplication::applicationName() + QStringLiteral("-failure.png"));
    const bool saved = QProcess::execute(QStringLiteral("import"), {"-window", "root", shot}) == 0;
    std::printf("failed: %s%s\n", qPrintable(what), saved ? qPrintable(" (screen: " + shot + ")") : "");
    std::fflush(stdout);
}

CashierDriver::CashierDriver(XSession& x, DemoGateway& gateway) : m_x(x), m_gateway(gateway) {}

CashierDriver::~CashierDriver()
{
    stop(m_cashier);
}

bool CashierDriver::prepare()
{
    if (!m_till.isValid() || !m_work.isValid() || !m_config.isValid() || !QDir(m_work.path()).mkdir("ports") ||
        !QFile::link(m_till.devicePath(), m_work.filePath("ports/COM9")))
        return false;
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    return true;
}

void CashierDriver::stop(QProcess& process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool CashierDriver::writeIni(const QString& printerName, bool versionCheck)
{
    const QString url = gatewayUrl.isEmpty() ? m_gateway.url() : gatewayUrl;
    QByteArray ini = "[data_config]\ngateway_url=" + url.toUtf8() + "\n";
    // check_updata=0 is the program's "check for a new version at the login window".
    ini += "user=demo\npwd=demo123\nremPwdstatus=true\nprint_poll_seconds=0\ncheck_updata=";
    ini += versionCheck ? "0\n" : "1\n";
    ini += "printerName=" + QTextCodec::codecForName("GB2312")->fromUnicode(printerName) + "\n";
    return writeFileBytes(m_work.filePath("data.ini"), ini);
}

double CashierDriver::launch(QProcess& process, const QString& path, const QStringList& arguments, const QString& title,
                             XSession::WindowId* window, qint64* mappedAtNs)
{
    process.setProcessEnvironment(m_env);
    process.setWorkingDirectory(m_work.path());
    if (&process == &m_cashier && !errorLog.isEmpty()) {
        process.setStandardErrorFile(errorLog, QIODevice::Append);
    } else {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    process.setStandardOutputFile(QProcess::nullDevice());
    const qint64 start = XSession::now();
    process.start(path, arguments);
    qint64 mappedAt = 0;
    const XSession::WindowId id = m_x.waitMapped(title, start, kWaitMs, &mappedAt);
    if (window)
        *window = id;
    if (mappedAtNs)
        *mappedAtNs = mappedAt;
    return id ? msBetween(start, mappedAt) : -1;
}

bool CashierDriver::logIn(const QString& printerName, bool versionCheck, int returnAfterMs, LoginTimes* times)
{
    stop(m_cashier);
    if (!writeIni(printerName, versionCheck))
        return fail("cannot write data.ini"), false;
    LoginTimes t;
    XSession::WindowId login = 0;
    if (launch(m_cashier, program, {}, kLogin, &login, &t.loginMappedAt) < 0 || !m_x.activate(login))
        return fail("no login window to log in at"), false;
    const qint64 returnDue = t.loginMappedAt + qint64(returnAfterMs) * 1000000;
    if (XSession::now() < returnDue)
        m_x.wait(int((returnDue - XSession::now()) / 1000000));
    t.returnAt = XSession::now();
    m_x.tap("Return");
    const XSession::WindowId shops = m_x.waitMapped(kSelectShop, t.returnAt, kWaitMs, &t.shopsMappedAt);
    if (!shops || !waitForRequest(QStringLiteral("Account.Shop.listShop")) || !m_x.activate(shops))
        return fail("no shop selection after logging in"), false;
    // The list is filled once the reply is in.
    m_x.wait(200);
    t.shopChosenAt = XSession::now();
    m_x.tap("KP_Enter");
    if (!m_x.waitMapped(kMain, t.shopChosenAt, kWaitMs))
        return fail("no main window after choosing the shop"), false;
    if (times)
        *times = t;
    return true;
}

XSession::WindowId CashierDriver::openScanPay()
{
    const int n = m_codes + 1;
    const QByteArray amount = QByteArray::number(1 + n % 97) + "." + QByteArray::number(10 + n % 90);
    if (!m_till.write("\x1bQA" + amount + "\r"))
        return 0;
    // Time for the amount to travel the line and reach the keypad.
    m_x.wait(100);
    qint64 since = XSession::now();
    m_x.chord("Alt_L", "z");
    XSession::WindowId scanPay = m_x.waitMapped(kScanPay, since, 3000);
    if (!scanPay) {
        // The hot key came before the amount: once more.
        since = XSession::now();
        m_x.chord("Alt_L", "z");
        scanPay = m_x.waitMapped(kScanPay, since, kWaitMs);
    }
    if (!scanPay)
        return 0;
    // The window takes the keyboard once it is exposed.
    const qint64 exposeDeadline = XSession::now() + qint64(kWaitMs) * 1000000;
    while (m_x.exposures(scanPay) == 0 && XSession::now() < exposeDeadline)
        m_x.pump(10);
    return m_x.exposures(scanPay) > 0 ? scanPay : 0;
}

XSession::WindowId CashierDriver::scan(qint64* returnAt, qint64* mappedAt, int timeoutMs)
{
    // A new code each time: the gateway takes each once.
    const int n = ++m_codes;
    m_lastCode = kCodePrefix + QStringLiteral("%1").arg(n, 15, 10, QLatin1Char('0')) + QLatin1Char('1');
    m_x.type(m_lastCode);
    *returnAt = XSession::now();
    m_x.tap("Return");
    return m_x.waitMapped(kTradeResult, *returnAt, timeoutMs, mappedAt);
}

XSession::WindowId CashierDriver::sale(qint64* returnAt, qint64* mappedAt)
{
    if (!openScanPay())
        return 0;
    m_x.wait(30);
    return scan(returnAt, mappedAt);
}

bool CashierDriver::closeResult(XSession::WindowId result)
{
    return m_x.activate(result) && m_x.tap("Escape") && m_x.waitUnmapped(result, kWaitMs);
}

bool CashierDriver::query(int enterAfterMs, QueryTimes* times)
{
    const XSession::WindowId main = m_x.mapped(kMain);
    if (!main || !m_x.activate(main))
        return fail("the main window did not take the focus for a query"), false;
    // The request log is emptied so that this query is the only one in it.
    m_gateway.adminPost(QStringLiteral("reset"));
    QueryTimes t;
    t.f2At = XSession::now();
    m_x.tap("F2");
    // At a person's pace: the collection tab's keys stay live until it is deleted, at the
    // program's next turn of its event loop.
    m_x.wait(enterAfterMs);
    t.enterAt = XSession::now();
    m_x.tap("KP_Enter");
    if (times) {
        // Timed: nothing else asks the gateway anything until the page is shown. The busy box
        // comes with the request and goes once the page is filled.
        const XSession::WindowId busy = m_x.waitMapped(kBusy, t.enterAt, kWaitMs, &t.busyMappedAt);
        if (!busy)
            return fail("no busy box after the keypad's Enter"), false;
        if (!m_x.waitUnmapped(busy, kWaitMs, &t.filledAt))
            return fail("the busy box stayed after the query"), false;
        *times = t;
    }
    if (!waitForRequest(QStringLiteral("Account.Pay.listPay")))
        return fail("F2 and the keypad's Enter asked the gateway for nothing"), false;
    if (!times) {
        m_x.wait(20);
        const XSession::WindowId busy = m_x.mapped(kBusy);
        if (busy && !m_x.waitUnmapped(busy, kWaitMs))
            return fail("the busy box stayed after the query"), false;
    }
    return true;
}

bool CashierDriver::waitForRequest(const QString& action)
{
    const qint64 deadline = XSession::now() + qint64(kWaitMs) * 1000000;
    while (QJsonDocument::fromJson(m_gateway.adminGet(QStringLiteral("requests?action=") + action)).array().isEmpty()) {
        if (XSession::now() > deadline)
            return false;
        m_x.wait(20);
    }
    return true;
}

int CashierDriver::paidOrders()
{
    int paid = 0;
    for (const QJsonValue& row :
         QJsonDocument::fromJson(m_gateway.adminGet(QStringLiteral("rows?table=orders"))).array())
        paid += row.toObject().value(QStringLiteral("auth_code")).toString().startsWith(kCodePrefix) ? 1 : 0;
    return paid;
}

QStringList CashierDriver::messages() const
{
    QStringList shown;
    if (errorLog.isEmpty())
        return shown;
    for (const QByteArray& line : readFileBytes(errorLog).split('\n')) {
        if (line.startsWith(kMessagePrefix))
            shown.append(QString::fromUtf8(line.mid(kMessagePrefix.size())));
    }
    return shown;
}

} // namespace bench
