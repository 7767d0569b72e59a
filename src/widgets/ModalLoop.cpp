#include "widgets/ModalLoop.h"

#include <QDialog>
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
} // namespace

int exec(QDialog& dialog)
{
    ++g_depth;
    const int result = dialog.exec();
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
