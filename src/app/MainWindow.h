#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}
namespace platform {
class GlobalHotKey;
}
class FloatWidget;
class FormSaoMaShouKuan;
class QButtonGroup;
class SerialPassThrough;

// The cashier's working window after login and shop choice: one function tab at a time
// (collection, transaction query, merchant information), the tray icon and floating widget, the
// global hot key Alt+Z, and the serial pass-through from the point-of-sale program to the customer
// display. One per process (shell::mainWindow()); hidden and shown, never destroyed during the run.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    enum Tab {
        CollectionTab = 0,
        QueryTab = 1,
        MerchantTab = 2,
    };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Closes and reopens both serial ports with the settings of app.config; run at construction and
    // after the serial-port settings are saved.
    // Its messages go to `messagesParent` (the window the cashier is looking at), this window if none.
    void openPorts(QWidget* messagesParent = nullptr);
    // The serial-port settings page borrows the ports: they are closed while it has them. When it
    // gives them back unsaved they are opened again with the saved settings, once no modal window
    // is open; a save reopens them at once through openPorts().
    void lendPorts();
    void returnPorts();

    // The shop collected for, in the title bar; again after the general settings chose another.
    void showCurrentShop();

    int currentTabIndex() const { return m_currentTab; }
    // Switches to tab `id` as its radio button does (F1-F3).
    void switchToTab(int id);
    QWidget* currentTab() const { return m_tab; }
    // The collection tab when it is the one shown, else null.
    FormSaoMaShouKuan* collectionTab() const;
    SerialPassThrough* serial() const { return m_serial; }

public slots:
    void onRadioBtnClick();
    void ReadData(const QString& amountText);
    void showWindow();
    void closeWindow();
    void onActivated(QSystemTrayIcon::ActivationReason reason);

private slots:
    void on_min_btn_clicked();
    void on_close_btn_clicked();
    void on_set_btn_clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void minimiseToTray();
    QWidget* createTab(int id);
    void registerHotKey();
    // Puts the amount from the till into the collection tab as soon as that is safe: not while any
    // modal loop runs, not while a payment is on its way.
    void applyTillAmount();

    std::unique_ptr<Ui::MainWindow> ui;
    QButtonGroup* m_tabButtons;
    QPointer<QWidget> m_tab;
    int m_currentTab = -1;
    QSystemTrayIcon* m_trayIcon;
    FloatWidget* m_floatWidget;
    SerialPassThrough* m_serial;
    std::unique_ptr<platform::GlobalHotKey> m_hotKey;
    // Put into the collection tab; collected at the next call-up.
    bool m_pendingAmount = false;
    // Arrived from the till but not yet put into the collection tab.
    QString m_tillAmount;
    bool m_tillAmountWaiting = false;
    // Pages holding the ports; they are reopened when the last gives them back.
    int m_portsLent = 0;
    bool m_reopenQueued = false; // one reopen waits for the modal loops to end, however often returned
};
