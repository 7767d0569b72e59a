// The main window with its two serial ports on pseudo-terminals: a fake point-of-sale program
// writes on the software port, a fake customer display reads the display port.

#include "app/MainWindow.h"
#include "app/SerialPassThrough.h"
#include "collect/FormCS.h"
#include "collect/FormSaoMaShouKuan.h"
#include "config/AppConfigRecord.h"
#include "net/HttpFun.h"
#include "query/FormJiaoYiCX.h"
#include "widgets/MessageBox.h"
#include "widgets/ModalLoop.h"

#include "PseudoTerminal.h"
#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

class TestMainWindowSerial : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;

    // COM9 = software port, COM2 = display port, linked to the given devices.
    void linkPorts(const QString& software, const QString& display)
    {
        QDir().mkpath("ports");
        QFile::remove("ports/COM9");
        QFile::remove("ports/COM2");
        if (!software.isEmpty())
            QVERIFY(QFile::link(software, "ports/COM9"));
        if (!display.isEmpty())
            QVERIFY(QFile::link(display, "ports/COM2"));
    }

    static void configure(bool displayEnabled)
    {
        AppConfigRecord& record = AppConfigRecord::instance();
        record = AppConfigRecord();
        record.softwareComNumber = 9;
        record.displayComNumber = 2;
        record.displayEnabled = displayEnabled;
        record.baudRate = 19200;
    }

    // Points data.ini at `server`: a gateway that takes every request and never answers; requests
    // give up after 1.5 s (cleanup() puts the timeout back).
    static bool useSilentGateway(QTcpServer& server)
    {
        HttpFun::setTimeoutForTesting(1500);
        return server.listen(QHostAddress::LocalHost) &&
               writeFileBytes("data.ini", "[data_config]\ngateway_url=http://127.0.0.1:" +
                                              QByteArray::number(server.serverPort()) + "/\n");
    }

    // The scan-pay windows open over the collection tab.
    static QList<FormCS*> scanPayWindows(MainWindow& window)
    {
        QList<FormCS*> open;
        if (FormSaoMaShouKuan* tab = window.collectionTab())
            for (FormCS* scanPay : tab->findChildren<FormCS*>())
                if (scanPay->isVisible())
                    open.append(scanPay);
        return open;
    }

    static QStringList shownTexts()
    {
        QStringList texts;
        for (const MessageBox::Shown& box : MessageBox::takeShown())
            texts << box.title + "/" + box.text;
        return texts;
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        MessageBox::setRecording(true);
    }
    void init() { MessageBox::takeShown(); }
    void cleanup() { HttpFun::setTimeoutForTesting(0); }

    void bytesPassThroughUnchangedAndTheAmountIsKept()
    {
        PseudoTerminal pos, display;
        QVERIFY(pos.isValid() && display.isValid());
        linkPorts(pos.devicePath(), display.devicePath());
        configure(true);
        MainWindow window;
        QCOMPARE(shownTexts(), QStringList());
        QVERIFY(window.serial()->softwareOpen());
        QVERIFY(window.serial()->displayOpen());

        // Every byte value, as a display protocol might use them, then a price line.
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QByteArray priceLine = "\x1bQA12.50\r";
        QVERIFY(pos.write(all));
        QCOMPARE(display.read(3000, all.size()), all);
        QVERIFY(pos.write(priceLine));
        QCOMPARE(display.read(3000, priceLine.size()), priceLine);
        QTRY_COMPARE_WITH_TIMEOUT(window.collectionTab()->amountText(), QString("12.50"), 3000);
    }

    // A 9600-baud line delivers a frame in several reads: the amount is the whole frame's, and the
    // display has each piece as soon as it is read. The next piece is written only once the display
    // has the last one, so each is a read of its own.
    void aFrameInPiecesIsReadWhole()
    {
        PseudoTerminal pos, display;
        linkPorts(pos.devicePath(), display.devicePath());
        configure(true);
        MainWindow window;
        const QList<QByteArrayList> splits{{"\x1bQA1", "2.50\r"}, {"\x1bQ", "A12.", "50\r"}};
        for (const QByteArrayList& pieces : splits) {
            QSignalSpy amounts(window.serial(), &SerialPassThrough::amountReceived);
            for (const QByteArray& piece : pieces) {
                QVERIFY(pos.write(piece));
                QCOMPARE(display.read(3000, piece.size()), piece);
            }
            QTRY_COMPARE_WITH_TIMEOUT(amounts.size(), 1, 3000);
            QCOMPARE(amounts.at(0).at(0).toString(), QString("12.50"));
            QCOMPARE(window.collectionTab()->amountText(), QString("12.50"));
        }
    }

    void withoutDisplayNothingIsForwarded()
    {
        PseudoTerminal pos, display;
        linkPorts(pos.devicePath(), display.devicePath());
        configure(false);
        MainWindow window;
        QSignalSpy amounts(window.serial(), &SerialPassThrough::amountReceived);
        QVERIFY(!window.serial()->displayOpen());
        QVERIFY(pos.write("\x1bQA8.80\r"));
        QTRY_COMPARE_WITH_TIMEOUT(amounts.size(), 1, 3000);
        QCOMPARE(amounts.at(0).at(0).toString(), QString("8.80"));
        QCOMPARE(display.read(500), QByteArray());
        QCOMPARE(shownTexts(), QStringList());
    }

    void missingPortsAreReportedAndTheWindowStillWorks()
    {
        linkPorts(m_dir->filePath("no-such-device-9"), m_dir->filePath("no-such-device-2"));
        configure(true);
        MainWindow window;
        QCOMPARE(shownTexts(),
                 (QStringList{"提示信息/软件串口不可用，请重新设置串口", "提示信息/客显串口不可用，请重新设置串口"}));
        QVERIFY(!window.serial()->softwareOpen());
        // Still usable: tabs switch.
        window.findChild<QRadioButton*>("jycx_btn")->click();
        QCOMPARE(window.currentTabIndex(), int(MainWindow::QueryTab));
    }

    void hungUpDeviceIsClosedNotSpun()
    {
        auto pos = std::make_unique<PseudoTerminal>();
        PseudoTerminal display;
        linkPorts(pos->devicePath(), display.devicePath());
        configure(true);
        MainWindow window;
        QVERIFY(window.serial()->softwareOpen());
        pos->hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!window.serial()->softwareOpen(), 5000);
        QCOMPARE(shownTexts(), QStringList{"提示信息/软件串口不可用，请重新设置串口"});
        // Nothing keeps firing once it is closed.
        QSignalSpy amounts(window.serial(), &SerialPassThrough::amountReceived);
        QTest::qWait(300);
        QCOMPARE(amounts.size(), 0);
        // Reopening after the settings are saved brings it back.
        PseudoTerminal replacement;
        linkPorts(replacement.devicePath(), display.devicePath());
        window.openPorts();
        QVERIFY(window.serial()->softwareOpen());
        QVERIFY(replacement.write("\x1bQA3.00\r"));
        QCOMPARE(display.read(3000, 8), QByteArray("\x1bQA3.00\r"));
    }

    void amountArrivingOnAnotherTabBringsBackCollection()
    {
        PseudoTerminal pos, display;
        linkPorts(pos.devicePath(), display.devicePath());
        configure(false);
        MainWindow window;
        window.findChild<QRadioButton*>("jycx_btn")->click();
        QCOMPARE(window.currentTabIndex(), int(MainWindow::QueryTab));
        QVERIFY(pos.write("\x02"
                          "99.00\r"));
        QTRY_COMPARE_WITH_TIMEOUT(window.currentTabIndex(), int(MainWindow::CollectionTab), 3000);
        QVERIFY(window.findChild<QRadioButton*>("smsk_btn")->isChecked());
        QCOMPARE(window.collectionTab()->amountText(), QString("99.00"));
    }

    void anAmountWaitsUntilTheTabIsOutOfItsModalLoop()
    {
        PseudoTerminal pos, display;
        linkPorts(pos.devicePath(), display.devicePath());
        configure(false);
        MainWindow window;
        window.findChild<QRadioButton*>("jycx_btn")->click();
        QPointer<QWidget> queryTab = window.currentTab();
        QSignalSpy amounts(window.serial(), &SerialPassThrough::amountReceived);

        // The tab opens a dialog of its own (a row dialog, the busy box); the till sends an amount
        // meanwhile. The tab must outlive its loop; the amount is put in right after.
        int tabDuringLoop = -1;
        bool aliveAfterLoop = false;
        QTimer::singleShot(0, queryTab, [&] {
            QDialog rowDialog(queryTab);
            QTimer watch;
            connect(&watch, &QTimer::timeout, &rowDialog, [&] {
                if (amounts.isEmpty())
                    return;
                QTest::qWait(100); // the tab switch would happen here, inside the loop
                tabDuringLoop = window.currentTabIndex();
                rowDialog.reject();
            });
            watch.start(10);
            QVERIFY(pos.write("\x1bQA8.80\r"));
            modal::exec(rowDialog);
            aliveAfterLoop = !queryTab.isNull();
        });
        QTRY_COMPARE_WITH_TIMEOUT(window.currentTabIndex(), int(MainWindow::CollectionTab), 5000);
        QCOMPARE(tabDuringLoop, int(MainWindow::QueryTab));
        QVERIFY(aliveAfterLoop);
        QCOMPARE(window.collectionTab()->amountText(), QString("8.80"));
        QTRY_VERIFY(queryTab.isNull());
    }

    void anAmountWaitsForTheQueryTabsBusyDialog()
    {
        // The query's busy dialog stays up until the client gives up on the silent gateway.
        QTcpServer silentGateway;
        QVERIFY(useSilentGateway(silentGateway));
        PseudoTerminal pos, display;
        linkPorts(pos.devicePath(), display.devicePath());
        configure(false);
        MainWindow window;
        window.findChild<QRadioButton*>("jycx_btn")->click();
        QPointer<FormJiaoYiCX> queryTab = qobject_cast<FormJiaoYiCX*>(window.currentTab());
        QVERIFY(queryTab);

        int tabWhileBusy = -1;
        QTimer::singleShot(300, [&] {
            QVERIFY(pos.write("\x1bQA6.60\r"));
            QTimer::singleShot(500, [&] { tabWhileBusy = window.currentTabIndex(); });
        });
        // Returns once the query has failed: the busy dialog ran all along.
        queryTab->findChild<QPushButton*>("query_btn")->click();
        QVERIFY(queryTab);
        QCOMPARE(tabWhileBusy, int(MainWindow::QueryTab));
        QCOMPARE(shownTexts(), QStringList{"错误提示/数据查询失败，请检查网络设置"});
        QTRY_COMPARE_WITH_TIMEOUT(window.currentTabIndex(), int(MainWindow::CollectionTab), 3000);
        QCOMPARE(window.collectionTab()->amountText(), QString("6.60"));
        QTRY_VERIFY(queryTab.isNull());
    }

    // F2 and the keypad's Enter in one breath: the Enter is the query's, not the keypad tab's that
    // is on its way out (both carry the keypad's Enter).
    void enterRightAfterASwitchGoesToTheNewTab()
    {
        QTcpServer silentGateway;
        QVERIFY(useSilentGateway(silentGateway));
        linkPorts(QString(), QString());
        configure(false);
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        shownTexts();
        window.switchToTab(MainWindow::QueryTab);
        QTest::keyClick(window.windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_VERIFY_WITH_TIMEOUT(silentGateway.hasPendingConnections(), 5000);
        QVERIFY(!shownTexts().contains("提示信息/请输入收款金额"));
    }

    void oneScanPayWindowAndTheNewestAmount()
    {
        // A payment stays on its way until the client gives up on the silent gateway: long enough
        // for the steps below on a busy machine.
        QTcpServer silentGateway;
        QVERIFY(useSilentGateway(silentGateway));
        HttpFun::setTimeoutForTesting(4000);
        PseudoTerminal pos, display;
        linkPorts(pos.devicePath(), display.devicePath());
        configure(false);
        MainWindow window;
        FormSaoMaShouKuan* tab = window.collectionTab();

        QVERIFY(pos.write("\x1bQA5.00\r"));
        QTRY_COMPARE_WITH_TIMEOUT(tab->amountText(), QString("5.00"), 3000);
        window.showWindow();
        QCOMPARE(scanPayWindows(window).size(), 1);
        QCOMPARE(scanPayWindows(window).at(0)->moneyFen(), qint64(500));

        // A new amount while the window waits for a code: nothing was sent, so it goes, and the
        // next call-up collects the new amount in one window.
        QVERIFY(pos.write("\x1bQA6.00\r"));
        QTRY_COMPARE_WITH_TIMEOUT(tab->amountText(), QString("6.00"), 3000);
        QTRY_COMPARE(scanPayWindows(window).size(), 0);
        window.showWindow();
        window.showWindow();
        QCOMPARE(scanPayWindows(window).size(), 1);
        FormCS* paying = scanPayWindows(window).at(0);
        QCOMPARE(paying->moneyFen(), qint64(600));

        // A code is scanned; while the gateway has it, the window and its amount stay, and a new
        // amount from the till waits.
        QTest::keyClicks(paying, "134567890123456789");
        QTest::keyClick(paying, Qt::Key_Return);
        QVERIFY(paying->requestInFlight());
        QVERIFY(pos.write("\x1bQA7.00\r"));
        QTest::qWait(300);
        QCOMPARE(tab->amountText(), QString("6.00"));
        window.showWindow();
        QCOMPARE(scanPayWindows(window), QList<FormCS*>{paying});
        // 退出 now would lose the payment's outcome: the cashier is asked to wait, the program goes on.
        QEventLoop running;
        QTimer::singleShot(0, &window, &MainWindow::closeWindow);
        QTimer::singleShot(300, &running, [&running] { running.exit(1); });
        QCOMPARE(running.exec(), 1);
        QCOMPARE(shownTexts(), QStringList{"提示信息/正在收款，请等待收款结果后再退出"});

        // No answer: the cashier is told; then the waiting amount takes the window's place.
        QTRY_COMPARE_WITH_TIMEOUT(tab->amountText(), QString("7.00"), 8000);
        QCOMPARE(shownTexts(), QStringList{"温馨提示/客户尚未输入密码或网络异常！请查看本机网络或者重新收款！"});
        QTRY_COMPARE(scanPayWindows(window).size(), 0);
        window.showWindow();
        QCOMPARE(scanPayWindows(window).size(), 1);
        QCOMPARE(scanPayWindows(window).at(0)->moneyFen(), qint64(700));
    }
};

CASHIER_WIDGET_TEST_MAIN(TestMainWindowSerial)
#include "tst_mainwindow_serial.moc"
