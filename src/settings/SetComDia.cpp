#include "settings/SetComDia.h"

#include "config/AppConfigRecord.h"
#include "core/SerialChoices.h"
#include "settings/SerialPortAccess.h"
#include "ui_SetComDia.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"

#include <QComboBox>

namespace {
const QString kTitle = QStringLiteral("提示信息");

QComboBox* comboAt(QWidget* page, int x, int y, const QStringList& items, int selected)
{
    auto* combo = new QComboBox(page);
    combo->setGeometry(x, y, 100, 20);
    combo->addItems(items);
    combo->setCurrentIndex(selected);
    return combo;
}
} // namespace

SetComDia::SetComDia(SerialPortAccess* ports, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::SetComDia>()), m_ports(ports)
{
    ui->setupUi(this);
    const AppConfigRecord& record = AppConfigRecord::instance();
    ui->chbKX->setChecked(record.displayEnabled);

    m_softwarePort = comboAt(this, 90, 16, serialchoices::portNames(record.softwareComNumber),
                             serialchoices::portIndex(record.softwareComNumber));
    m_displayPort = comboAt(this, 90, 88, serialchoices::portNames(record.displayComNumber),
                            serialchoices::portIndex(record.displayComNumber));
    m_baudRate = comboAt(this, 90, 137, serialchoices::baudRates(), serialchoices::baudRateIndex(record.baudRate));
    m_softwarePort->setObjectName(QStringLiteral("softwarePort"));
    m_displayPort->setObjectName(QStringLiteral("displayPort"));
    m_baudRate->setObjectName(QStringLiteral("baudRate"));

    const QString buttonStyle =
        imageButtonStyle(QStringLiteral("btn_nor.jpg"), QStringLiteral("btn_pre.png"), QStringLiteral("color:white;"));
    ui->btn1->setStyleSheet(buttonStyle);
    ui->btn2->setStyleSheet(buttonStyle);

    // The main window lets go of its ports, so that they can be tried here.
    borrowPorts();
}

SetComDia::~SetComDia()
{
    returnPorts();
}

void SetComDia::borrowPorts()
{
    if (m_holdingPorts || !m_ports)
        return;
    m_ports->lendPorts();
    m_holdingPorts = true;
}

void SetComDia::returnPorts()
{
    if (!m_holdingPorts)
        return;
    m_holdingPorts = false;
    m_ports->returnPorts();
}

int SetComDia::softwareComNumber() const
{
    return serialchoices::comNumber(m_softwarePort->currentText());
}

int SetComDia::displayComNumber() const
{
    return serialchoices::comNumber(m_displayPort->currentText());
}

bool SetComDia::softwarePortOpens(bool tellSuccess)
{
    borrowPorts();
    if (m_ports && m_ports->probe(softwareComNumber(), QIODevice::ReadOnly)) {
        if (tellSuccess)
            MessageBox::information(this, kTitle, QStringLiteral("软件串口可用"));
        return true;
    }
    MessageBox::critical(this, kTitle, QStringLiteral("软件串口不可用"));
    return false;
}

void SetComDia::tryDisplayPort()
{
    if (m_ports && m_ports->probe(displayComNumber(), QIODevice::WriteOnly))
        MessageBox::information(this, kTitle, QStringLiteral("客显串口可用"));
    else
        MessageBox::critical(this, kTitle, QStringLiteral("客显串口不可用"));
}

void SetComDia::on_btn1_clicked()
{
    // Trying changes nothing in force: the settings the main window uses stay as saved.
    softwarePortOpens(true);
    if (ui->chbKX->isChecked())
        tryDisplayPort();
}

void SetComDia::on_btn2_clicked()
{
    if (!softwarePortOpens(false))
        return;
    const bool displayEnabled = ui->chbKX->isChecked();
    if (displayEnabled)
        tryDisplayPort(); // a display that does not answer does not stop the till port being saved

    AppConfigRecord& record = AppConfigRecord::instance();
    record.displayEnabled = displayEnabled;
    record.baudRate = m_baudRate->currentText().toInt();
    record.softwareComNumber = softwareComNumber();
    record.displayComNumber = displayComNumber();
    if (!record.save()) {
        MessageBox::critical(this, kTitle, QStringLiteral("系统错误，请稍候重试"));
        return;
    }
    if (m_holdingPorts && m_ports) {
        m_holdingPorts = false;
        m_ports->reopenPorts(this);
    }
    MessageBox::information(this, kTitle, QStringLiteral("设置成功"));
}
