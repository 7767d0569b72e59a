#pragma once

#include <QKeySequence>

// The keypad's Enter key as a button shortcut. Qt::Key_Enter only ever comes from the keypad (the
// main Enter key is Key_Return). The keypad modifier stays out of the sequence: under X11 the key
// reaches the shortcut map without it, so a "Num+Enter" shortcut never fired there, while on
// Windows the key carries the modifier and the map falls back to the plain sequence.
inline QKeySequence keypadEnterKey()
{
    return QKeySequence(Qt::Key_Enter);
}
