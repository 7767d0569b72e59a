#pragma once

#include <QKeySequence>

class QAbstractButton;

// The keypad's Enter key as a button shortcut. Qt::Key_Enter only ever comes from the keypad (the
// main Enter key is Key_Return). The keypad modifier stays out of the sequence: under X11 the key
// reaches the shortcut map without it, so a "Num+Enter" shortcut never fired there, while on
// Windows the key carries the modifier and the map falls back to the plain sequence.
inline QKeySequence keypadEnterKey()
{
    return QKeySequence(Qt::Key_Enter);
}

// `key` clicks `button` at the event loop's next turn, in the button's window while the button is
// visible and enabled, as its own shortcut would. A button's own shortcut animates the press and clicks 100 ms later:
// every key of a cashier's day (F1, the keypad's Enter, Return on a confirm) would wait that long.
void clickOnKey(QAbstractButton* button, const QKeySequence& key);
