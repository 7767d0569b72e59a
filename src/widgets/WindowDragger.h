#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

// Lets a frameless window be moved with the left mouse button: press starts dragging, each move
// shifts the window by the cursor's displacement since the last move, release ends it. Installed
// on the window (and on child widgets that should act as a handle).
class WindowDragger : public QObject
{
    Q_OBJECT

public:
    explicit WindowDragger(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_dragging = false;
    QPoint m_lastPosition;
};

// Frameless, always on top, centred on the desktop and draggable: the look of the cashier's windows.
void setUpFramelessWindow(QWidget* window);
