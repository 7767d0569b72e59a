#pragma once

#include "core/SettingsPage.h"

#include <QDialog>
#include <QList>
#include <QPointer>

#include <memory>

class QPushButton;
class SerialPortAccess;

namespace Ui {
class SettingMain;
}

// The settings panel "系统设置": seven page buttons on the left, the chosen page on the right. One
// panel for the whole run, created hidden at start-up; every screen that offers settings opens it
// on the page it needs through execPage(). Each selection builds its page afresh (reading the
// settings, or asking the gateway, again) and deletes the one shown before.
class SettingMain : public QDialog
{
    Q_OBJECT

public:
    explicit SettingMain(QWidget* parent = nullptr);
    ~SettingMain() override;

    // How the serial-port page reaches the main window's ports; not owned. Without it that page can
    // open no port.
    void setSerialPortAccess(SerialPortAccess* ports) { m_ports = ports; }

    // Selects `page` and shows the panel modally; returns when the panel is hidden. Asked while the
    // panel is already open, it brings the panel to the front as it is.
    void execPage(SettingsPage page);

    QWidget* currentPage() const { return m_currentPage; }

public slots:
    void on_close_btn_clicked();
    // Selects page 1 to 7 (SettingsPage's values).
    void doSet(int type);
    void on_btn1_clicked();
    void on_btn2_clicked();
    void on_btn3_clicked();
    void on_btn4_clicked();
    void on_btn5_clicked();
    void on_btn6_clicked();
    void on_btn7_clicked();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* createPage(int type);
    void setButtonStyle(int selected);

    std::unique_ptr<Ui::SettingMain> ui;
    QList<QPushButton*> m_pageButtons;
    QPointer<QWidget> m_currentPage;
    SerialPortAccess* m_ports = nullptr;
};
