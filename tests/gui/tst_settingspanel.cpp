// The settings panel as the program wires it: every opener lands on its page, each selection builds
// its page afresh, and the serial-port page borrows the main window's ports on pseudo-terminals and
// always gives them back.

#include "app/FloatWidget.h"
#include "app/MainWindow.h"
#include "app/SerialPassThrough.h"
#include "app/Shell.h"
#include "app/TrayMenu.h"
#include "config/AppConfigRecord.h"
#include "net/SessionData.h"
#include "query/FormJiaoYiCX.h"
#include "settings/FormShangJiaXinXi.h"
#include "settings/SetComDia.h"
#include "settings/SettingMain.h"
#include "widgets/MessageBox.h"

#include "PseudoTerminal.h"
#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

class TestSettingsPanel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    PseudoTerminal m_pos;
    PseudoTerminal m_display;

    static QStringList shownTexts()
    {
        QStringList texts;
        for (const MessageBox::Shown& box : MessageBox::takeShown())
            texts << box.text;
        return texts;
    }

    static qint32 recordField(int offset)
    {
        return qFromLittleEndian<qint32>(readFileBytes("app.config").constData() + offset);
    }

    static QStringList settingEntries(QMenu& menu)
    {
        QStringList texts;
        for (QAction* action : menu.actions())
            if (!action->isSeparator())
                texts << action->text();
        return texts.mid(0, 7);
    }

    static void triggerAll(QMenu& menu)
    {
        for (const QString& text : settingEntries(menu))
            for (QAction* action : menu.actions())
                if (action->text() == text)
                    action->trigger();
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        MessageBox::setRecording(true);
        // Nothing answers here: the print-order poll and the query tab fail quietly or with a box.
        QVERIFY(writeFileBytes("data.ini", "[data_config]\ngateway_url=http://127.0.0.1:9/\n"));
        QVERIFY(m_pos.isValid() && m_display.isValid());
        QDir().mkpath("ports");
        QVERIFY(QFile::link(m_pos.devicePath(), "ports/COM9"));
        QVERIFY(QFile::link(m_display.devicePath(), "ports/COM2"));
        QVERIFY(QFile::link(QDir::current().filePath("no-such-device"), "ports/COM5"));

        AppConfigRecord& record = AppConfigRecord::instance();
        record = AppConfigRecord();
        record.softwareComNumber = 9;
        record.displayComNumber = 2;
        record.displayEnabled = true;
        record.baudRate = 9600;

        SessionData& session = SessionData::instance();
        session.setUserInfo(QJsonObject{{"token", "T"}, {"uname", "demo"}, {"rname", "张三"}, {"company", "岚客"}});
        session.setCurrentShop(QJsonObject{{"shopid", 1}, {"main_name", "总店"}});
        QVERIFY(shell::mainWindow()->serial()->softwareOpen());
        shownTexts();
    }

    void cleanupTestCase()
    {
        shell::setSettingsOpener(nullptr);
        shell::destroyMainWindow();
    }

    void everyOpenerLandsOnItsPage()
    {
        QList<SettingsPage> asked;
        shell::setSettingsOpener([&asked](SettingsPage page) { asked << page; });
        MainWindow* window = shell::mainWindow();
        const QList<SettingsPage> allSeven = {
            SettingsPage::CustomerDisplay,
            SettingsPage::General,
            SettingsPage::LoginPassword,
            SettingsPage::RefundPasswordChange,
            SettingsPage::RefundPasswordForgotten,
            SettingsPage::Collection,
            SettingsPage::Refund,
        };

        // The main window's tray menu and its floating widget's menu: the seven entries in order.
        auto* trayMenu = window->findChild<TrayMenu*>();
        QVERIFY(trayMenu);
        triggerAll(*trayMenu);
        QCOMPARE(asked, allSeven);
        asked.clear();
        auto* floating = window->findChild<FloatWidget*>();
        floating->show();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), floating->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(floating, &event);
        auto* floatingMenu = floating->findChild<TrayMenu*>();
        QVERIFY(floatingMenu && floatingMenu != trayMenu);
        triggerAll(*floatingMenu);
        QCOMPARE(asked, allSeven);
        asked.clear();

        // The settings button: the general page.
        window->findChild<QPushButton*>("set_btn")->click();
        QCOMPARE(asked, QList<SettingsPage>{SettingsPage::General});
        asked.clear();

        // The merchant tab: who is on duty, and its two password buttons.
        window->switchToTab(MainWindow::MerchantTab);
        auto* merchant = qobject_cast<FormShangJiaXinXi*>(window->currentTab());
        QVERIFY(merchant);
        QCOMPARE(merchant->findChild<QLabel*>("sy_label")->text(), QString("张三"));
        QCOMPARE(merchant->findChild<QLabel*>("sh_label")->text(), QString("demo"));
        QCOMPARE(merchant->findChild<QLabel*>("gs_label")->text(), QString("岚客"));
        QCOMPARE(merchant->findChild<QLabel*>("md_label")->text(), QString("总店  "));
        merchant->findChild<QPushButton*>("btnPwd")->click();
        merchant->findChild<QPushButton*>("btnRefundPwd")->click();
        QCOMPARE(asked, (QList<SettingsPage>{SettingsPage::LoginPassword, SettingsPage::RefundPasswordChange}));
        asked.clear();

        // The refund dialog's pages reach the panel through the query tab.
        window->switchToTab(MainWindow::QueryTab);
        auto* query = qobject_cast<FormJiaoYiCX*>(window->currentTab());
        QVERIFY(query);
        emit query->settingsPageRequested(SettingsPage::RefundPasswordForgotten);
        QCOMPARE(asked, QList<SettingsPage>{SettingsPage::RefundPasswordForgotten});
        window->switchToTab(MainWindow::CollectionTab);
        shownTexts();
    }

    void panelBuildsEachPageAfresh()
    {
        SettingMain panel;
        panel.setSerialPortAccess(shell::serialPorts());
        const QStringList classes = {"SetComDia",          "SetDataDialog", "ModifyPwdDialog", "ModifyRedundPwdDialog",
                                     "SetRefundPwdDialog", "SetShouKuan",   "setReundForm"};
        for (int page = 1; page <= 7; ++page) {
            QPointer<QWidget> before = panel.currentPage();
            panel.doSet(page);
            QVERIFY(before.isNull()); // the page left behind is gone
            QCOMPARE(panel.currentPage()->metaObject()->className(), classes.at(page - 1).toLatin1());
            QCOMPARE(panel.currentPage()->parentWidget(), panel.findChild<QFrame*>("frame"));
            for (int b = 1; b <= 7; ++b) {
                const QString style = panel.findChild<QPushButton*>(QString("btn%1").arg(b))->styleSheet();
                QVERIFY2(style.contains(b == page ? "btn_nom.jpg);color:black;" : "btn_nor.jpg);color:white;"),
                         qPrintable(style));
            }
        }
        // Choosing the page shown again starts it over.
        QPointer<QWidget> collection = panel.currentPage();
        panel.findChild<QPushButton*>("btn7")->click();
        QVERIFY(collection.isNull());

        // Opened modally on the page asked for; the close button hides it and the call returns.
        bool wasModal = false;
        QString shownPage;
        QTimer::singleShot(0, &panel, [&] {
            wasModal = panel.isVisible() && panel.isModal() && QApplication::activeModalWidget() == &panel;
            shownPage = panel.currentPage()->metaObject()->className();
            panel.findChild<QPushButton*>("close_btn")->click();
        });
        panel.execPage(SettingsPage::RefundPasswordChange);
        QVERIFY(wasModal);
        QCOMPARE(shownPage, QString("ModifyRedundPwdDialog"));
        QVERIFY(!panel.isVisible());
        QCOMPARE(panel.windowTitle(), QString("澜川智付"));
        // A plain window with exactly these two hints: no title bar, system menu or tool-window look.
        QCOMPARE(panel.windowFlags(), Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        shownTexts();
    }

    void serialPageBorrowsTriesSavesAndGivesBack()
    {
        SerialPassThrough* ports = shell::mainWindow()->serial();
        SettingMain panel;
        panel.setSerialPortAccess(shell::serialPorts());
        panel.doSet(1);
        auto* page = qobject_cast<SetComDia*>(panel.currentPage());
        QVERIFY(page);
        QVERIFY(!ports->softwareOpen() && !ports->displayOpen()); // lent to the page
        auto* software = page->findChild<QComboBox*>("softwarePort");
        auto* display = page->findChild<QComboBox*>("displayPort");
        auto* baud = page->findChild<QComboBox*>("baudRate");
        QCOMPARE(software->currentText(), QString("COM9"));
        QCOMPARE(display->currentText(), QString("COM2"));
        QCOMPARE(baud->currentText(), QString("9600"));
        QCOMPARE(software->count(), 9);
        QCOMPARE(baud->count(), 5);

        auto* test = page->findChild<QPushButton*>("btn1");
        auto* save = page->findChild<QPushButton*>("btn2");
        test->click();
        QCOMPARE(shownTexts(), (QStringList{"软件串口可用", "客显串口可用"}));

        // A port held by someone else, and a display port that does not exist.
        {
            QSerialPort holder(m_pos.devicePath());
            QVERIFY(holder.open(QIODevice::ReadOnly));
            test->click();
            QCOMPARE(shownTexts().first(), QString("软件串口不可用"));
            save->click();
            QCOMPARE(shownTexts(), QStringList{"软件串口不可用"}); // nothing saved
            QVERIFY(!QFile::exists("app.config"));
        }
        display->setCurrentText("COM5");
        test->click();
        QCOMPARE(shownTexts(), (QStringList{"软件串口可用", "客显串口不可用"}));
        // Trying does not change the settings in force.
        QCOMPARE(AppConfigRecord::instance().displayComNumber, 2);

        // Saved with the failing display: the till port is saved, the main window takes its ports
        // back at once and says what it cannot open.
        baud->setCurrentText("4800");
        save->click();
        QCOMPARE(shownTexts(), (QStringList{"客显串口不可用", "客显串口不可用，请重新设置串口", "设置成功"}));
        QCOMPARE(readFileBytes("app.config").size(), AppConfigRecord::kSize);
        QCOMPARE(recordField(0), 4800);
        QCOMPARE(recordField(4), 9);
        QCOMPARE(recordField(8), 5);
        QCOMPARE(readFileBytes("app.config").at(12), char(1));
        QVERIFY(ports->softwareOpen());

        // Display off, back to COM2: saved without trying the display.
        page->findChild<QCheckBox*>("chbKX")->setChecked(false);
        display->setCurrentText("COM2");
        save->click();
        QCOMPARE(shownTexts(), QStringList{"设置成功"});
        QCOMPARE(readFileBytes("app.config").at(12), char(0));
        QVERIFY(ports->softwareOpen() && !ports->displayOpen());

        // Left unsaved, for another page or by closing the panel: the till port comes back.
        panel.doSet(1);
        QVERIFY(!ports->softwareOpen());
        panel.doSet(6);
        QTRY_VERIFY(ports->softwareOpen());
        panel.doSet(1);
        QVERIFY(!ports->softwareOpen());
        panel.show();
        panel.hide();
        QTRY_VERIFY(ports->softwareOpen());
        // ...and a page borrowing them again meanwhile keeps them.
        panel.doSet(1);
        panel.doSet(1);
        QTest::qWait(100);
        QVERIFY(!ports->softwareOpen());
        panel.doSet(2);
        QTRY_VERIFY(ports->softwareOpen());
        QCOMPARE(shownTexts(), QStringList());
    }

    // Inside the panel's own loop: what the main window cannot open is said once, in front of the
    // cashier.
    void aPortThatWillNotOpenIsToldOnceOverThePanel()
    {
        SerialPassThrough* ports = shell::mainWindow()->serial();
        AppConfigRecord& record = AppConfigRecord::instance();
        record.softwareComNumber = 5; // no device there
        record.displayEnabled = false;
        SettingMain panel;
        panel.setSerialPortAccess(shell::serialPorts());

        // Away from the serial page and back, then closed: one reopen once the panel is gone.
        QTimer::singleShot(0, &panel, [&panel] {
            panel.doSet(6);
            panel.doSet(1);
            panel.findChild<QPushButton*>("close_btn")->click();
        });
        panel.execPage(SettingsPage::CustomerDisplay);
        QTest::qWait(300);
        QCOMPARE(shownTexts(), QStringList{"软件串口不可用，请重新设置串口"});

        // Saved with a display that does not answer: reopened at once, the box over the page.
        QList<MessageBox::Shown> shown;
        QTimer::singleShot(0, &panel, [&panel, &shown] {
            auto* page = qobject_cast<SetComDia*>(panel.currentPage());
            page->findChild<QComboBox*>("softwarePort")->setCurrentText("COM9");
            page->findChild<QComboBox*>("displayPort")->setCurrentText("COM5");
            page->findChild<QCheckBox*>("chbKX")->setChecked(true);
            page->findChild<QPushButton*>("btn2")->click();
            shown = MessageBox::takeShown();
            panel.findChild<QPushButton*>("close_btn")->click();
        });
        panel.execPage(SettingsPage::CustomerDisplay);
        QTest::qWait(300);
        QCOMPARE(shownTexts(), QStringList());
        QStringList texts;
        for (const MessageBox::Shown& box : shown) {
            texts << box.text;
            QVERIFY2(box.parent && box.parent->window() == &panel, qPrintable(box.text));
        }
        QCOMPARE(texts, (QStringList{"客显串口不可用", "客显串口不可用，请重新设置串口", "设置成功"}));
        QVERIFY(ports->softwareOpen());
        record.displayComNumber = 2;
        record.displayEnabled = true;
        ports->closeAll();
        shell::mainWindow()->openPorts();
    }
};

CASHIER_WIDGET_TEST_MAIN(TestSettingsPanel)
#include "tst_settingspanel.moc"
