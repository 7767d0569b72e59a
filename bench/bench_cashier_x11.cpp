// The real program on the benchmark's X server (with a window manager), timed from outside as a
// cashier sees it, each figure beside a baseline measured in the same run:
//
//   start-up   launch → login window mapped, against bench_window (a bare window of the same size)
//   sale       scanner Return → trade result mapped, against bench_sale_window (a raw single-write
//              POST of the same payment, then a bare window of the trade result's size), with
//              receipts printed and without; and Return → receipt PDF written by the test printer,
//              against lp spooling the same receipt laid out by bench_receipt
//   shift      sales and queries in turn; resident memory every 50 actions
//
// Keys go through XTEST (see XSession), till amounts through a pseudo-terminal on COM9, payments to
// the demo gateway. Prints "result NAME MEASURED BASELINE..." lines for scripts/bench.
//
//   bench_cashier_x11 --cashier PATH --window PATH --sale-window PATH --printer NAME
//                     --shift-printer NAME --pdf-dir DIR --receipt-pdf FILE
//                     [--startups N] [--sales N] [--shift N]

#include "DemoGateway.h"
#include "PdfWatch.h"
#include "PseudoTerminal.h"
#include "Samples.h"
#include "TestSupport.h"
#include "WindowTitles.h"
#include "XSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>

#include <cstdio>

namespace {

using namespace windowtitle;

const QString kBareWindow = QStringLiteral("bench window");
// The payment codes scanned into the program: WeChat's, never ending in 0000.
const QString kCodePrefix = QStringLiteral("13");

constexpr int kWaitMs = 15000;

double msBetween(qint64 fromNs, qint64 toNs)
{
    return double(toNs - fromNs) / 1e6;
}

// Says what went wrong, with a picture of the screen at that moment.
void fail(const QString& what)
{
    const QString shot = QDir::temp().filePath(QStringLiteral("bench_cashier_x11-failure.png"));
    const bool saved = QProcess::execute(QStringLiteral("import"), {"-window", "root", shot}) == 0;
    std::printf("failed: %s%s\n", qPrintable(what), saved ? qPrintable(" (screen: " + shot + ")") : "");
    std::fflush(stdout);
}

// A figure of /proc/<pid>/status in KiB ("VmRSS", "RssAnon", "RssFile"); -1 when missing.
qint64 statusKiB(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QString series(const std::vector<qint64>& values)
{
    QStringList texts;
    for (qint64 value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(' '));
}

class Bench
{
public:
    QString cashierPath, windowPath, saleWindowPath, printer, shiftPrinter, pdfDir, receiptPdf;
    int startups = 7, sales = 10, shiftActions = 600;

    bool run()
    {
        if (!m_x.open())
            return fail("no X server with XTEST on $DISPLAY"), false;
        if (!m_gateway.start())
            return fail(m_gateway.error()), false;
        if (!m_till.isValid() || !m_work.isValid() || !m_config.isValid() || !QDir(m_work.path()).mkdir("ports") ||
            !QFile::link(m_till.devicePath(), m_work.filePath("ports/COM9")))
            return fail("no till pseudo-terminal or working folder"), false;
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        return startUp() && saleFigures() && salesWithoutReceipts() && shift();
    }

    ~Bench()
    {
        stop(m_cashier);
        stop(m_saleWindow);
    }

private:
    XSession m_x;
    DemoGateway m_gateway;
    PseudoTerminal m_till;
    QTemporaryDir m_work;
    QTemporaryDir m_config;
    QProcessEnvironment m_env;
    QProcess m_cashier;
    QProcess m_saleWindow;
    int m_codes = 0;
    double m_bareSaleMs = 0;

    static void stop(QProcess& process)
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    bool writeIni(const QString& printerName)
    {
        // The demo login remembered, no version check, no print-order polling.
        QByteArray ini = "[data_config]\ngateway_url=" + m_gateway.url().toUtf8() + "\n";
        ini += "user=demo\npwd=demo123\nremPwdstatus=true\ncheck_updata=1\nprint_poll_seconds=0\n";
        ini += "printerName=" + QTextCodec::codecForName("GB2312")->fromUnicode(printerName) + "\n";
        return writeFileBytes(m_work.filePath("data.ini"), ini);
    }

    // Starts `program` and waits for its window `title`; the time from the start to the map, in ms,
    // or a negative number when it did not come.
    double launch(QProcess& process, const QString& program, const QStringList& arguments, const QString& title,
                  XSession::WindowId* window = nullptr)
    {
        process.setProcessEnvironment(m_env);
        process.setWorkingDirectory(m_work.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        const qint64 start = XSession::now();
        process.start(program, arguments);
        qint64 mappedAt = 0;
        const XSession::WindowId id = m_x.waitMapped(title, start, kWaitMs, &mappedAt);
        if (window)
            *window = id;
        return id ? msBetween(start, mappedAt) : -1;
    }

    double startOnce(const QString& program, const QStringList& arguments, const QString& title, QSize* size = nullptr)
    {
        QProcess process;
        XSession::WindowId window = 0;
        const double ms = launch(process, program, arguments, title, &window);
        if (window && size)
            *size = m_x.size(window);
        stop(process);
        if (window)
            m_x.waitUnmapped(window, kWaitMs);
        return ms;
    }

    bool startUp()
    {
        if (!writeIni(printer))
            return fail("cannot write data.ini"), false;
        QSize size;
        // Once each unmeasured: the first start reads everything from disk.
        if (startOnce(cashierPath, {}, kLogin, &size) < 0 || !size.isValid())
            return fail("the login window did not appear"), false;
        const QStringList bare{QString::number(size.width()), QString::number(size.height()), kBareWindow};
        // The same bare window without the OpenGL stack, as the cashier asks for its windows: what
        // the program's own start-up work costs.
        const QStringList bareRaster = bare + QStringList{QStringLiteral("raster")};
        if (startOnce(windowPath, bare, kBareWindow) < 0 || startOnce(windowPath, bareRaster, kBareWindow) < 0)
            return fail("the bare window did not appear"), false;

        // Each round starts the three in another order, so that none always follows another.
        std::vector<double> samples[3];
        for (int i = 0; i < startups; ++i) {
            for (int k = 0; k < 3; ++k) {
                const int which = (i + k) % 3;
                const double ms = which == 0   ? startOnce(cashierPath, {}, kLogin)
                                  : which == 1 ? startOnce(windowPath, bare, kBareWindow)
                                               : startOnce(windowPath, bareRaster, kBareWindow);
                if (ms < 0)
                    return fail("a window did not appear at start-up"), false;
                samples[which].push_back(ms);
            }
        }
        const std::vector<double>& cashier = samples[0];
        const std::vector<double>& window = samples[1];
        const std::vector<double>& rasterWindow = samples[2];
        std::printf("start-up to the first window, %d runs each, %dx%d: cashier median %.1f ms (p90 %.1f), bare Qt "
                    "window median %.1f ms (p90 %.1f), bare raster-only window median %.1f ms (p90 %.1f)\n",
                    startups, size.width(), size.height(), median(cashier), percentile(cashier, 0.9), median(window),
                    percentile(window, 0.9), median(rasterWindow), percentile(rasterWindow, 0.9));
        std::printf("result startup %.3f %.3f\n", median(cashier), median(window));
        std::printf("result startup_raster %.3f %.3f\n", median(cashier), median(rasterWindow));
        std::fflush(stdout);
        return true;
    }

    // Starts the program with `printerName` in data.ini and logs in with the remembered account
    // into the first shop.
    bool logIn(const QString& printerName)
    {
        stop(m_cashier);
        if (!writeIni(printerName))
            return fail("cannot write data.ini"), false;
        XSession::WindowId login = 0;
        if (launch(m_cashier, cashierPath, {}, kLogin, &login) < 0 || !m_x.activate(login))
            return fail("no login window to log in at"), false;
        qint64 since = XSession::now();
        m_x.tap("Return");
        const XSession::WindowId shops = m_x.waitMapped(kSelectShop, since, kWaitMs);
        if (!shops || !waitForRequest(QStringLiteral("Account.Shop.listShop")) || !m_x.activate(shops))
            return fail("no shop selection after logging in"), false;
        // The list is filled once the reply is in.
        m_x.wait(200);
        since = XSession::now();
        m_x.tap("KP_Enter");
        if (!m_x.waitMapped(kMain, since, kWaitMs))
            return fail("no main window after choosing the shop"), false;
        return true;
    }

    // One sale: the amount from the till, Alt+Z, a scanned code and Return. Returns the moment of
    // Return and the trade result window (0 when the sale did not complete).
    XSession::WindowId sale(qint64* returnAt, qint64* mappedAt)
    {
        const int n = ++m_codes;
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
        m_x.wait(30);
        // A new code each time: the gateway takes each once.
        m_x.type(kCodePrefix + QStringLiteral("%1").arg(n, 15, 10, QLatin1Char('0')) + QLatin1Char('1'));
        *returnAt = XSession::now();
        m_x.tap("Return");
        return m_x.waitMapped(kTradeResult, *returnAt, kWaitMs, mappedAt);
    }

    bool closeResult(XSession::WindowId result)
    {
        return m_x.activate(result) && m_x.tap("Escape") && m_x.waitUnmapped(result, kWaitMs);
    }

    // F2 and the keypad's Enter in the main window: today's payments, as the query tab lists them.
    bool query()
    {
        const XSession::WindowId main = m_x.mapped(kMain);
        if (!main || !m_x.activate(main))
            return fail("the main window did not take the focus for a query"), false;
        // The request log is emptied so that this query is the only one in it.
        m_gateway.adminPost(QStringLiteral("reset"));
        m_x.tap("F2");
        // At a person's pace: the collection tab's keys stay live until it is deleted, at the
        // program's next turn of its event loop.
        m_x.wait(150);
        m_x.tap("KP_Enter");
        if (!waitForRequest(QStringLiteral("Account.Pay.listPay")))
            return fail("F2 and the keypad's Enter asked the gateway for nothing"), false;
        // The busy box goes once the page is shown.
        m_x.wait(20);
        const XSession::WindowId busy = m_x.mapped(kBusy);
        if (busy && !m_x.waitUnmapped(busy, kWaitMs))
            return fail("the busy box stayed after the query"), false;
        return true;
    }

    // Waits until the gateway's request log holds `action`.
    bool waitForRequest(const QString& action)
    {
        const qint64 deadline = XSession::now() + qint64(kWaitMs) * 1000000;
        while (QJsonDocument::fromJson(m_gateway.adminGet(QStringLiteral("requests?action=") + action))
                   .array()
                   .isEmpty()) {
            if (XSession::now() > deadline)
                return false;
            m_x.wait(20);
        }
        return true;
    }

    // Orders paid with the codes the program was given (the baseline sale pays with codes of its own).
    int paidOrders()
    {
        int paid = 0;
        for (const QJsonValue& row :
             QJsonDocument::fromJson(m_gateway.adminGet(QStringLiteral("rows?table=orders"))).array())
            paid += row.toObject().value(QStringLiteral("auth_code")).toString().startsWith(kCodePrefix) ? 1 : 0;
        return paid;
    }

    bool saleFigures()
    {
        PdfWatch pdfs(pdfDir);
        if (!pdfs.isValid())
            return fail("cannot watch the printer's folder"), false;
        if (!logIn(printer))
            return false;
        XSession::WindowId till = 0;
        if (launch(m_saleWindow, saleWindowPath, {QString::number(m_gateway.port())}, QStringLiteral("bench till"),
                   &till) < 0)
            return fail("the baseline sale window did not appear"), false;
        const QString pid = QStringLiteral("-%1-").arg(m_cashier.processId());
        const int ordersBefore = paidOrders();
        std::vector<double> toResult, toPdf, bareResult, lpPdf;
        // One more than measured: the first sale loads the result window's images and the printer.
        for (int i = 0; i <= sales; ++i) {
            qint64 returnAt = 0, mappedAt = 0;
            const XSession::WindowId result = sale(&returnAt, &mappedAt);
            if (!result)
                return fail("a sale did not reach its trade result"), false;
            const qint64 printedAt = pdfs.wait(
                [&pid](const QString& name) { return name.startsWith("cashier-receipt-") && name.contains(pid); },
                kWaitMs * 2, m_x);
            if (!printedAt)
                return fail("no receipt PDF from the printer"), false;
            if (!closeResult(result))
                return fail("the trade result did not close"), false;

            // The baselines, in between: a bare sale, and the spooler alone with the same receipt.
            if (!m_x.activate(till))
                return fail("the baseline sale window did not take the focus"), false;
            const qint64 bareAt = XSession::now();
            m_x.tap("Return");
            qint64 bareMappedAt = 0;
            if (!m_x.waitMapped(QStringLiteral("bench result"), bareAt, kWaitMs, &bareMappedAt))
                return fail("the baseline sale got no result"), false;
            const QString title = QStringLiteral("bench-spool-%1-%2").arg(QCoreApplication::applicationPid()).arg(i);
            QProcess lp;
            const qint64 lpAt = XSession::now();
            lp.start(QStringLiteral("lp"), {"-d", printer, "-t", title, receiptPdf});
            const qint64 lpPrintedAt =
                pdfs.wait([&title](const QString& name) { return name.startsWith(title); }, kWaitMs * 2, m_x);
            lp.waitForFinished(kWaitMs);
            if (!lpPrintedAt)
                return fail("no PDF from lp"), false;
            if (i == 0)
                continue;
            toResult.push_back(msBetween(returnAt, mappedAt));
            toPdf.push_back(msBetween(returnAt, printedAt));
            bareResult.push_back(msBetween(bareAt, bareMappedAt));
            lpPdf.push_back(msBetween(lpAt, lpPrintedAt));
        }
        stop(m_saleWindow);
        if (paidOrders() != ordersBefore + sales + 1)
            return fail("the gateway does not hold one order per sale"), false;
        std::printf("sale, %d measured: Return → trade result median %.1f ms (p90 %.1f), bare sale median %.1f ms "
                    "(p90 %.1f); Return → receipt PDF median %.0f ms (p90 %.0f), lp → PDF median %.0f ms (p90 %.0f)\n",
                    sales, median(toResult), percentile(toResult, 0.9), median(bareResult), percentile(bareResult, 0.9),
                    median(toPdf), percentile(toPdf, 0.9), median(lpPdf), percentile(lpPdf, 0.9));
        m_bareSaleMs = median(bareResult);
        std::printf("result sale_window %.3f %.3f\n", median(toResult), m_bareSaleMs);
        std::printf("result sale_pdf %.3f %.3f\n", median(toPdf), median(lpPdf));
        std::fflush(stdout);
        return true;
    }

    // The same sales with receipts switched off ("不打印小票"): what printing adds before the trade
    // result is on screen.
    bool salesWithoutReceipts()
    {
        if (!logIn(QStringLiteral("不打印小票")))
            return false;
        std::vector<double> toResult;
        for (int i = 0; i <= sales; ++i) {
            qint64 returnAt = 0, mappedAt = 0;
            const XSession::WindowId result = sale(&returnAt, &mappedAt);
            if (!result || !closeResult(result))
                return fail("a sale without a receipt did not complete"), false;
            if (i > 0)
                toResult.push_back(msBetween(returnAt, mappedAt));
        }
        std::printf("sale without receipts, %d measured: Return → trade result median %.1f ms (p90 %.1f)\n", sales,
                    median(toResult), percentile(toResult, 0.9));
        std::printf("result sale_window_no_receipt %.3f %.3f\n", median(toResult), m_bareSaleMs);
        std::fflush(stdout);
        return true;
    }

    bool shift()
    {
        if (shiftActions <= 0)
            return true;
        // Receipts go to a queue that keeps them: the program does all its printing work, and the
        // machine is spared converting hundreds of PDFs.
        if (!logIn(shiftPrinter))
            return false;
        const int ordersBefore = paidOrders();
        const qint64 pid = m_cashier.processId();
        // Resident memory, and the part of it that is heap and other private memory rather than
        // pages of mapped files (libraries, fonts).
        std::vector<qint64> resident{statusKiB(pid, "VmRSS")}, anonymous{statusKiB(pid, "RssAnon")};
        std::vector<double> toResult;
        int salesDone = 0;
        const qint64 started = XSession::now();
        for (int action = 1; action <= shiftActions; ++action) {
            if (action % 2 == 1) {
                qint64 returnAt = 0, mappedAt = 0;
                const XSession::WindowId result = sale(&returnAt, &mappedAt);
                if (!result || !closeResult(result))
                    return fail(QStringLiteral("sale at action %1 of the shift").arg(action)), false;
                toResult.push_back(msBetween(returnAt, mappedAt));
                ++salesDone;
            } else if (!query()) {
                return std::printf("(at action %d of the shift)\n", action), false;
            }
            if (action % 50 == 0) {
                resident.push_back(statusKiB(pid, "VmRSS"));
                anonymous.push_back(statusKiB(pid, "RssAnon"));
                // The kept receipts go: CUPS takes no new job from anyone once 500 are waiting.
                QProcess::execute(QStringLiteral("cancel"), {"-a", shiftPrinter});
            }
        }
        const double seconds = msBetween(started, XSession::now()) / 1000;
        if (paidOrders() != ordersBefore + salesDone)
            return fail("the gateway does not hold one order per sale of the shift"), false;
        std::printf("shift: %d sales and %d queries in %.0f s (sale Return → trade result median %.1f ms); KiB at 0, "
                    "50, 100... actions: VmRSS %s; RssAnon %s\n",
                    salesDone, shiftActions - salesDone, seconds, median(toResult), qPrintable(series(resident)),
                    qPrintable(series(anonymous)));
        if (resident.size() >= 3) {
            // From the sample after the first 50 actions to the last.
            std::printf("result shift_rss %lld %lld %lld\n", resident.back() - resident[1], resident[1],
                        resident.back());
        }
        std::fflush(stdout);
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QStringList required{"cashier",       "window",  "sale-window", "printer",
                               "shift-printer", "pdf-dir", "receipt-pdf"};
    for (const QString& name : required)
        parser.addOption({name, name, "value"});
    parser.addOption({"startups", "start-ups of each side", "n", "7"});
    parser.addOption({"sales", "measured sales", "n", "10"});
    parser.addOption({"shift", "actions of the shift (sales and queries in turn)", "n", "600"});
    parser.process(app);
    for (const QString& name : required) {
        if (!parser.isSet(name)) {
            std::fprintf(stderr, "bench_cashier_x11: --%s is needed\n", qPrintable(name));
            return 2;
        }
    }
    Bench bench;
    bench.cashierPath = parser.value("cashier");
    bench.windowPath = parser.value("window");
    bench.saleWindowPath = parser.value("sale-window");
    bench.printer = parser.value("printer");
    bench.shiftPrinter = parser.value("shift-printer");
    bench.pdfDir = parser.value("pdf-dir");
    bench.receiptPdf = parser.value("receipt-pdf");
    bench.startups = qMax(1, parser.value("startups").toInt());
    bench.sales = qMax(1, parser.value("sales").toInt());
    bench.shiftActions = parser.value("shift").toInt();
    return bench.run() ? 0 : 1;
}
