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

#include "CashierDriver.h"
#include "DemoGateway.h"
#include "PdfWatch.h"
#include "Samples.h"
#include "WindowTitles.h"
#include "XSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace {

using namespace windowtitle;
using namespace bench;

const QString kBareWindow = QStringLiteral("bench window");
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
        if (!m_driver.prepare())
            return fail("no till pseudo-terminal or working folder"), false;
        m_driver.program = cashierPath;
        return startUp() && saleFigures() && salesWithoutReceipts() && shift();
    }

    ~Bench() { CashierDriver::stop(m_saleWindow); }

private:
    XSession m_x;
    DemoGateway m_gateway;
    CashierDriver m_driver{m_x, m_gateway};
    QProcess m_saleWindow;
    double m_bareSaleMs = 0;

    double startOnce(const QString& program, const QStringList& arguments, const QString& title, QSize* size = nullptr)
    {
        QProcess process;
        XSession::WindowId window = 0;
        const double ms = m_driver.launch(process, program, arguments, title, &window);
        if (window && size)
            *size = m_x.size(window);
        CashierDriver::stop(process);
        if (window)
            m_x.waitUnmapped(window, kWaitMs);
        return ms;
    }

    bool startUp()
    {
        if (!m_driver.writeIni(printer))
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

    bool saleFigures()
    {
        PdfWatch pdfs(pdfDir);
        if (!pdfs.isValid())
            return fail("cannot watch the printer's folder"), false;
        if (!m_driver.logIn(printer))
            return false;
        XSession::WindowId till = 0;
        if (m_driver.launch(m_saleWindow, saleWindowPath, {QString::number(m_gateway.port())},
                            QStringLiteral("bench till"), &till) < 0)
            return fail("the baseline sale window did not appear"), false;
        const QString pid = QStringLiteral("-%1-").arg(m_driver.cashier().processId());
        const int ordersBefore = m_driver.paidOrders();
        std::vector<double> toResult, toPdf, bareResult, lpPdf;
        // One more than measured: the first sale loads the result window's images and the printer.
        for (int i = 0; i <= sales; ++i) {
            qint64 returnAt = 0, mappedAt = 0;
            const XSession::WindowId result = m_driver.sale(&returnAt, &mappedAt);
            if (!result)
                return fail("a sale did not reach its trade result"), false;
            const qint64 printedAt = pdfs.wait(
                [&pid](const QString& name) { return name.startsWith("cashier-receipt-") && name.contains(pid); },
                kWaitMs * 2, m_x);
            if (!printedAt)
                return fail("no receipt PDF from the printer"), false;
            if (!m_driver.closeResult(result))
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
        CashierDriver::stop(m_saleWindow);
        if (m_driver.paidOrders() != ordersBefore + sales + 1)
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
        if (!m_driver.logIn(QStringLiteral("不打印小票")))
            return false;
        std::vector<double> toResult;
        for (int i = 0; i <= sales; ++i) {
            qint64 returnAt = 0, mappedAt = 0;
            const XSession::WindowId result = m_driver.sale(&returnAt, &mappedAt);
            if (!result || !m_driver.closeResult(result))
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
        if (!m_driver.logIn(shiftPrinter))
            return false;
        const int ordersBefore = m_driver.paidOrders();
        const qint64 pid = m_driver.cashier().processId();
        // Resident memory, and the part of it that is heap and other private memory rather than
        // pages of mapped files (libraries, fonts).
        std::vector<qint64> resident{statusKiB(pid, "VmRSS")}, anonymous{statusKiB(pid, "RssAnon")};
        std::vector<double> toResult;
        int salesDone = 0;
        const qint64 started = XSession::now();
        for (int action = 1; action <= shiftActions; ++action) {
            if (action % 2 == 1) {
                qint64 returnAt = 0, mappedAt = 0;
                const XSession::WindowId result = m_driver.sale(&returnAt, &mappedAt);
                if (!result || !m_driver.closeResult(result))
                    return fail(QStringLiteral("sale at action %1 of the shift").arg(action)), false;
                toResult.push_back(msBetween(returnAt, mappedAt));
                ++salesDone;
            } else if (!m_driver.query()) {
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
        if (m_driver.paidOrders() != ordersBefore + salesDone)
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
