#pragma once

#include "print/PrintOrders.h"

#include <QJsonObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class HttpFun;
class QFrame;
class QTimer;

// The small logo that stands in for its owner window while the owner is hidden in the tray:
// double-click brings the owner back, right-click opens the tray menu. It also carries the
// print-order poll: the gateway lists the orders queued there for printing, and each is printed as a
// merchant-copy receipt.
class FloatWidget : public QWidget
{
    Q_OBJECT

public:
    // `owner` is what the widget shows and closes; the widget is a window of its own that lives as
    // long as its owner.
    explicit FloatWidget(QWidget* owner);

    // Polls for print orders now and then every "print_poll_seconds" of data.ini; does nothing when
    // that is 0. Only the main window's widget polls, once the cashier is logged in.
    void startPrintPolling();
    // True while a poll's reply is still out; another poll meanwhile is skipped.
    bool isPrintPollPending() const { return !m_printPoll.isNull(); }

public slots:
    void showWindow();
    void closeWindow();
    void doSetting(int type);
    void slot_doPrint(bool bSuccess, const QByteArray& byteResult);
    void doPrint(QJsonObject object);
    void doPrintLoop();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPointer<QWidget> m_owner;
    QFrame* m_frame;
    QTimer* m_printTimer;
    QPointer<HttpFun> m_printPoll;
    printorders::PrintedOrders m_printedOrders;
};
