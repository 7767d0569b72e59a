#pragma once

#include <functional>

class QDialog;
class QObject;

// Every modal window of the program (message boxes, the busy dialog, row dialogs, the settings
// panel) runs its nested event loop through here. Things that arrive from outside meanwhile — an
// amount from the till, say — can then tell that some screen is still inside its own loop and must
// not be torn down under it, and wait until the loops have ended.
namespace modal {

// Runs `dialog` modally and returns its result. While it runs, the widgets the dialog is a child of
// are neither closed nor deleted: a close() of one returns false and its deleteLater() waits; both
// are done, from the event loop, once no running modal loop stands on that widget any more.
int exec(QDialog& dialog);

// True while at least one modal loop started through exec() is running.
bool running();

// Calls `action` once no modal loop is running: soon, from the event loop, if none is running now;
// otherwise after the last one has ended and control is back in the event loop. Dropped when
// `context` is destroyed first.
void whenIdle(QObject* context, std::function<void()> action);

} // namespace modal
