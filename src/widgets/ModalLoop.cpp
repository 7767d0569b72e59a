#include "widgets/ModalLoop.h"

#include <QDialog>
#include <QEvent>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QTimer>

namespace modal {

namespace {
int g_depth = 0;
QList<QPair<QPointer<QObject>, std::function<void()>>> g_waiting;

// Queued rather than called at once: the code that ran the loop is still on the stack when it
// returns, and whatever the waiting action does (replace a tab, say) must happen after it.
void post(QObject* context, std::function<void()> action)
{
    QTimer::singleShot(0, context, [context = QPointer<QObject>(context), action = std::move(action)] {
        if (!context)
            return;
        if (g_depth > 0)
            g_waiting.append({context, action});
        else
            action();
    });
}

void releaseWaiting()
{
    const auto waiting = std::move(g_waiting);
    g_waiting.clear();
    for (const auto& entry : waiting) {
        if (entry.first)
            post(entry.first, entry.second);
    }
}

// Keeps the windows a dialog stands on alive while its loop runs. The dialog is a child of one of
// them: closing one (WA_DeleteOnClose) or deleting it would free the dialog, and the code that
// runs it, from under the loop. A close or deferred deletion that arrives meanwhile is held and
// done once the loop has ended; should another loop stand on the widget by then, its guard holds
// it again. Not held until every loop has ended: a dialog asked to close while a box of its own is
// open would then stay open, its own loop being one of them.
class AncestorGuard : public QObject
{
public:
    explicit AncestorGuard(QDialog& dialog)
    {
        for (QWidget* ancestor = dialog.parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
            ancestor->installEventFilter(this);
            m_ancestors.append(ancestor);
        }
    }

    ~AncestorGuard() override
    {
        for (const QPointer<QWidget>& ancestor : m_ancestors)
            if (ancestor)
                ancestor->removeEventFilter(this);
        for (const Held& held : m_held) {
            QWidget* widget = held.widget;
            if (!widget)
                continue;
            QTimer::singleShot(0, widget, [widget, close = held.close, destroy = held.destroy] {
                if (close)
                    widget->close();
                if (destroy)
                    widget->deleteLater();
            });
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool isClose = event->type() == QEvent::Close;
        if (!isClose && event->type() != QEvent::DeferredDelete)
            return false;
        Held& held = heldFor(static_cast<QWidget*>(watched));
        (isClose ? held.close : held.destroy) = true;
        // An ignored close makes close() return false and keeps WA_DeleteOnClose from firing.
        event->ignore();
        return true;
    }

private:
    struct Held
    {
        QPointer<QWidget> widget;
        bool close = false;
        bool destroy = false;
    };

    Held& heldFor(QWidget* widget)
    {
        for (Held& held : m_held)
            if (held.widget == widget)
                return held;
        m_held.append(Held{widget});
        return m_held.last();
    }

    QList<QPointer<QWidget>> m_ancestors;
    QList<Held> m_held;
};
} // namespace

int exec(QDialog& dialog)
{
    ++g_depth;
    int result = 0;
    {
        const AncestorGuard guard(dialog);
        result = dialog.exec();
    }
    if (--g_depth == 0)
        releaseWaiting();
    return result;
}

bool running()
{
    return g_depth > 0;
}

void whenIdle(QObject* context, std::function<void()> action)
{
    if (g_depth > 0)
        g_waiting.append({context, std::move(action)});
    else
        post(context, std::move(action));
}

} // namespace modal
