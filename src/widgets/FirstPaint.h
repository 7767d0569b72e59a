#pragma once

#include <functional>

class QWidget;

// Runs `work` once, from the event loop, after `window` has been painted for the first time: slow
// work that can wait a moment (spooling a receipt, starting the network) then no longer keeps the
// window off the screen. `work` never runs if the window is destroyed before its first paint.
void afterFirstPaint(QWidget* window, std::function<void()> work);
