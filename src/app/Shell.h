#pragma once

#include "core/SettingsPage.h"

#include <functional>

class MainWindow;
class SerialPortAccess;

// The process-wide windows, reached by the shell only: screens announce what happened with
// signals and the shell's windows wire them here.
namespace shell {

// The main window, created on first use and kept for the whole run.
MainWindow* mainWindow();
// Shows the main window, creating it first when it does not exist yet.
void showMainWindow();
// Whether the main window has been created (without creating it).
bool hasMainWindow();
// At exit: the main window goes, closing its serial ports and giving back Alt+Z.
void destroyMainWindow();

// How the settings panel is opened at a page, modally; set once at start-up. Without it, asking
// for a page does nothing.
void setSettingsOpener(std::function<void(SettingsPage)> opener);
void openSettingsPage(SettingsPage page);

// The main window's serial ports as the serial-port settings page borrows and tries them; lending
// does nothing while there is no main window.
SerialPortAccess* serialPorts();

// Ends the program. Closing or hiding windows never does: only the tray menus' "退出" and the
// shift summary's quit question come here.
void quit();

} // namespace shell
