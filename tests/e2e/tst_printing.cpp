// Receipts printed for real: through CUPS to the CashierPDF queue, whose cups-pdf backend writes
// each job as a PDF named after the job. The PDF's text layer is unusable, so each page is rendered
// to pixels and judged by them.

#include "app/FloatWidget.h"
#include "widgets/Printer.h"
#include "print/ReceiptDocuments.h"

#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kQueue = QStringLiteral("CashierPDF");

// Where cups-pdf writes this user's PDFs: from scripts/test, or else as the queue is set up on this
// machine (device cups-pdf:/NAME reads /etc/cups/cups-pdf-NAME.conf, cups-pdf:/ the system's
// cups-pdf.conf; without an Out there, cups-pdf's own default).
QString pdfDir()
{
    const QString dir = qEnvironmentVariable("CASHIER_PDF_DIR");
    if (!dir.isEmpty())
        return dir;
    QProcess lpstat;
    lpstat.start("lpstat", {"-v", kQueue});
    lpstat.waitForFinished(5000);
    const QString device = QString::fromUtf8(lpstat.readAllStandardOutput()).section(": ", 1).trimmed();
    const QString instance = device.section(":/", 1);
    QString out = "/var/spool/cups-pdf/${USER}";
    const QString conf = instance.isEmpty() ? "cups-pdf.conf" : "cups-pdf-" + instance + ".conf";
    for (const QString& line : QString::fromUtf8(readFileBytes("/etc/cups/" + conf)).split('\n')) {
        if (line.startsWith("Out "))
            out = line.mid(4).trimmed();
    }
    const passwd* user = getpwuid(geteuid());
    return out.replace("${USER}", user ? QString::fromLocal8Bit(user->pw_name) : QString())
        .replace("${HOME}", QDir::homePath());
}

// The finished PDF of a job: the file is written in pieces, so wait for its end marker.
QString waitForPdf(const QString& dir, const QString& docName, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        for (const QFileInfo& file : QDir(dir).entryInfoList({docName + "*.pdf"}, QDir::Files)) {
            if (readFileBytes(file.filePath()).trimmed().endsWith("%%EOF"))
                return file.filePath();
        }
        QTest::qWait(200);
    }
    return QString();
}

// Where the print is on a page: what a reader sees as ink, and the box around it.
struct Ink
{
    int dark = 0;
    int rows = 0; // rows with any ink
    QRect box;
};

Ink inkOf(const QImage& image)
{
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        int inRow = 0;
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 160) {
                ++inRow;
                ink.box |= QRect(x, y, 1, 1);
            }
        }
        ink.rows += inRow > 0;
        ink.dark += inRow;
    }
    return ink;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private:
    ScopedWorkingDir m_dir;
    QString m_pdfDir;

    // Prints `html` through the seam and returns the first page of the PDF, rendered at `dpi`.
    QImage printAndRender(const std::function<void()>& print, int dpi, QString* pngPath = nullptr)
    {
        Printer::setRecording(Printer::Recording::AndPrinting);
        print();
        const QList<Printer::Job> jobs = Printer::takeJobs();
        Printer::setRecording(Printer::Recording::Off);
        if (jobs.size() != 1 || !jobs.first().sentToPrinter)
            return QImage();

        const QString pdf = waitForPdf(m_pdfDir, jobs.first().docName);
        if (pdf.isEmpty())
            return QImage();
        const QString prefix = m_dir.filePath(jobs.first().docName);
        QProcess render;
        render.start("pdftoppm", {"-q", "-r", QString::number(dpi), "-png", "-f", "1", "-l", "1", pdf, prefix});
        const bool rendered = render.waitForFinished(30000) && render.exitCode() == 0;
        QFile::remove(pdf); // a run of the suite leaves nothing behind in the spool folder
        if (!rendered)
            return QImage();
        const QFileInfoList pages =
            QDir(m_dir.path()).entryInfoList({jobs.first().docName + "*.png"}, QDir::Files, QDir::Name);
        if (pages.isEmpty())
            return QImage();
        if (pngPath)
            *pngPath = pages.first().filePath();
        return QImage(pages.first().filePath());
    }

    void requirePrinter()
    {
        // Run outside scripts/test on a machine without the queue: nothing to print to. Under
        // scripts/test the queue is always set up, and its absence is a failure.
        if (QPrinterInfo::printerInfo(kQueue).isNull()) {
            if (qEnvironmentVariableIsSet("CASHIER_PDF_DIR"))
                QFAIL("the CashierPDF queue is missing although scripts/start-printer ran");
            QSKIP("no CashierPDF queue; run scripts/start-printer or scripts/test");
        }
        QVERIFY2(QFileInfo(m_pdfDir).isDir(), qPrintable("no PDF folder " + m_pdfDir));
    }

    static void checkLooksLikeAReceipt(const QImage& page)
    {
        QVERIFY(!page.isNull());
        // A4 or Letter at 50 dpi.
        QVERIFY2(page.width() >= 380 && page.width() <= 450 && page.height() >= 520 && page.height() <= 620,
                 qPrintable(QString("%1 x %2").arg(page.width()).arg(page.height())));
        const Ink ink = inkOf(page);
        const QString found = QString("%1 dark pixels in %2 rows, box %3,%4 %5 x %6")
                                  .arg(ink.dark)
                                  .arg(ink.rows)
                                  .arg(ink.box.x())
                                  .arg(ink.box.y())
                                  .arg(ink.box.width())
                                  .arg(ink.box.height());
        // Lines of text and rules, legible at this resolution...
        QVERIFY2(ink.dark > 1000 && ink.rows > 60, qPrintable(found));
        // ...in a column the width of receipt paper (about 50 mm, 100 pixels) from the top left,
        // reaching down a good part of the page: neither a speck in the corner nor a painted page.
        QVERIFY2(ink.box.top() < page.height() / 10 && ink.box.left() < page.width() / 10, qPrintable(found));
        QVERIFY2(ink.box.width() > 80 && ink.box.width() < 200, qPrintable(found));
        QVERIFY2(ink.box.height() > page.height() / 5, qPrintable(found));
        QVERIFY2(ink.dark < ink.box.width() * ink.box.height() / 3, qPrintable(found));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_pdfDir = pdfDir();
        QVERIFY(writeFileBytes("data.ini", "[data_config]\nprinterName=" + kQueue.toUtf8() + "\n"));
    }

    void paymentReceiptReachesPaper()
    {
        requirePrinter();
        // A shop name with markup prints as written.
        const receipt::Payment payment{
            "青禾茶餐厅西湖文化广场店 <A&B>", "张晓梅", "2024-06-01 12:00:00", "SO202406010001", "微信", 123456,
            "4200000001202406011234"};
        QString png;
        const QImage page =
            printAndRender([&] { Printer::printHtml(receipt::paymentReceipt(payment, "400-800-1234")); }, 50, &png);
        checkLooksLikeAReceipt(page);
        qInfo("rendered: %s", qPrintable(png));
    }

    void printOrderReachesPaper()
    {
        requirePrinter();
        QWidget owner;
        auto* widget = new FloatWidget(&owner);
        const QJsonObject order{
            {"sname", "青禾茶餐厅滨江龙湖天街店"}, {"uname", "李建国"},    {"created_time", "2024-06-01 12:30:00"},
            {"order_num", "P20240601002"},         {"pay_type", "支付宝"}, {"pay_money", "88.00"},
            {"pay_num", "2024060122001"}};
        checkLooksLikeAReceipt(printAndRender([&] { widget->doPrint(order); }, 50));
    }

    void missingPrinterIsLogged()
    {
        // Nothing to print to: the receipt is dropped with a line in the log, and nothing else happens.
        QVERIFY(writeFileBytes("data.ini", "[data_config]\nprinterName=No Such Printer 4711\n"));
        Printer::setRecording(Printer::Recording::AndPrinting);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no printer named \"No Such Printer 4711\""));
        Printer::printHtml(receipt::paymentReceipt(receipt::Payment(), "400"));
        const QList<Printer::Job> jobs = Printer::takeJobs();
        Printer::setRecording(Printer::Recording::Off);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs.first().printerName, QStringLiteral("No Such Printer 4711"));
        QVERIFY(!jobs.first().sentToPrinter);
        QVERIFY(writeFileBytes("data.ini", "[data_config]\nprinterName=" + kQueue.toUtf8() + "\n"));
    }
};

CASHIER_WIDGET_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"
