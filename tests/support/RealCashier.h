#pragma once

#include "DemoGateway.h"
#include "DroppingProxy.h"
#include "PseudoTerminal.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The `cashier` program (CASHIER_EXECUTABLE) run from outside in a working directory of its own:
// data.ini pointing at a gateway, the till's pseudo-terminal where COM9 is looked for, a private
// XDG config home. Its standard error is passed on, and the message boxes it logs are collected.
class RealCashier
{
public:
    RealCashier();
    ~RealCashier();

    // The demo login remembered, no version check, no receipts, no print-order polling; `appConfig`
    // (124 bytes) when the defaults will not do. False with a reason in error() otherwise.
    bool start(const QString& gatewayUrl, const QString& tillDevice, const QByteArray& appConfig = QByteArray());
    // Killed at once (SIGKILL: nothing saved on the way out, like a power cut).
    void kill();
    // Started again in the same working directory, as the next morning.
    bool restart();

    QString error() const { return m_error; }
    QString filePath(const QString& name) const { return m_work.filePath(name); }

    QProcess::ProcessState state() const { return m_process.state(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    int exitCode() const { return m_process.exitCode(); }

    // Every message box shown so far, "[title] text", oldest first.
    QStringList messages();

private:
    bool launch();
    void readErrors();

    QTemporaryDir m_work;
    QTemporaryDir m_config;
    QProcess m_process;
    QByteArray m_partialLine;
    QStringList m_messages;
    QString m_error;
};

// Everything a test of the real program on an X server starts: a window manager (without one X
// leaves the focus nowhere once a window closes), a demo gateway, the till's pseudo-terminal and
// the program. Stopped when the object goes.
struct CashierOnX11
{
    QProcess windowManager;
    DemoGateway gateway;
    PseudoTerminal till;
    RealCashier cashier;
    std::unique_ptr<DroppingProxy> proxy; // between the program and the gateway, when asked for

    ~CashierOnX11() { stop(); }
    // "" when all of it runs, otherwise what did not start.
    QString start(const QByteArray& appConfig = QByteArray(), bool throughProxy = false);
    void stop();
};
