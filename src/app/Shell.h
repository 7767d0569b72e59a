#pragma once

class MainWindow;
class QWidget;

// The process-wide windows that screens reach without owning them.
namespace shell {

// The main window, created on first use and kept for the whole run.
MainWindow* mainWindow();
// Shows the main window, creating it first when it does not exist yet.
void showMainWindow();
// Whether the main window has been created (without creating it).
bool hasMainWindow();
// At exit: the main window goes, closing its serial ports and giving back Alt+Z.
void destroyMainWindow();

// The settings panel, created once at start-up; null until then.
QWidget* settingsPanel();
void setSettingsPanel(QWidget* panel);
// Opens the settings panel modally at page 1-7; nothing when there is no panel.
void openSettingsPage(int page);

} // namespace shell
