#include "RealCashier.h"

#include "TestSupport.h"
#include "X11Desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QUrl>

#include <cstdio>

namespace {
// What MessageBox writes for each box it shows.
const QByteArray kMessagePrefix = "cashier.messages: ";
} // namespace

RealCashier::RealCashier()
{
    QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] { readErrors(); });
}

RealCashier::~RealCashier()
{
    kill();
}

bool RealCashier::start(const QString& gatewayUrl, const QString& tillDevice, const QByteArray& appConfig)
{
    const QString executable = qEnvironmentVariable("CASHIER_EXECUTABLE");
    if (!QFileInfo(executable).isExecutable()) {
        m_error = QStringLiteral("CASHIER_EXECUTABLE is not a program: ") + executable;
        return false;
    }
    QByteArray ini = "[data_config]\ngateway_url=" + gatewayUrl.toUtf8() + "\n";
    ini += "user=demo\npwd=demo123\nremPwdstatus=true\ncheck_updata=1\nprint_poll_seconds=0\n";
    ini += "printerName=" + QTextCodec::codecForName("GB2312")->fromUnicode(QStringLiteral("不打印小票")) + "\n";
    if (!m_work.isValid() || !m_config.isValid() || !QDir(m_work.path()).mkpath("ports") ||
        !QFile::link(tillDevice, m_work.filePath("ports/COM9")) || !writeFileBytes(m_work.filePath("data.ini"), ini) ||
        (!appConfig.isEmpty() && !writeFileBytes(m_work.filePath("app.config"), appConfig))) {
        m_error = QStringLiteral("cannot prepare the working directory ") + m_work.path();
        return false;
    }
    return launch();
}

bool RealCashier::restart()
{
    kill();
    return launch();
}

bool RealCashier::launch()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", m_config.path());
    // The logged boxes are Chinese: UTF-8 whatever locale the test runs in.
    env.insert("LC_ALL", "C.UTF-8");
    // Every request and reply in the log: a failed flow shows how far the program got.
    env.insert("QT_LOGGING_RULES", "cashier.gateway.debug=true");
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_work.path());
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_process.start(qEnvironmentVariable("CASHIER_EXECUTABLE"), QStringList());
    if (!m_process.waitForStarted(10000)) {
        m_error = m_process.errorString();
        return false;
    }
    return true;
}

void RealCashier::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // No tray to quit from under a bare X server: the program is ended from outside.
    m_process.kill();
    m_process.waitForFinished(5000);
}

QStringList RealCashier::messages()
{
    readErrors();
    return m_messages;
}

void RealCashier::readErrors()
{
    const QByteArray errors = m_process.readAllStandardError();
    if (errors.isEmpty())
        return;
    std::fwrite(errors.constData(), 1, size_t(errors.size()), stderr);
    m_partialLine += errors;
    int end;
    while ((end = m_partialLine.indexOf('\n')) >= 0) {
        const QByteArray line = m_partialLine.left(end);
        m_partialLine.remove(0, end + 1);
        if (line.startsWith(kMessagePrefix))
            m_messages.append(QString::fromUtf8(line.mid(kMessagePrefix.size())));
    }
}

QString CashierOnX11::start(const QByteArray& appConfig, bool throughProxy)
{
    if (!x11::startWindowManager(windowManager))
        return QStringLiteral("openbox is missing (scripts/setup installs it)");
    if (!gateway.start())
        return gateway.error();
    if (!till.isValid())
        return QStringLiteral("no pseudo-terminal for the till");
    QString url = gateway.url();
    if (throughProxy) {
        proxy = std::make_unique<DroppingProxy>(QUrl(url).port());
        if (!proxy->start())
            return QStringLiteral("the proxy cannot listen");
        url = proxy->url();
    }
    if (!cashier.start(url, till.devicePath(), appConfig))
        return cashier.error();
    return QString();
}

void CashierOnX11::stop()
{
    cashier.kill();
    windowManager.kill();
    windowManager.waitForFinished(5000);
}
