#pragma once

#include "PseudoTerminal.h"
#include "XSession.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class DemoGateway;

// The real `cashier` program driven from outside on the benchmark's X server, as a cashier works
// it: keys and clicks through XTEST (XSession), till amounts through a pseudo-terminal linked as
// COM9, its own working folder (data.ini, app.config) and config home. What the benchmarks that
// time the program share.
namespace bench {

constexpr int kWaitMs = 15000;

inline double msBetween(qint64 fromNs, qint64 toNs)
{
    return double(toNs - fromNs) / 1e6;
}

// Says on stdout what went wrong, with a picture of the screen at that moment.
void fail(const QString& what);

class CashierDriver
{
public:
    CashierDriver(XSession& x, DemoGateway& gateway);
    ~CashierDriver();

    // The working folder with the till's port, and the environment the program runs in.
    bool prepare();
    QString filePath(const QString& name) const { return m_work.filePath(name); }
    QProcessEnvironment& environment() { return m_env; }

    QString program;    // the cashier executable
    QString gatewayUrl; // what data.ini points at (default: the gateway itself)
    // Where the program's standard error goes (empty: passed on); its message boxes are read from it.
    QString errorLog;

    // data.ini: the demo login remembered, no print-order polling, `printerName`, and the version
    // check at the login window on or off.
    bool writeIni(const QString& printerName, bool versionCheck = false);

    // Starts `program` in the working folder and waits for its window `title`; the time from the
    // start to the map in ms, or a negative number when it did not come.
    double launch(QProcess& process, const QString& program, const QStringList& arguments, const QString& title,
                  XSession::WindowId* window = nullptr, qint64* mappedAtNs = nullptr);
    static void stop(QProcess& process);
    QProcess& cashier() { return m_cashier; }

    struct LoginTimes
    {
        qint64 loginMappedAt = 0, returnAt = 0, shopsMappedAt = 0, shopChosenAt = 0;
    };
    // Starts the program afresh with `printerName` and logs in with the remembered account into the
    // first shop; Return goes `returnAfterMs` after the login window was mapped (0: at once).
    bool logIn(const QString& printerName, bool versionCheck = false, int returnAfterMs = 0,
               LoginTimes* times = nullptr);

    // The next sale's amount from the till, then Alt+Z; the scan-pay window once it has been
    // exposed (and so has the keyboard), 0 when it did not open.
    XSession::WindowId openScanPay();
    // A new payment code and Return in the open scan-pay window. Returns the moment of Return and
    // the trade result window, 0 when none came within `timeoutMs`.
    XSession::WindowId scan(qint64* returnAt, qint64* mappedAt, int timeoutMs = kWaitMs);
    // Both, the code scanned as soon as the window has the keyboard.
    XSession::WindowId sale(qint64* returnAt, qint64* mappedAt);
    bool closeResult(XSession::WindowId result);
    QString lastCode() const { return m_lastCode; }

    struct QueryTimes
    {
        qint64 f2At = 0, enterAt = 0, busyMappedAt = 0, filledAt = 0;
    };
    // F2 and, `enterAfterMs` later, the keypad's Enter in the main window: today's payments, as the
    // query tab lists them; done when the busy box has gone after the gateway's reply.
    bool query(int enterAfterMs = 150, QueryTimes* times = nullptr);

    // Waits until the gateway's request log holds `action`.
    bool waitForRequest(const QString& action);
    // Orders paid with the codes the program was given (baselines pay with codes of their own).
    int paidOrders();
    // The message boxes the program has shown, "[title] text", oldest first (needs errorLog).
    QStringList messages() const;

private:
    XSession& m_x;
    DemoGateway& m_gateway;
    PseudoTerminal m_till;
    QTemporaryDir m_work;
    QTemporaryDir m_config;
    QProcessEnvironment m_env;
    QProcess m_cashier;
    int m_codes = 0;
    QString m_lastCode;
};

} // namespace bench
