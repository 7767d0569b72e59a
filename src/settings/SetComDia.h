#pragma once

#include <QWidget>

#include <memory>

class QComboBox;
class SerialPortAccess;

namespace Ui {
class SetComDia;
}

// The page "客显设置": the software port (where the point-of-sale program writes its amounts), the
// customer-display port, the baud rate of both and whether a display is attached. It borrows the
// main window's ports while it is shown, can try the chosen ports, and saves them into app.config.
class SetComDia : public QWidget
{
    Q_OBJECT

public:
    SetComDia(SerialPortAccess* ports, QWidget* parent = nullptr);
    // Gives the ports back to the main window when they were not given back by a save.
    ~SetComDia() override;

    // The page is no longer in use (its panel was closed): the ports go back to the main window
    // with the saved settings. Trying or saving borrows them again.
    void returnPorts();

private slots:
    void on_btn1_clicked();
    void on_btn2_clicked();

private:
    void borrowPorts();
    // Tries the software port read-only; tells the cashier only when it fails.
    bool softwarePortOpens(bool tellSuccess);
    // Tries the display port write-only, telling the cashier either way.
    void tryDisplayPort();
    int softwareComNumber() const;
    int displayComNumber() const;

    std::unique_ptr<Ui::SetComDia> ui;
    SerialPortAccess* m_ports;
    QComboBox* m_softwarePort;
    QComboBox* m_displayPort;
    QComboBox* m_baudRate;
    bool m_holdingPorts = false;
};
