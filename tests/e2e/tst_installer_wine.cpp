// The Windows program as a shop gets it: cashier-setup.exe (CASHIER_SETUP) installed silently into
// a fresh Wine prefix (WINEPREFIX), then the INSTALLED program started from its Start-menu shortcut
// with nothing of the build on its search path, on a virtual X screen with a window manager, and
// driven from outside as a cashier would: log-in over HTTPS to the demo gateway with its own
// certificate authority, the shop, a keypad sale, an amount from the till on COM9 (a pseudo-terminal
// mapped through the prefix's registry) called up with Alt+Z, the receipts printed through Wine to
// the CUPS test queue (their PDFs in CASHIER_PDF_DIR read back), the query, a refund, the shift
// summary; then a start as the Run key makes it at logon, and the uninstaller. Each step is checked
// at the gateway's rows, in the PDFs, the registry and the files, never in the program's log (Wine
// does not pass a Windows GUI program's output on).
//
// Not part of ctest: scripts/test-windows builds the installer, makes the prefix and runs this
// under xvfb-run. The flows run in order against one installed program.

#include "DemoGateway.h"
#include "GatewayCall.h"
#include "PseudoTerminal.h"
#include "TestSupport.h"
#include "WindowTitles.h"
#include "X11Desktop.h"

#include "config/AppConfigRecord.h"
#include "core/Product.h"
#include "net/GatewayConnections.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <memory>

namespace {

using namespace windowtitle;
using namespace x11;

// Wine starts a Windows program far more slowly than Linux starts the Linux one.
const int kWaitMs = x11::waitMs(30000);
constexpr int kSettleMs = 800;

const QString kInstallFolder = QStringLiteral("C:\\Program Files\\LanchuanPay");
const QString kExecutable = kInstallFolder + QStringLiteral("\\cashier.exe");
const QString kShortcutName = QStringLiteral("澜川智付.lnk");
const QString kStartMenuShortcut =
    QStringLiteral("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\澜川智付\\") + kShortcutName;
const QString kRunKey = QStringLiteral("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kUninstallKey =
    QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\LanchuanPay");
const QString kRefundTitle = QStringLiteral("退款");

// wine with its output; a null array when it failed.
QByteArray wine(const QStringList& arguments)
{
    return run(QStringLiteral("wine"), arguments);
}

// The Unix path of a Windows one in the prefix.
QString unixPath(const QString& windowsPath)
{
    return QString::fromUtf8(run(QStringLiteral("winepath"), {"-u", windowsPath})).trimmed();
}

// Waits until every Windows program of the prefix has ended (an installer, an uninstaller that
// copied itself away and returned at once).
bool waitForWine()
{
    QProcess server;
    server.start(QStringLiteral("wineserver"), {"--wait"});
    return server.waitForFinished(180000);
}

QString registryValue(const QString& key, const QString& value)
{
    // "    auto    REG_SZ    C:\...": what follows the type.
    const QString out = QString::fromUtf8(wine({"reg", "query", key, "/v", value}));
    const int type = out.indexOf(QStringLiteral("REG_"));
    if (type < 0)
        return QString();
    const int data = out.indexOf(QLatin1Char(' '), type);
    return data < 0 ? QString("") : out.mid(data).trimmed();
}

QSet<QString> pdfsIn(const QString& dir)
{
    const QStringList names = QDir(dir).entryList({"*.pdf"}, QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

// The text of the receipts printed since `before`, once `count` of them are complete.
QString newPrints(const QString& dir, const QSet<QString>& before, int count)
{
    QStringList texts;
    const bool complete = QTest::qWaitFor(
        [&] {
            texts.clear();
            for (const QString& name : pdfsIn(dir) - before) {
                if (!readFileBytes(QDir(dir).filePath(name)).trimmed().endsWith("%%EOF"))
                    return false;
                texts.append(QString::fromUtf8(run("pdftotext", {"-layout", QDir(dir).filePath(name), "-"})));
            }
            return texts.size() >= count;
        },
        kWaitMs);
    return complete && texts.size() == count ? texts.join(QStringLiteral("\n----\n")) : QString();
}

// A fresh prefix has no Chinese fonts of Windows' own; the program's font, 微软雅黑, and the
// dialogs' 宋体 are given the TrueType one Wine is lent (scripts/test-windows shows the prefix no
// other: Wine's printer driver dies on fonts with PostScript outlines).
bool lendChineseFonts(const QString& regFile)
{
    QString reg =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n");
    for (const char* family : {"微软雅黑", "Microsoft YaHei", "宋体", "SimSun"})
        reg += QStringLiteral("\"%1\"=\"WenQuanYi Micro Hei\"\r\n").arg(family);
    QByteArray bytes("\xff\xfe");
    bytes.append(reinterpret_cast<const char*>(reg.utf16()), reg.size() * 2);
    return writeFileBytes(regFile, bytes) &&
           !wine({"regedit", "/S", QString::fromUtf8(run("winepath", {"-w", regFile})).trimmed()}).isNull();
}

} // namespace

class TestInstallerWine : public QObject
{
    Q_OBJECT

private:
    QProcess m_windowManager;
    QTemporaryDir m_certs;
    std::unique_ptr<DemoGateway> m_gateway;
    PseudoTerminal m_till;
    QString m_pdfDir = qEnvironmentVariable("CASHIER_PDF_DIR");
    QString m_dataFolder; // Unix path of %LOCALAPPDATA%\LanchuanPay
    bool m_ready = false;
    int m_codes = 0;

    QJsonArray requests(const QString& action)
    {
        return QJsonDocument::fromJson(m_gateway->adminGet("requests?action=" + action)).array();
    }
    QString lastField(const QString& action, const QString& field)
    {
        return requests(action).last().toObject().value("fields").toObject().value(field).toString();
    }
    QJsonArray rows(const char* table)
    {
        return QJsonDocument::fromJson(m_gateway->adminGet(QStringLiteral("rows?table=") + table)).array();
    }

    // At a person's pace: keys typed faster reach a program under Wine out of order or not at all.
    static bool typeSlowly(const QString& text) { return xdotool({"type", "--delay", "200", text}); }

    bool scan()
    {
        const QString code = QStringLiteral("1345678901234%1").arg(++m_codes, 5, 10, QLatin1Char('0'));
        return xdotool({"type", "--delay", "1", code}) && xdotool({"key", "Return"});
    }

    // The scan-pay window is up: a code is scanned, the gateway charges `money` fen once and the
    // trade result comes up; its receipt is printed.
    void chargeAndPrint(const QString& money, const QString& printed)
    {
        const int charged = requests("Pay.Ace.scanpay").size();
        const QSet<QString> before = pdfsIn(m_pdfDir);
        QVERIFY(scan());
        QTRY_COMPARE_WITH_TIMEOUT(requests("Pay.Ace.scanpay").size(), charged + 1, kWaitMs);
        QCOMPARE(lastField("Pay.Ace.scanpay", "money"), money);
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTradeResult), kWaitMs);
        const QString receipt = newPrints(m_pdfDir, before, 1);
        QVERIFY2(receipt.contains(printed), qPrintable(receipt));
        QVERIFY(pressIn(kTradeResult, "Escape"));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kTradeResult), kWaitMs);
        QCOMPARE(requests("Pay.Ace.scanpay").size(), charged + 1);
    }

    // Logs in with the remembered account and takes the first shop.
    void logIn()
    {
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kLogin), kWaitMs);
        QTest::qWait(kSettleMs);
        QVERIFY(pressIn(kLogin, "Return"));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kSelectShop), kWaitMs);
        QTest::qWait(kSettleMs);
        QVERIFY(pressIn(kSelectShop, "KP_Enter"));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kMain), kWaitMs);
        QTest::qWait(kSettleMs);
    }

    void stopProgram()
    {
        run(QStringLiteral("wineserver"), {"-k"});
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kMain) && !isVisible(kLogin), kWaitMs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("CASHIER_SETUP")).isFile(), "CASHIER_SETUP names no installer");
        QVERIFY2(QFileInfo(qEnvironmentVariable("WINEPREFIX") + "/system.reg").isFile(), "WINEPREFIX is no prefix");
        QVERIFY2(QFileInfo(m_pdfDir).isDir(), "CASHIER_PDF_DIR: scripts/start-printer");
        // The installed program finds everything it loads in its own folder, or nothing.
        qunsetenv("WINEPATH");
        QVERIFY(startWindowManager(m_windowManager));
        QVERIFY(makeLoopbackCertificate(m_certs.filePath("ca.pem"), m_certs.filePath("key.pem")));
        m_gateway = std::make_unique<DemoGateway>(
            QStringList{"--cert", m_certs.filePath("ca.pem"), "--key", m_certs.filePath("key.pem")});
        QVERIFY2(m_gateway->start(), qPrintable(m_gateway->error()));
        // The shift starts now: the demo's history of the day belongs to an earlier, handed-over one.
        gatewayconnections::setAuthoritiesFile(m_certs.filePath("ca.pem"));
        const GatewayCall login = callGateway(m_gateway->url(), gateway::loginBody("demo", "demo123"));
        const QString token = gateway::jsonText(login.content().value("token"));
        QVERIFY2(!token.isEmpty(), login.body.constData());
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QVERIFY(callGateway(m_gateway->url(),
                            gateway::logPrintBody(token, QString::number(now - 24 * 3600), QString::number(now)))
                    .success);
        QVERIFY(m_till.isValid());
        QVERIFY(lendChineseFonts(m_certs.filePath("fonts.reg")));
        m_ready = true;
    }

    void init()
    {
        if (!m_ready)
            QSKIP("the flow before this one did not finish");
        m_ready = false;
    }

    void cleanup() { saveScreenIfFailed("tst_installer_wine"); }

    void cleanupTestCase()
    {
        run(QStringLiteral("wineserver"), {"-k"});
        m_windowManager.kill();
        m_windowManager.waitForFinished(5000);
    }

    void installsSilentlyForTheWholeMachine()
    {
        QVERIFY(!wine({qEnvironmentVariable("CASHIER_SETUP"), "/S"}).isNull());
        QVERIFY(waitForWine());
        const QDir installed(unixPath(kInstallFolder));
        for (const char* file : {"cashier.exe", "uninstall.exe", "Qt5Core.dll", "Qt5SerialPort.dll", "libssl-3-x64.dll",
                                 "platforms/qwindows.dll", "printsupport/windowsprintersupport.dll"})
            QVERIFY2(installed.exists(file), file);
        QVERIFY(QFileInfo(unixPath(kStartMenuShortcut)).isFile());
        QVERIFY(QFileInfo(unixPath("C:\\users\\Public\\Desktop\\" + kShortcutName)).isFile());
        QCOMPARE(registryValue(kUninstallKey, "DisplayVersion"), product::version());

        // What a technician leaves in the per-user data folder before the first start: the
        // gateway, its certificate authority, the remembered login, the receipt printer and
        // autostart on; refunds switched on in app.config. The till is on COM9.
        m_dataFolder =
            unixPath(QString::fromUtf8(wine({"cmd", "/c", "echo", "%LOCALAPPDATA%"})).trimmed() + "\\LanchuanPay");
        QVERIFY(QDir().mkpath(m_dataFolder));
        QByteArray ini = "[data_config]\r\ngateway_url=" + m_gateway->url().toUtf8() + "\r\n";
        ini += "user=demo\r\npwd=demo123\r\nremPwdstatus=true\r\ncheck=1\r\ncheck_updata=1\r\nprint_poll_seconds=0\r\n";
        ini += "printerName=CashierPDF\r\n";
        AppConfigRecord record;
        record.refundEnabled = true;
        QVERIFY(writeFileBytes(m_dataFolder + "/data.ini", ini));
        QVERIFY(writeFileBytes(m_dataFolder + "/app.config", record.toBytes()));
        QVERIFY(QFile::copy(m_certs.filePath("ca.pem"), m_dataFolder + "/gateway-ca.pem"));
        QVERIFY(!wine({"reg", "add", "HKLM\\Software\\Wine\\Ports", "/v", "COM9", "/d", m_till.devicePath(), "/f"})
                     .isNull());
        QVERIFY(waitForWine());
        m_ready = true;
    }

    void startsFromItsShortcutAndLogsInOverHttps()
    {
        QVERIFY(!wine({"start", kStartMenuShortcut}).isNull());
        logIn();
        QVERIFY(m_gateway->url().startsWith("https://"));
        QVERIFY(!requests("Account.Shop.listShop").isEmpty());
        // It runs in the data folder: the autostart value names the installed program.
        QCOMPARE(registryValue(kRunKey, "auto"), kExecutable);
        QVERIFY(!QFileInfo::exists(unixPath(kInstallFolder + "\\data.ini")));
        m_ready = true;
    }

    void keypadSaleIsChargedAndPrinted()
    {
        QVERIFY(activate(kMain));
        QVERIFY(typeSlowly("23.45"));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);
        QTest::qWait(kSettleMs);
        chargeAndPrint("2345", "23.45");
        m_ready = true;
    }

    void tillAmountOnComPortIsCalledUpWithAltZ()
    {
        // The till writes its frame in two pieces, as a real line may deliver it.
        QVERIFY(m_till.write("\x1bQA12"));
        QTest::qWait(100);
        QVERIFY(m_till.write(".50\r"));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "alt+z"}));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kScanPay), kWaitMs);
        QTest::qWait(kSettleMs);
        chargeAndPrint("1250", "12.50");
        m_ready = true;
    }

    void queryThenRefundOneCent()
    {
        const int listings = requests("Account.Pay.listPay").size();
        QVERIFY(pressIn(kMain, "F2"));
        QTest::qWait(kSettleMs);
        QVERIFY(xdotool({"key", "KP_Enter"}));
        QTRY_VERIFY_WITH_TIMEOUT(requests("Account.Pay.listPay").size() > listings, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kBusy), kWaitMs);
        QTest::qWait(kSettleMs);

        // Row 0, the newest payment (12.50): its refund button, one cent, the refund password, Return.
        const int refunds = rows("refunds").size();
        QVERIFY(clickIn(kMain, 674, 310));
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kRefundTitle), kWaitMs);
        QTest::qWait(kSettleMs);
        QVERIFY(typeSlowly("0.01"));
        QVERIFY(clickIn(kRefundTitle, 186, 255));
        QTest::qWait(kSettleMs);
        QVERIFY(typeSlowly("123456"));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_COMPARE_WITH_TIMEOUT(rows("refunds").size(), refunds + 1, kWaitMs);
        QCOMPARE(rows("refunds").last().toObject().value("amount").toVariant().toLongLong(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(kTip), kWaitMs);
        QVERIFY(pressIn(kTip, "Return"));
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kRefundTitle), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!isVisible(kBusy), kWaitMs);
        m_ready = true;
    }

    void shiftSummaryIsPrinted()
    {
        // The summary carries the main window's title: it is told apart by being the second one.
        QVERIFY(clickIn(kMain, 730, 188));
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(kMain).size(), 2, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!requests("Account.Pay.listSum").isEmpty(), kWaitMs);
        QTest::qWait(kSettleMs);
        const QString summary = visibleWindows(kMain).last();
        const QSet<QString> before = pdfsIn(m_pdfDir);
        QVERIFY(xdotool({"mousemove", "--window", summary, "75", "325"}) && xdotool({"click", "1"}));
        const QString printed = newPrints(m_pdfDir, before, 1);
        // Both WeChat sales of the shift, and the cent refunded.
        QVERIFY2(printed.contains(QStringLiteral("微信金额：￥35.95元")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("微信退款：￥0.01元")), qPrintable(printed));
        // Then the question whether the shift ends the program: it has no default, so Alt+Y, the
        // shortcut of 是(&Y), ends it.
        QTRY_VERIFY_WITH_TIMEOUT(isVisible(QStringLiteral("退出程序")), kWaitMs);
        QVERIFY(activate(QStringLiteral("退出程序")));
        QVERIFY(xdotool({"key", "alt+y"}));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(kMain).isEmpty(), kWaitMs);
        m_ready = true;
    }

    void startedAsAtLogonItKeepsItsSettings()
    {
        stopProgram();
        // The Run key starts the program at logon in the Windows folder, not in its data folder.
        QVERIFY(!wine({"start", "/d", "C:\\windows\\system32", kExecutable}).isNull());
        logIn();
        QVERIFY(!QFileInfo::exists(unixPath("C:\\windows\\system32\\data.ini")));
        QVERIFY(!QFileInfo::exists(unixPath("C:\\windows\\system32\\app.config")));
        stopProgram();
        m_ready = true;
    }

    void uninstallsAndLeavesTheShopsData()
    {
        QVERIFY(!wine({kInstallFolder + "\\uninstall.exe", "/S"}).isNull());
        QVERIFY(waitForWine());
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(unixPath(kInstallFolder)), kWaitMs);
        QVERIFY(!QFileInfo::exists(unixPath(kStartMenuShortcut)));
        QVERIFY(!QFileInfo::exists(unixPath("C:\\users\\Public\\Desktop\\" + kShortcutName)));
        QVERIFY(registryValue(kUninstallKey, "DisplayVersion").isNull());
        for (const char* file : {"data.ini", "app.config", "journal.json", "gateway-ca.pem"})
            QVERIFY2(QFileInfo::exists(m_dataFolder + "/" + file), file);
        // No logon start of a program that is gone.
        QVERIFY(registryValue(kRunKey, "auto").isEmpty());
    }
};

QTEST_MAIN(TestInstallerWine)
#include "tst_installer_wine.moc"
