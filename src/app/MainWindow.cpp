#include "app/MainWindow.h"

#include "app/FloatWidget.h"
#include "app/SerialPassThrough.h"
#include "app/Shell.h"
#include "app/TrayMenu.h"
#include "collect/FormCS.h"
#include "collect/FormSaoMaShouKuan.h"
#include "config/AppConfigRecord.h"
#include "core/Product.h"
#include "net/GatewayReply.h"
#include "net/SessionData.h"
#include "platform/GlobalHotKey.h"
#include "platform/SerialPortNames.h"
#include "query/FormJiaoYiCX.h"
#include "settings/FormShangJiaXinXi.h"
#include "ui_MainWindow.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/ModalLoop.h"
#include "widgets/PlainText.h"
#include "widgets/WindowDragger.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>

#include <utility>

namespace {
QString tabIndicatorStyle(const QString& image)
{
    return QStringLiteral("QRadioButton::indicator{width: 85px;height: 100px;}"
                          "QRadioButton::indicator:unchecked {image: url(:/images/%1.png);}"
                          "QRadioButton::indicator:checked {image: url(:/images/%1_pressed.png);}")
        .arg(image);
}
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MainWindow>()), m_tabButtons(new QButtonGroup(this)),
      m_trayIcon(new QSystemTrayIcon(QIcon(QStringLiteral(":/icon/setup.ico")), this)),
      m_serial(new SerialPassThrough(this))
{
    ui->setupUi(this);
    showLabelsAsPlainText(this);
    setStyleSheet(QStringLiteral("QWidget:focus{outline: none;}"));
    setUpFramelessWindow(this);

    ui->close_btn->setStyleSheet(titleBarButtonStyle(QStringLiteral("close")));
    ui->min_btn->setStyleSheet(titleBarButtonStyle(QStringLiteral("min")));
    ui->set_btn->setStyleSheet(imageButtonStyle(QStringLiteral("set_btn_nor.png"), QStringLiteral("set_btn_pre.png")));
    ui->smsk_btn->setStyleSheet(tabIndicatorStyle(QStringLiteral("smsk")));
    ui->jycx_btn->setStyleSheet(tabIndicatorStyle(QStringLiteral("jycx")));
    ui->sjxx_btn->setStyleSheet(tabIndicatorStyle(QStringLiteral("sjxx")));

    showCurrentShop();

    m_tabButtons->setExclusive(true);
    m_tabButtons->addButton(ui->smsk_btn, CollectionTab);
    m_tabButtons->addButton(ui->jycx_btn, QueryTab);
    m_tabButtons->addButton(ui->sjxx_btn, MerchantTab);
    for (QAbstractButton* button : m_tabButtons->buttons())
        connect(button, &QAbstractButton::clicked, this, &MainWindow::onRadioBtnClick);

    registerHotKey();

    auto* menu = new TrayMenu(this);
    m_trayIcon->setContextMenu(menu);
    m_trayIcon->setToolTip(product::name() + QStringLiteral("PC端V") + product::version());
    connect(menu, &TrayMenu::showWindow, this, &MainWindow::showWindow);
    connect(menu, &TrayMenu::quitWindow, this, &MainWindow::closeWindow);
    connect(menu, &TrayMenu::doSetting, this, &shell::openSettingsPage);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onActivated);
    m_trayIcon->show();

    m_floatWidget = new FloatWidget(this);
    connect(m_floatWidget, &FloatWidget::quitRequested, this, &MainWindow::closeWindow);
    connect(m_floatWidget, &FloatWidget::settingsPageRequested, this, &shell::openSettingsPage);
    // Logged in from here on: print orders queued at the gateway come out on this till.
    m_floatWidget->startPrintPolling();

    switchToTab(CollectionTab);

    clickOnKey(ui->min_btn, QKeySequence(Qt::Key_Escape));
    clickOnKey(ui->smsk_btn, QKeySequence(Qt::Key_F1));
    clickOnKey(ui->jycx_btn, QKeySequence(Qt::Key_F2));
    clickOnKey(ui->sjxx_btn, QKeySequence(Qt::Key_F3));

    connect(m_serial, &SerialPassThrough::amountReceived, this, &MainWindow::ReadData);
    connect(m_serial, &SerialPassThrough::softwarePortLost, this, [this] {
        MessageBox::critical(this, QStringLiteral("提示信息"), QStringLiteral("软件串口不可用，请重新设置串口"));
    });
    connect(m_serial, &SerialPassThrough::displayPortLost, this, [this] {
        MessageBox::critical(this, QStringLiteral("提示信息"), QStringLiteral("客显串口不可用，请重新设置串口"));
    });
    openPorts();
}

MainWindow::~MainWindow() = default;

void MainWindow::registerHotKey()
{
    m_hotKey = platform::createGlobalHotKey(this);
    connect(m_hotKey.get(), &platform::GlobalHotKey::activated, this, &MainWindow::showWindow);
    if (m_hotKey->registerHotKey() == platform::HotKeyStatus::Taken)
        MessageBox::warning(this, QStringLiteral("提示信息"),
                            QStringLiteral("您好，您已经登录一个澜川岚客钱包PC端账户，请注意。"));
}

void MainWindow::showCurrentShop()
{
    const QJsonObject shop = SessionData::instance().currentShop();
    ui->label_shop->setText(gateway::jsonText(shop.value(QStringLiteral("main_name"))) + QLatin1Char('\n') +
                            gateway::jsonText(shop.value(QStringLiteral("branch_name"))));
}

void MainWindow::lendPorts()
{
    ++m_portsLent;
    m_serial->closeAll();
}

void MainWindow::returnPorts()
{
    if (m_portsLent == 0 || --m_portsLent > 0)
        return;
    // Its messages must not open behind the settings panel; a page that borrows the ports again
    // meanwhile keeps them; and leaving the page, coming back and closing the panel reopens once.
    if (std::exchange(m_reopenQueued, true))
        return;
    modal::whenIdle(this, [this] {
        const bool reopen = m_reopenQueued && m_portsLent == 0;
        m_reopenQueued = false;
        if (reopen)
            openPorts();
    });
}

void MainWindow::openPorts(QWidget* messagesParent)
{
    m_portsLent = 0;
    m_reopenQueued = false; // opened now: a reopen still waiting has nothing left to do
    QWidget* const boxParent = messagesParent ? messagesParent : this;
    const AppConfigRecord& record = AppConfigRecord::instance();
    SerialPassThrough::Settings settings;
    settings.softwarePort = platform::serialPortName(record.softwareComNumber);
    settings.displayPort = platform::serialPortName(record.displayComNumber);
    settings.baudRate = record.baudRate;
    settings.displayEnabled = record.displayEnabled;
    const SerialPassThrough::OpenResult opened = m_serial->reopen(settings);
    if (!opened.softwareOpened)
        MessageBox::critical(boxParent, QStringLiteral("提示信息"), QStringLiteral("软件串口不可用，请重新设置串口"));
    if (settings.displayEnabled && !opened.displayOpened)
        MessageBox::critical(boxParent, QStringLiteral("提示信息"), QStringLiteral("客显串口不可用，请重新设置串口"));
}

QWidget* MainWindow::createTab(int id)
{
    // Each tab is a fresh screen: nothing is kept across switches.
    if (id == CollectionTab)
        return new FormSaoMaShouKuan(ui->tabArea);
    if (id == QueryTab) {
        auto* query = new FormJiaoYiCX(ui->tabArea);
        connect(query, &FormJiaoYiCX::settingsPageRequested, this, &shell::openSettingsPage);
        connect(query, &FormJiaoYiCX::quitRequested, this, &shell::quit);
        return query;
    }
    auto* merchant = new FormShangJiaXinXi(ui->tabArea);
    connect(merchant, &FormShangJiaXinXi::settingsPageRequested, this, &shell::openSettingsPage);
    return merchant;
}

FormSaoMaShouKuan* MainWindow::collectionTab() const
{
    return m_currentTab == CollectionTab ? qobject_cast<FormSaoMaShouKuan*>(m_tab.data()) : nullptr;
}

void MainWindow::switchToTab(int id)
{
    if (m_tab) {
        // Hidden at once: until it is deleted its shortcuts (the keypad's Enter on both the keypad
        // and the query tab) would still compete with the new tab's for a key typed right away.
        m_tab->hide();
        m_tab->deleteLater();
    }
    m_tab = createTab(id);
    m_tab->show();
    m_currentTab = id;
    if (QAbstractButton* button = m_tabButtons->button(id))
        button->setChecked(true);
}

void MainWindow::onRadioBtnClick()
{
    const int id = m_tabButtons->checkedId();
    if (id != m_currentTab)
        switchToTab(id);
}

void MainWindow::ReadData(const QString& amountText)
{
    m_tillAmount = amountText;
    m_tillAmountWaiting = true;
    applyTillAmount();
}

void MainWindow::applyTillAmount()
{
    if (!m_tillAmountWaiting)
        return;
    // Some screen may be inside a box or dialog of its own (the scan-pay window telling of a refusal,
    // the query tab's busy dialog): replacing a tab or closing a window now would pull it from under
    // that loop. The amount waits until the loop has ended.
    if (modal::running()) {
        modal::whenIdle(this, [this] { applyTillAmount(); });
        return;
    }
    if (!collectionTab())
        switchToTab(CollectionTab);
    FormSaoMaShouKuan* tab = collectionTab();
    if (FormCS* scanPay = tab->scanPayWindow()) {
        // A payment on its way keeps its window and its amount until the gateway has answered.
        if (scanPay->requestInFlight()) {
            connect(scanPay, &FormCS::requestSettled, this, &MainWindow::applyTillAmount, Qt::UniqueConnection);
            return;
        }
        // Nothing was sent for the old amount: its window goes, the new amount is collected next.
        scanPay->close();
    }
    m_tillAmountWaiting = false;
    m_pendingAmount = true;
    tab->setAmountText(m_tillAmount);
}

void MainWindow::showWindow()
{
    showNormal();
    raise();
    activateWindow();
    if (FormSaoMaShouKuan* tab = collectionTab()) {
        // Collecting the pending amount, or raising the scan-pay window that is already open.
        if (m_pendingAmount || tab->scanPayWindow()) {
            m_pendingAmount = false;
            tab->startCollection();
        }
    }
    m_floatWidget->hide();
}

void MainWindow::closeWindow()
{
    if (FormSaoMaShouKuan* tab = collectionTab()) {
        FormCS* scanPay = tab->scanPayWindow();
        if (scanPay && scanPay->requestInFlight()) {
            MessageBox::warning(this, QStringLiteral("提示信息"), QStringLiteral("正在收款，请等待收款结果后再退出"));
            return;
        }
    }
    shell::quit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window manager's close (Alt+F4) hides to the tray like the close button; the program
    // ends only through "退出".
    event->ignore();
    minimiseToTray();
}

void MainWindow::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        showWindow();
}

void MainWindow::minimiseToTray()
{
    hide();
    m_trayIcon->showMessage(QStringLiteral("最小化提示"), QStringLiteral("程序已最小化到系统托盘"),
                            QSystemTrayIcon::Information, 10000);
    m_floatWidget->show();
}

void MainWindow::on_min_btn_clicked()
{
    minimiseToTray();
}

void MainWindow::on_close_btn_clicked()
{
    minimiseToTray();
}

void MainWindow::on_set_btn_clicked()
{
    shell::openSettingsPage(SettingsPage::General);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    FormSaoMaShouKuan* tab = collectionTab();
    if (!tab) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        tab->pressDigit(key - Qt::Key_0);
    else if (key == Qt::Key_Period)
        tab->pressPoint();
    else if (key == Qt::Key_Backspace)
        tab->pressBackspace();
    else
        QWidget::keyPressEvent(event);
}
