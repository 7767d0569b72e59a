// What printing a payment receipt costs the cashier: Printer::printHtml, which lays the receipt out
// on the page of the printer named in data.ini and hands it to the spooler, against laying the same
// HTML out on the same page into a PDF in memory (everything but the printer).
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_receipt PRINTER [rounds] [--save-pdf FILE]
//
// --save-pdf keeps the in-memory PDF: bench_cashier_x11 spools it with lp as the spooler's own
// time to a PDF on disk.

#include "print/ReceiptDocuments.h"
#include "widgets/Printer.h"

#include "Samples.h"
#include "TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextDocument>

#include <cstdio>

namespace {
receipt::Payment samplePayment()
{
    receipt::Payment payment;
    payment.shopName = QStringLiteral("青禾茶餐厅 西湖文化广场店");
    payment.operatorName = QStringLiteral("张晓梅");
    payment.payTime = QStringLiteral("2026-12-08 09:30:12");
    payment.systemOrderNo = QStringLiteral("20261208093012000001");
    payment.payMethod = QStringLiteral("微信");
    payment.amountFen = 12850;
    payment.tradeOrderNo = QStringLiteral("4200001234202612080000001");
    return payment;
}

// The receipt laid out as Printer lays it out, on the same page at the same resolution, into a PDF
// in memory.
QByteArray layOutAlone(const QString& html, const QPrinter& printer)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    QTextDocument document;
    document.setPageSize(receipt::layoutPageSize(QSizeF(writer.widthMM(), writer.heightMM()), writer.logicalDpiX(),
                                                 writer.logicalDpiY()));
    document.setHtml(html);
    document.print(&writer);
    buffer.close();
    return buffer.data();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_receipt PRINTER [rounds] [--save-pdf FILE]\n");
        return 2;
    }
    const QString printerName = arguments.at(1);
    const int rounds =
        arguments.size() > 2 && !arguments.at(2).startsWith("--") ? qMax(1, arguments.at(2).toInt()) : 20;
    const int saveAt = arguments.indexOf(QStringLiteral("--save-pdf"));
    const QString savePdf = saveAt > 0 ? arguments.value(saveAt + 1) : QString();

    // data.ini names the printer, as at a till.
    ScopedWorkingDir work;
    if (!work.isValid() ||
        !writeFileBytes(work.filePath("data.ini"), "[data_config]\nprinterName=" + printerName.toUtf8() + "\n")) {
        std::fprintf(stderr, "bench_receipt: no working folder\n");
        return 1;
    }
    if (Printer::state() != Printer::State::Ready) {
        std::fprintf(stderr, "bench_receipt: printer %s is not installed (scripts/start-printer)\n",
                     qPrintable(printerName));
        return 1;
    }
    const QString html = receipt::paymentReceipt(samplePayment(), QStringLiteral("400-826-8899"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);

    Printer::setRecording(Printer::Recording::AndPrinting);
    // Warm up fonts, the spooler connection and the process.
    Printer::printHtml(html);
    QByteArray pdf = layOutAlone(html, printer);

    std::vector<double> spooled, alone;
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        Printer::printHtml(html);
        spooled.push_back(clock.nsecsElapsed() / 1e6);
        clock.start();
        pdf = layOutAlone(html, printer);
        alone.push_back(clock.nsecsElapsed() / 1e6);
    }
    int handedOver = 0;
    for (const Printer::Job& job : Printer::takeJobs())
        handedOver += job.sentToPrinter ? 1 : 0;

    if (!savePdf.isEmpty() && !writeFileBytes(savePdf, pdf)) {
        std::fprintf(stderr, "bench_receipt: cannot write %s\n", qPrintable(savePdf));
        return 1;
    }
    std::printf("payment receipt to %s, %d rounds: printHtml median %.2f ms (p90 %.2f), the same laid out into a "
                "PDF in memory median %.2f ms (p90 %.2f, %d bytes); %d of %d jobs handed to the spooler\n",
                qPrintable(printerName), rounds, median(spooled), percentile(spooled, 0.9), median(alone),
                percentile(alone, 0.9), int(pdf.size()), handedOver, rounds + 1);
    std::printf("result receipt %.3f %.3f\n", median(spooled), median(alone));
    return handedOver == rounds + 1 ? 0 : 1;
}
