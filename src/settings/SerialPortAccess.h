#pragma once

#include <QIODevice>

class QWidget;

// What the serial-port page needs from the rest of the program. The main window holds both ports
// while it runs; the page borrows them to try other settings, and gives them back either by saving
// (the main window reopens them with the new settings) or by going away unsaved (the main window
// reopens them with the settings it had). A program without a main window yet (settings opened
// from the login window's tray) has nothing to lend.
class SerialPortAccess
{
public:
    virtual ~SerialPortAccess() = default;

    // The main window closes its ports, so the page can open them.
    virtual void lendPorts() = 0;
    // The page went away without saving: the main window opens its ports again with the saved
    // settings, once no modal window is open any more (its messages must not hide behind the panel).
    virtual void returnPorts() = 0;
    // The settings were saved: the main window opens its ports with them now; what it cannot open
    // it says in boxes over `messagesParent` (the page, in front of the cashier).
    virtual void reopenPorts(QWidget* messagesParent) = 0;
    // Opens the port "COM" + `comNumber` read-only or write-only and closes it again, without
    // setting it up or writing anything; whether it opened.
    virtual bool probe(int comNumber, QIODevice::OpenModeFlag mode) = 0;
};
