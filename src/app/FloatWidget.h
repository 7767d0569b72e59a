#pragma once

#include "core/SettingsPage.h"

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
// merchant-copy receipt. The gateway hands each order out once, so orders are fetched only while
// they can be printed; otherwise they stay queued there.
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

signals:
    // "退出" from the menu: the owner ends the program.
    void quitRequested();
    // A settings entry of the menu.
    void settingsPageRequested(SettingsPage page);

public slots:
    void showWindow();
    void closeWindow();
    void doSetting(SettingsPage type);
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
    // The cashier has been told the printer is missing; not again until it has come back.
    bool m_toldNoPrinter = false;
};
