#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Driving a real program on a virtual X screen from outside, as a cashier would: keys and clicks
// through xdotool (XTEST, so the server treats them as typed), windows found by their titles.
namespace x11 {

// Runs a helper program to the end; its standard output, or a null array when it failed.
QByteArray run(const QString& program, const QStringList& arguments);

bool xdotool(const QStringList& arguments);

// How long a test waits for the program to react: `ms`, stretched by CASHIER_TEST_WAIT_FACTOR
// (set by an instrumented build, where every allocation records its stack and windows take seconds).
int waitMs(int ms);

// The mapped top-level windows whose title is exactly `title`.
QStringList visibleWindows(const QString& title);
bool isVisible(const QString& title);

// Whether a popup menu is open (the keyboard is then the menu's).
bool popupMenuShown();

// Gives `title` the keyboard focus, through the window manager as a click on it would.
bool activate(const QString& title);
// Activates the one window titled `title` and presses `key` in it.
bool pressIn(const QString& title, const QString& key);
// A left click at (x, y) inside the one window titled `title`, in its own coordinates.
bool clickIn(const QString& title, int x, int y);

// Starts openbox on the display and waits until it manages it. Without a window manager X leaves
// the focus nowhere once a window closes.
bool startWindowManager(QProcess& windowManager);

// When the current test function failed: saves the whole screen as <temp>/<program>-<function>.png
// and says where, and lists the titles of the windows then mapped.
void saveScreenIfFailed(const char* program);

} // namespace x11
