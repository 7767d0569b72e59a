#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

namespace Ui {
class LoginWidget;
}
class FloatWidget;
class SelectShopDialog;

// The first window: the merchant account and password, the remembered login, the version check.
// A successful login keeps the reply in the session, remembers the account, hides this window for
// the rest of the run and hands over to shop selection.
class LoginWidget : public QWidget
{
    Q_OBJECT

public:
    explicit LoginWidget(QWidget* parent = nullptr);
    ~LoginWidget() override;

private slots:
    void on_login_btn_clicked();
    void on_min_btn_clicked();
    void on_close_btn_clicked();
    void showWindow();
    void closeWindow();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);
    void slot_requestVersionFinished(bool bSuccess, const QByteArray& byteResult);
    void on_Rem_PassWord_clicked();
    void on_CmdLinkButton_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setBusy(bool busy);
    void minimiseToTray();
    void checkVersion();

    std::unique_ptr<Ui::LoginWidget> ui;
    QString m_user;
    bool m_rememberPassword = false;
    QPointer<QSystemTrayIcon> m_trayIcon;
    QPointer<FloatWidget> m_floatWidget;
    QPointer<SelectShopDialog> m_selectShop;
};
