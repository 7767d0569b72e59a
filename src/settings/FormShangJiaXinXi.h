#pragma once

#include "core/SettingsPage.h"

#include <QWidget>

#include <memory>

namespace Ui {
class FormShangJiaXinXi;
}

// The merchant tab (F3): who is on duty, for which merchant, company and shop, read from the
// session when the tab is built, and the two password pages of the settings panel.
class FormShangJiaXinXi : public QWidget
{
    Q_OBJECT

public:
    explicit FormShangJiaXinXi(QWidget* parent = nullptr);
    ~FormShangJiaXinXi() override;

signals:
    // The login-password page or the refund-password change page of the settings panel.
    void settingsPageRequested(SettingsPage page);

private slots:
    void on_btnPwd_clicked();
    void on_btnRefundPwd_clicked();

private:
    std::unique_ptr<Ui::FormShangJiaXinXi> ui;
};
