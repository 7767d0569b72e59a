#include "widgets/Printer.h"

#include "config/DataConfig.h"
#include "print/PrintLog.h"
#include "print/ReceiptDocuments.h"
#include "widgets/MessageBox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

namespace {
Printer::Recording g_recording = Printer::Recording::Off;
QList<Printer::Job> g_jobs;

// Unique across runs and processes, and easy to find in a spooler queue or a PDF folder.
QString nextDocName()
{
    static int counter = 0;
    return QStringLiteral("cashier-receipt-%1-%2-%3")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz")))
        .arg(QCoreApplication::applicationPid())
        .arg(++counter, 4, 10, QLatin1Char('0'));
}

bool print(const QString& html, const QString& printerName, const QString& docName)
{
    // Without this check Qt would quietly fall back to a PDF file or the default printer.
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull()) {
        qCWarning(lcPrint) << "no printer named" << printerName << "- receipt" << docName << "not printed";
        return false;
    }

    // Made from the printer found above: a printer made for the default one and then renamed asks
    // the spooler for both, five requests more per receipt.
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(docName);
    // A receipt printer's narrow paper makes the lines wrap to its width.
    QTextDocument document;
    document.setPageSize(receipt::layoutPageSize(QSizeF(printer.widthMM(), printer.heightMM()), printer.logicalDpiX(),
                                                 printer.logicalDpiY()));
    printer.setOutputFormat(QPrinter::NativeFormat);
    document.setHtml(html);
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error)
        qCWarning(lcPrint) << "printer" << printerName << "refused receipt" << docName;
    else
        qCInfo(lcPrint) << "receipt" << docName << "sent to" << printerName;
    return true;
}
} // namespace

Printer::State Printer::state()
{
    const QString name = DataConfig::instance().getPrinterName();
    if (name.isEmpty() || name == receipt::noReceiptsPrinterName())
        return State::NotWanted;
    return QPrinterInfo::printerInfo(name).isNull() ? State::Missing : State::Ready;
}

void Printer::tellNoPrinter(QWidget* parent)
{
    MessageBox::warning(parent, QStringLiteral("提示信息"),
                        QStringLiteral("当前没有设置可用打印机,如需打印请先设置打印机"));
}

bool Printer::readyFor(QWidget* parent, NotWanted notWanted)
{
    switch (state()) {
    case State::Ready:
        return true;
    case State::NotWanted:
        if (notWanted == NotWanted::Silent)
            return false;
        break;
    case State::Missing:
        break;
    }
    tellNoPrinter(parent);
    return false;
}

QStringList Printer::installedPrinterNames()
{
    return QPrinterInfo::availablePrinterNames();
}

void Printer::printHtml(const QString& html)
{
    const QString printerName = DataConfig::instance().getPrinterName();
    const QString docName = nextDocName();
    const bool sent = g_recording == Recording::InsteadOfPrinting ? false : print(html, printerName, docName);
    if (g_recording != Recording::Off)
        g_jobs.append(Job{html, printerName, docName, sent});
}

void Printer::setRecording(Recording recording)
{
    g_recording = recording;
    g_jobs.clear();
}

QList<Printer::Job> Printer::takeJobs()
{
    QList<Job> jobs;
    jobs.swap(g_jobs);
    return jobs;
}
