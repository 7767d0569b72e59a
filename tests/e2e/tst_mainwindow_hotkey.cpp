// The main window under a real X server: the notice when another copy holds Alt+Z, the key calling
// the window up (and collecting an amount that came from the till), minimising to a real tray and
// coming back, and the keys the window hands to its tabs.

#include "app/FloatWidget.h"
#include "app/MainWindow.h"
#include "collect/FormCS.h"
#include "collect/FormSaoMaShouKuan.h"
#include "config/AppConfigRecord.h"
#include "widgets/MessageBox.h"

#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QtTest>

class TestMainWindowHotKey : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        MessageBox::setRecording(true);
        // No serial ports here: a link to nothing keeps the port boxes predictable.
        QDir().mkpath("ports");
        QVERIFY(QFile::link(m_dir->filePath("none"), "ports/COM9"));
        AppConfigRecord::instance() = AppConfigRecord();
    }
    void init() { MessageBox::takeShown(); }

    void anotherCopyHoldingTheKeyIsPointedOut()
    {
        QProcess otherCopy;
        otherCopy.setProgram(QStringLiteral(GLOBALHOTKEY_HOLDER));
        otherCopy.start();
        QVERIFY(otherCopy.waitForReadyRead(10000));
        QCOMPARE(otherCopy.readLine().trimmed(), QByteArray("Registered"));

        MainWindow window;
        QStringList texts;
        for (const MessageBox::Shown& box : MessageBox::takeShown())
            texts << box.title + "/" + box.text;
        QVERIFY2(texts.contains("提示信息/您好，您已经登录一个澜川岚客钱包PC端账户，请注意。"),
                 qPrintable(texts.join("; ")));
        // Both copies keep running.
        QCOMPARE(otherCopy.state(), QProcess::Running);
        otherCopy.closeWriteChannel();
        QVERIFY(otherCopy.waitForFinished(5000));
    }

    void altZCallsTheWindowUpAndCollects()
    {
        MainWindow window;
        for (const MessageBox::Shown& box : MessageBox::takeShown())
            QVERIFY2(!box.text.contains("已经登录"), "no other copy holds the key here");
        window.ReadData("6.60");
        QVERIFY(!window.isVisible());

        QCOMPARE(QProcess::execute("xdotool", {"key", "alt+z"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 5000);
        // The amount from the till goes straight to the scan-pay window.
        QTRY_VERIFY_WITH_TIMEOUT(window.collectionTab()->findChild<FormCS*>(), 5000);
        QCOMPARE(window.collectionTab()->findChild<FormCS*>()->moneyFen(), qint64(660));
    }

    void minimisedToTheTrayAndBack()
    {
        QProcess tray;
        tray.start("trayer", {"--edge", "bottom"});
        QVERIFY(tray.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 5000);

        MainWindow window;
        auto* floating = window.findChild<FloatWidget*>();
        QVERIFY(floating);
        window.showWindow();
        QTRY_VERIFY(window.isActiveWindow());
        QVERIFY(!floating->isVisible());

        // Escape is the minimise button's key: the window goes to the tray, says so in a balloon,
        // and the floating widget stands in for it.
        QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(floating->isVisible());
        QStringList balloon;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (QWidget* widget : QApplication::topLevelWidgets())
                    if (widget->inherits("QBalloonTip") && widget->isVisible())
                        for (QLabel* text : widget->findChildren<QLabel*>())
                            balloon << text->text();
                return !balloon.isEmpty();
            }(),
            5000);
        QVERIFY2(balloon.contains("最小化提示") && balloon.contains("程序已最小化到系统托盘"),
                 qPrintable(balloon.join(" | ")));

        // A click on the tray icon brings it back and the floating widget goes.
        window.onActivated(QSystemTrayIcon::Trigger);
        QVERIFY(window.isVisible());
        QVERIFY(!floating->isVisible());
        // The window manager's close hides it like the close button: the program goes on.
        QVERIFY(!window.close());
        QVERIFY(!window.isVisible());
        QVERIFY(floating->isVisible());
        // The floating widget's double-click shows the window and stays.
        QTest::mouseDClick(floating, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(floating->isVisible());
        tray.kill();
        tray.waitForFinished(3000);
    }

    void keysGoToTheTabs()
    {
        MainWindow window;
        window.showWindow();
        QTRY_VERIFY(window.isActiveWindow());
        const auto press = [&window](Qt::Key key) {
            QTest::keyClick(window.windowHandle(), key);
            QTest::qWait(120); // a cashier's pace; and F1-F3 click their buttons a moment later
        };
        press(Qt::Key_F2);
        QTRY_COMPARE(window.currentTabIndex(), int(MainWindow::QueryTab));
        press(Qt::Key_F3);
        QTRY_COMPARE(window.currentTabIndex(), int(MainWindow::MerchantTab));
        QVERIFY(window.findChild<QRadioButton*>("sjxx_btn")->isChecked());
        press(Qt::Key_F1);
        QTRY_COMPARE(window.currentTabIndex(), int(MainWindow::CollectionTab));

        // Digits, the point and Backspace typed anywhere in the window build the amount.
        for (Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_Period, Qt::Key_5, Qt::Key_0, Qt::Key_Backspace, Qt::Key_8})
            press(key);
        QCOMPARE(window.collectionTab()->amountText(), QString("12.58"));
        // Other keys are not amounts.
        press(Qt::Key_A);
        press(Qt::Key_Minus);
        QCOMPARE(window.collectionTab()->amountText(), QString("12.58"));
    }
};

CASHIER_WIDGET_TEST_MAIN(TestMainWindowHotKey)
#include "tst_mainwindow_hotkey.moc"
