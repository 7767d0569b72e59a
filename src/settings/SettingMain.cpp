#include "settings/SettingMain.h"

#include "settings/ModifyPwdDialog.h"
#include "settings/ModifyRedundPwdDialog.h"
#include "settings/SetComDia.h"
#include "settings/SetDataDialog.h"
#include "settings/SetRefundPwdDialog.h"
#include "settings/SetShouKuan.h"
#include "settings/setReundForm.h"
#include "ui_SettingMain.h"
#include "widgets/ButtonStyles.h"
#include "widgets/ModalLoop.h"
#include "widgets/WindowDragger.h"

namespace {
const Qt::WindowFlags kPanelFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
} // namespace

SettingMain::SettingMain(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::SettingMain>())
{
    ui->setupUi(this);
    setUpFramelessWindow(this);
    setWindowFlags(kPanelFlags);
    setWindowTitle(QStringLiteral("澜川智付"));
    m_pageButtons = {ui->btn1, ui->btn2, ui->btn3, ui->btn4, ui->btn5, ui->btn6, ui->btn7};
}

SettingMain::~SettingMain() = default;

void SettingMain::execPage(SettingsPage page)
{
    if (isVisible()) {
        // Asked again from a tray menu while it is open: the page shown may be inside a message box
        // of its own, so it is not replaced under it; the panel comes to the front.
        raise();
        activateWindow();
        return;
    }
    doSet(static_cast<int>(page));
    setWindowFlags(kPanelFlags);
    modal::exec(*this);
}

void SettingMain::on_close_btn_clicked()
{
    hide();
}

void SettingMain::hideEvent(QHideEvent* event)
{
    // The page left on the panel stays until the next selection; the ports it borrowed go back now,
    // or the till would stay deaf while the panel is closed.
    if (auto* serialPage = qobject_cast<SetComDia*>(m_currentPage.data()))
        serialPage->returnPorts();
    QDialog::hideEvent(event);
}

void SettingMain::setButtonStyle(int selected)
{
    for (int i = 0; i < m_pageButtons.size(); ++i) {
        const bool isSelected = i + 1 == selected;
        m_pageButtons.at(i)->setStyleSheet(imageButtonStyle(
            isSelected ? QStringLiteral("btn_nom.jpg") : QStringLiteral("btn_nor.jpg"), QStringLiteral("btn_pre.png"),
            isSelected ? QStringLiteral("color:black;") : QStringLiteral("color:white;")));
    }
}

QWidget* SettingMain::createPage(int type)
{
    QWidget* area = ui->frame;
    switch (static_cast<SettingsPage>(type)) {
    case SettingsPage::CustomerDisplay:
        return new SetComDia(m_ports, area);
    case SettingsPage::General:
        return new SetDataDialog(area);
    case SettingsPage::LoginPassword:
        return new ModifyPwdDialog(area);
    case SettingsPage::RefundPasswordChange:
        return new ModifyRedundPwdDialog(area);
    case SettingsPage::RefundPasswordForgotten:
        return new SetRefundPwdDialog(area);
    case SettingsPage::Collection:
        return new SetShouKuan(area);
    case SettingsPage::Refund:
        return new setReundForm(area);
    }
    return nullptr;
}

void SettingMain::doSet(int type)
{
    if (type < 1 || type > m_pageButtons.size())
        return;
    setButtonStyle(type);
    // Whatever was typed on the page shown and not saved is dropped with it.
    delete m_currentPage.data();
    m_currentPage = createPage(type);
    m_currentPage->show();
}

void SettingMain::on_btn1_clicked()
{
    doSet(1);
}

void SettingMain::on_btn2_clicked()
{
    doSet(2);
}

void SettingMain::on_btn3_clicked()
{
    doSet(3);
}

void SettingMain::on_btn4_clicked()
{
    doSet(4);
}

void SettingMain::on_btn5_clicked()
{
    doSet(5);
}

void SettingMain::on_btn6_clicked()
{
    doSet(6);
}

void SettingMain::on_btn7_clicked()
{
    doSet(7);
}
