#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The one way a receipt reaches paper. Tests switch on recording to see every document handed
// over, with or without it going on to the printer.
class Printer
{
public:
    // The printer named in data.ini, as the screens see it before a receipt is made.
    enum class State {
        NotWanted, // no name, or "不打印小票": the shop wants no receipts
        Missing,   // a name that is not installed (renamed, removed)
        Ready,
    };
    static State state();
    // The box that tells the cashier a receipt cannot be printed because the printer is missing.
    static void tellNoPrinter(QWidget* parent);

    // The gate before a receipt the cashier asked for: true when the printer is there. Otherwise the
    // cashier is told (over `parent`) — always for a printer that is not installed, and for "no
    // receipts wanted" unless `notWanted` is Silent — and nothing is to be printed.
    enum class NotWanted {
        Silent,
        Tell,
    };
    static bool readyFor(QWidget* parent, NotWanted notWanted);

    // The printers installed on this computer, in the system's order; receipts can go to any of them.
    static QStringList installedPrinterNames();

    // Lays `html` out on a page the size of the paper of the printer named in data.ini and prints
    // it there. Callers check state() first; a printer that is not installed gets nothing and the
    // miss is logged; an offline printer or a spooler error is the operating system's to show.
    static void printHtml(const QString& html);

    // --- for tests ---
    struct Job
    {
        QString html;
        QString printerName; // as read from data.ini
        QString docName;     // the spooler's job title; cups-pdf names its file after it
        bool sentToPrinter = false;
    };
    enum class Recording {
        Off,
        InsteadOfPrinting,
        AndPrinting,
    };
    static void setRecording(Recording recording);
    // The documents handed over since the last call, oldest first.
    static QList<Job> takeJobs();
};
