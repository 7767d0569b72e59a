#include "widgets/Keys.h"

#include <QAbstractButton>
#include <QShortcut>

void clickOnKey(QAbstractButton* button, const QKeySequence& key)
{
    auto* shortcut = new QShortcut(key, button);
    // Clicked from the event loop's next turn, not from inside the shortcut's delivery: the click
    // may close and delete the window the shortcut belongs to.
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click, Qt::QueuedConnection);
}
