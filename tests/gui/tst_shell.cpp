// The small shared windows: tray menu, floating widget, about and busy dialogs, and the modal loop
// every dialog runs in.

#include "app/AboutDialog.h"
#include "app/FloatWidget.h"
#include "app/TrayMenu.h"
#include "widgets/LoadingDialog.h"
#include "widgets/ModalLoop.h"

#include "WidgetTestMain.h"

#include <QDialog>
#include <QLabel>
#include <QMovie>
#include <QSignalSpy>
#include <QtTest>

class TestShell : public QObject
{
    Q_OBJECT

private:
    static QAction* entry(QMenu& menu, const QString& text)
    {
        for (QAction* action : menu.actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }

private slots:
    void initTestCase() { qRegisterMetaType<SettingsPage>(); }

    void trayMenuEntriesInOrder()
    {
        TrayMenu menu;
        QStringList texts;
        for (QAction* action : menu.actions())
            texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
        QCOMPARE(texts, (QStringList{"客显设置", "其他设置", "密码设置", "退款密码修改", "设置忘记退款密码", "收款设置",
                                     "退款设置", "--", "显示主面板", "--", "官方网站", "关于我们", "--", "退出"}));
    }

    void settingEntriesMapToPages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("page");
        const QStringList pages = {"客显设置",         "其他设置", "密码设置", "退款密码修改",
                                   "设置忘记退款密码", "收款设置", "退款设置"};
        for (int i = 0; i < pages.size(); ++i)
            QTest::newRow(qPrintable(pages.at(i))) << pages.at(i) << i + 1;
    }
    void settingEntriesMapToPages()
    {
        QFETCH(QString, text);
        QFETCH(int, page);
        TrayMenu menu;
        QSignalSpy settings(&menu, &TrayMenu::doSetting);
        QSignalSpy show(&menu, &TrayMenu::showWindow);
        QSignalSpy quit(&menu, &TrayMenu::quitWindow);
        QAction* action = entry(menu, text);
        QVERIFY(action);
        action->trigger();
        QCOMPARE(settings.size(), 1);
        QCOMPARE(static_cast<int>(settings.at(0).at(0).value<SettingsPage>()), page);
        QCOMPARE(show.size() + quit.size(), 0);
    }

    void showAndQuitEntries()
    {
        TrayMenu menu;
        QSignalSpy settings(&menu, &TrayMenu::doSetting);
        QSignalSpy show(&menu, &TrayMenu::showWindow);
        QSignalSpy quit(&menu, &TrayMenu::quitWindow);
        entry(menu, "显示主面板")->trigger();
        QCOMPARE(show.size(), 1);
        entry(menu, "退出")->trigger();
        QCOMPARE(quit.size(), 1);
        QCOMPARE(settings.size(), 0);
    }

    void floatingWidgetShowsAndClosesItsOwner()
    {
        QWidget owner;
        auto* floating = new FloatWidget(&owner);
        QCOMPARE(floating->size(), QSize(81, 80));
        QVERIFY(floating->isWindow());
        QVERIFY(floating->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(floating->toolTip().endsWith("PC端V3.0.1"));

        QVERIFY(!owner.isVisible());
        QTest::mouseDClick(floating, Qt::LeftButton);
        QVERIFY(owner.isVisible());

        // "退出" is the owner's to carry out: it ends the program.
        QSignalSpy quit(floating, &FloatWidget::quitRequested);
        floating->show();
        floating->closeWindow();
        QCOMPARE(quit.size(), 1);
        // Lives as long as its owner, and no longer.
        QPointer<FloatWidget> other;
        {
            QWidget temporaryOwner;
            other = new FloatWidget(&temporaryOwner);
            QVERIFY(other);
        }
        QVERIFY(other.isNull());
    }

    void floatingWidgetMenuDrivesItsOwner()
    {
        QWidget owner;
        auto* floating = new FloatWidget(&owner);
        floating->show();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), floating->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(floating, &event);
        auto* menu = floating->findChild<TrayMenu*>();
        QVERIFY(menu);
        QSignalSpy quit(floating, &FloatWidget::quitRequested);
        QSignalSpy settings(floating, &FloatWidget::settingsPageRequested);
        entry(*menu, "显示主面板")->trigger();
        QVERIFY(owner.isVisible());
        entry(*menu, "退款设置")->trigger();
        QCOMPARE(settings.size(), 1);
        QCOMPARE(settings.at(0).at(0).value<SettingsPage>(), SettingsPage::Refund);
        entry(*menu, "退出")->trigger();
        QCOMPARE(quit.size(), 1);
    }

    void aboutAndLoadingDialogs()
    {
        AboutDialog about;
        QCOMPARE(about.size(), QSize(350, 155));
        QCOMPARE(about.windowTitle(), QString("关于我们"));
        QCOMPARE(about.findChild<QLabel*>("label")->text(), QString("澜川智付PC端 V3.0.1"));
        QVERIFY(!about.findChild<QLabel*>("label_2")->text().isEmpty());

        LoadingDialog loading;
        QCOMPARE(loading.size(), QSize(315, 110));
        QCOMPARE(loading.findChild<QLabel*>("lbl")->text(), QString("加载中请稍候"));
        QMovie* spinner = loading.findChild<QLabel*>("lblgif")->movie();
        QVERIFY(spinner);
        QCOMPARE(spinner->state(), QMovie::Running);
        QVERIFY(qFuzzyCompare(loading.windowOpacity(), 0.8));
    }

    // A window (deleted on close) holding a tab that a dialog stands on: closing the window or
    // deleting the tab while the dialog's loop runs would free the dialog under it. Both wait for
    // the loop to end, and then happen.
    void windowsUnderAModalLoopOutliveIt()
    {
        auto* window = new QWidget;
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QWidget> windowAlive(window);
        QPointer<QWidget> tab(new QWidget(window));
        window->show();
        const auto whileInLoop = [&tab](const std::function<void()>& arrive) {
            bool aliveInLoop = false;
            QDialog dialog(tab);
            QTimer::singleShot(0, &dialog, [&] {
                arrive();
                // Deferred deletions are carried out here, inside the loop.
                QTest::qWait(50);
                aliveInLoop = !tab.isNull();
                dialog.accept();
            });
            modal::exec(dialog);
            return aliveInLoop;
        };

        QVERIFY(whileInLoop([&] { tab->deleteLater(); }));
        QVERIFY(tab);
        QTRY_VERIFY(tab.isNull());
        QVERIFY(windowAlive);

        tab = new QWidget(window);
        bool closed = true;
        QVERIFY(whileInLoop([&] { closed = window->close(); }));
        QVERIFY(!closed);
        QVERIFY(windowAlive && window->isVisible());
        QTRY_VERIFY(windowAlive.isNull());
    }

    // A dialog asked to close while a box of its own is open closes once the box has gone, though
    // its own loop still runs.
    void aDialogClosedUnderItsBoxClosesAfterIt()
    {
        QDialog dialog;
        QTimer::singleShot(0, &dialog, [&dialog] {
            QDialog box(&dialog);
            QTimer::singleShot(0, &box, [&] {
                dialog.close();
                box.accept();
            });
            modal::exec(box);
        });
        // Only there to end the test should the close be lost.
        QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(2); });
        QCOMPARE(modal::exec(dialog), int(QDialog::Rejected));
    }
};

CASHIER_WIDGET_TEST_MAIN(TestShell)
#include "tst_shell.moc"
