#include "widgets/FirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget* window, std::function<void()> work) : QObject(window), m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_fired) {
            m_fired = true;
            // After this paint has reached the screen, not in the middle of it.
            QTimer::singleShot(0, watched, std::move(m_work));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_work;
    bool m_fired = false;
};
} // namespace

void afterFirstPaint(QWidget* window, std::function<void()> work)
{
    new FirstPaintWatch(window, std::move(work));
}
