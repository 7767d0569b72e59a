// The main window and Alt+Z under a real X server: the notice when another copy holds the key,
// and the key calling the window up (and collecting an amount that came from the till).

#include "app/MainWindow.h"
#include "collect/FormCS.h"
#include "collect/FormSaoMaShouKuan.h"
#include "config/AppConfigRecord.h"
#include "widgets/MessageBox.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
};

QTEST_MAIN(TestMainWindowHotKey)
#include "tst_mainwindow_hotkey.moc"
