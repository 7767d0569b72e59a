#pragma once

#include <QJsonObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QFrame;
class QTimer;

// The small logo that stands in for its owner window while the owner is hidden in the tray:
// double-click brings the owner back, right-click opens the tray menu.
class FloatWidget : public QWidget
{
    Q_OBJECT

public:
    // `owner` is what the widget shows and closes; the widget is a window of its own that lives as
    // long as its owner.
    explicit FloatWidget(QWidget* owner);

public slots:
    void showWindow();
    void closeWindow();
    void doSetting(int type);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPointer<QWidget> m_owner;
    QFrame* m_frame;
};
