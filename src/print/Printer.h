#pragma once

#include <QList>
#include <QString>

// The one way a receipt reaches paper. Tests switch on recording to see every document handed
// over, with or without it going on to the printer.
class Printer
{
public:
    // Lays `html` out on a page the size of the paper of the printer named in data.ini and prints
    // it there. Reports nothing to the cashier: a printer that is not installed (an empty name, or
    // "不打印小票") gets nothing and the miss is logged; an offline printer or a spooler error is the
    // operating system's to show.
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
