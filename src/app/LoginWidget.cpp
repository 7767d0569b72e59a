#include "app/LoginWidget.h"

#include "app/FloatWidget.h"
#include "app/Shell.h"
#include "app/TrayMenu.h"
#include "collect/SelectShopDialog.h"
#include "config/DataConfig.h"
#include "core/Product.h"
#include "net/GatewayConnections.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "net/VersionCheck.h"
#include "platform/Updater.h"
#include "ui_LoginWidget.h"
#include "widgets/ButtonStyles.h"
#include "widgets/FirstPaint.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowDragger.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QRegularExpressionValidator>
#include <QUrl>

namespace {
const QString kLoginButtonStyle =
    imageButtonStyle(QStringLiteral("login_btn.png"), QStringLiteral("login_btn_pre.png"));
const QString kLoginBusyStyle = QStringLiteral("QPushButton{border-image: url(:/images/loading.png);}");
} // namespace

LoginWidget::LoginWidget(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::LoginWidget>())
{
    ui->setupUi(this);
    setUpFramelessWindow(this);

    ui->login_btn->setStyleSheet(kLoginButtonStyle);
    clickOnKey(ui->login_btn, keypadEnterKey());
    ui->min_btn->setStyleSheet(titleBarButtonStyle(QStringLiteral("min")));
    clickOnKey(ui->min_btn, QKeySequence(Qt::Key_Escape));
    ui->close_btn->setStyleSheet(titleBarButtonStyle(QStringLiteral("close")));
    ui->label_title->setText(product::name() + QStringLiteral(" · 收银台"));
    ui->label->setText(QStringLiteral("V") + product::version() + QStringLiteral("    ") + product::rightsLine());
    ui->login_user->setPlaceholderText(QStringLiteral("账号:"));
    ui->login_password->setPlaceholderText(QStringLiteral("密码:"));
    ui->login_user->setFocus();

    // Letters and digits only. An empty field is acceptable to the validator as well: a line edit
    // reports Return only for acceptable text, and Enter on an empty field must still say what is
    // missing.
    const QRegularExpression lettersAndDigits(QStringLiteral("^[A-Za-z0-9]*$"));
    ui->login_user->setValidator(new QRegularExpressionValidator(lettersAndDigits, ui->login_user));
    ui->login_password->setValidator(new QRegularExpressionValidator(lettersAndDigits, ui->login_password));

    const QStringList remembered = DataConfig::instance().getUser();
    ui->login_user->setText(remembered.value(0));
    if (remembered.value(2) == QLatin1String("true")) {
        ui->login_password->setText(remembered.value(1));
        ui->Rem_PassWord->setChecked(true);
    } else {
        ui->Rem_PassWord->setChecked(false);
    }
    m_rememberPassword = ui->Rem_PassWord->isChecked();

    m_trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/icon/setup.ico")), this);
    auto* menu = new TrayMenu(this);
    m_trayIcon->setContextMenu(menu);
    m_trayIcon->setToolTip(product::name() + QStringLiteral("PC端") + product::version());
    connect(menu, &TrayMenu::showWindow, this, &LoginWidget::showWindow);
    connect(menu, &TrayMenu::quitWindow, this, &LoginWidget::closeWindow);
    connect(menu, &TrayMenu::doSetting, this, &shell::openSettingsPage);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &LoginWidget::onActivated);
    m_trayIcon->setVisible(true);

    connect(ui->login_user, &QLineEdit::returnPressed, ui->login_btn, &QPushButton::click, Qt::UniqueConnection);
    connect(ui->login_password, &QLineEdit::returnPressed, ui->login_btn, &QPushButton::click, Qt::UniqueConnection);

    m_floatWidget = new FloatWidget(this);
    connect(m_floatWidget, &FloatWidget::quitRequested, this, &LoginWidget::closeWindow);
    connect(m_floatWidget, &FloatWidget::settingsPageRequested, this, &shell::openSettingsPage);

    // Starting the network stack (plugins, TLS) takes longer than the rest of start-up: the
    // window goes on screen first.
    // The login's connection is opened while the cashier types; the version check goes beside it.
    afterFirstPaint(this, [this] {
        gatewayconnections::prepareRead(gateway::gatewayUrl());
        if (DataConfig::instance().getCheckUpdata() == 0)
            checkVersion();
    });
}

LoginWidget::~LoginWidget() = default;

void LoginWidget::on_login_btn_clicked()
{
    const QString user = ui->login_user->text();
    const QString password = ui->login_password->text();
    QString missing;
    if (user.isEmpty() && password.isEmpty())
        missing = QStringLiteral("账号和密码不能为空");
    else if (user.isEmpty())
        missing = QStringLiteral("账号不能为空");
    else if (password.isEmpty())
        missing = QStringLiteral("密码不能为空");
    if (!missing.isEmpty()) {
        MessageBox::critical(this, QStringLiteral("温馨提示"), missing);
        return;
    }

    auto* request = new HttpFun;
    setBusy(true);
    connect(request, &HttpFun::signal_requestFinished, this, &LoginWidget::slot_requestFinished);
    request->post(gateway::gatewayUrl(), gateway::loginBody(user, password), HttpFun::Effect::ReadsOnly);
}

void LoginWidget::setBusy(bool busy)
{
    ui->login_user->setEnabled(!busy);
    ui->login_password->setEnabled(!busy);
    ui->login_btn->setEnabled(!busy);
    ui->Rem_PassWord->setEnabled(!busy);
    ui->login_btn->setStyleSheet(busy ? kLoginBusyStyle : kLoginButtonStyle);
}

void LoginWidget::slot_requestFinished(bool bSuccess, const QByteArray& byteResult)
{
    // An error page, "{}" or text that is not JSON did not come from the gateway's login: it is no
    // verdict on the password.
    if (!bSuccess || !gateway::hasContent(byteResult)) {
        setBusy(false);
        MessageBox::critical(this, QStringLiteral("温馨提示"), QStringLiteral("登录失败,请查看网络连接"));
        return;
    }
    const QJsonObject content = gateway::replyContent(byteResult);
    if (gateway::jsonInt(content.value(QStringLiteral("code"))) != 1) {
        MessageBox::critical(this, QStringLiteral("错误提示"), QStringLiteral("账号/密码错误"));
        setBusy(false);
        return;
    }

    SessionData& session = SessionData::instance();
    session.setUserInfo(content);
    m_user = ui->login_user->text();
    const QString password = ui->login_password->text();
    session.setLoginPassword(password);
    DataConfig::instance().setUser(m_user, password, m_rememberPassword);
    // The hidden window keeps no copy of it.
    ui->login_password->clear();

    hide();
    if (m_trayIcon)
        m_trayIcon->deleteLater();
    if (m_floatWidget)
        m_floatWidget->deleteLater();
    m_selectShop = new SelectShopDialog(nullptr);
    connect(m_selectShop, &SelectShopDialog::shopChosen, this, &shell::showMainWindow);
    m_selectShop->show();
}

void LoginWidget::checkVersion()
{
    auto* request = new HttpFun;
    connect(request, &HttpFun::signal_requestFinished, this, &LoginWidget::slot_requestVersionFinished);
    request->post(gateway::gatewayUrl(), gateway::updateBody(), HttpFun::Effect::ReadsOnly);
}

void LoginWidget::slot_requestVersionFinished(bool bSuccess, const QByteArray& byteResult)
{
    if (!bSuccess) {
        MessageBox::critical(this, QStringLiteral("版本检测"), QStringLiteral("版本检测更新失败,请检查网络设置"));
        return;
    }
    if (!gateway::offersNewerVersion(gateway::replyContent(byteResult), product::version()))
        return;
    const MessageBox::Answer answer = MessageBox::ask(nullptr, MessageBox::Warning, QStringLiteral("版本更新"),
                                                      QStringLiteral("检测到新版本，是否更新到新版本?"),
                                                      QStringLiteral("更新"), QStringLiteral("不更新"), true);
    if (answer != MessageBox::Accepted)
        return;
    if (!platform::runUpdater())
        MessageBox::critical(
            this, QStringLiteral("版本更新"),
            QStringLiteral("无法启动更新程序 %1，请联系管理员重新安装。").arg(platform::updaterProgram()));
}

void LoginWidget::minimiseToTray()
{
    hide();
    if (m_trayIcon)
        m_trayIcon->showMessage(QStringLiteral("最小化提示"), QStringLiteral("程序已最小化到系统托盘"),
                                QSystemTrayIcon::Information, 10000);
    if (m_floatWidget)
        m_floatWidget->show();
}

void LoginWidget::closeEvent(QCloseEvent* event)
{
    // The window manager's close hides to the tray like the close button; "退出" ends the program.
    event->ignore();
    minimiseToTray();
}

void LoginWidget::on_min_btn_clicked()
{
    minimiseToTray();
}

void LoginWidget::on_close_btn_clicked()
{
    minimiseToTray();
}

void LoginWidget::showWindow()
{
    showNormal();
    raise();
    activateWindow();
    if (m_floatWidget)
        m_floatWidget->hide();
}

void LoginWidget::closeWindow()
{
    shell::quit();
}

void LoginWidget::onActivated(QSystemTrayIcon::ActivationReason) {}

void LoginWidget::on_Rem_PassWord_clicked()
{
    m_rememberPassword = ui->Rem_PassWord->isChecked();
}

// A push button styled as a link: a command link button looks its style's icon up when it is
// made, a fifth of the login window's start-up, only for the style sheet to hide it.
void LoginWidget::on_CmdLinkButton_clicked()
{
    QDesktopServices::openUrl(QUrl(product::website()));
}
