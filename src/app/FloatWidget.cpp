#include "app/FloatWidget.h"

#include "app/TrayMenu.h"
#include "config/DataConfig.h"
#include "core/Product.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "print/PrintLog.h"
#include "print/PrintOrders.h"
#include "print/ReceiptDocuments.h"
#include "widgets/Printer.h"
#include "widgets/WindowDragger.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

FloatWidget::FloatWidget(QWidget* owner)
    : QWidget(owner), m_owner(owner), m_frame(new QFrame(this)), m_printTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("FloatWidget"));
    setWindowTitle(QStringLiteral("Form"));
    resize(81, 80);
    setMinimumSize(80, 80);
    setMaximumSize(240, 80);
    setStyleSheet(QStringLiteral("background-color: rgba(255, 255, 255, 0);"));
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint);
    setToolTip(product::name() + QStringLiteral("PC端V") + product::version());

    m_frame->setObjectName(QStringLiteral("frame"));
    m_frame->setGeometry(0, 0, 80, 80);
    m_frame->setMinimumSize(80, 80);
    m_frame->setMaximumSize(80, 80);
    m_frame->setStyleSheet(QStringLiteral("background-image: url(:/images/float_logo.png);"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().width() - 290, 50);
    new WindowDragger(this);

    // Created stopped: the login window's widget never polls; the main window's starts it.
    m_printTimer->setObjectName(QStringLiteral("printTimer"));
    connect(m_printTimer, &QTimer::timeout, this, &FloatWidget::doPrintLoop);
}

void FloatWidget::startPrintPolling()
{
    const int seconds = DataConfig::instance().getPrintPollSeconds();
    if (seconds <= 0)
        return;
    m_printTimer->start(seconds * 1000);
    // Orders queued while nobody was logged in are printed now, not a whole interval later.
    doPrintLoop();
}

void FloatWidget::showWindow()
{
    if (!m_owner)
        return;
    m_owner->showNormal();
    m_owner->raise();
    m_owner->activateWindow();
}

void FloatWidget::closeWindow()
{
    emit quitRequested();
}

void FloatWidget::doSetting(SettingsPage type)
{
    emit settingsPageRequested(type);
}

void FloatWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        showWindow();
}

void FloatWidget::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new TrayMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &TrayMenu::showWindow, this, &FloatWidget::showWindow);
    connect(menu, &TrayMenu::quitWindow, this, &FloatWidget::closeWindow);
    connect(menu, &TrayMenu::doSetting, this, &FloatWidget::doSetting);
    menu->popup(event->globalPos());
}

void FloatWidget::slot_doPrint(bool bSuccess, const QByteArray& byteResult)
{
    if (!bSuccess)
        return;
    // Each order is handed out once: whatever comes is printed, a repeat the back office queued too.
    for (const QJsonObject& order : printorders::ordersInReply(byteResult))
        doPrint(order);
}

void FloatWidget::doPrint(QJsonObject object)
{
    Printer::printHtml(receipt::printOrderReceipt(object, DataConfig::instance().getServiceHotline()));
}

void FloatWidget::doPrintLoop()
{
    // A slow gateway must not pile polls up: each could hand out the same orders again.
    if (m_printPoll)
        return;
    // Orders fetched now could not be printed and would be gone from the gateway: leave them queued.
    switch (Printer::state()) {
    case Printer::State::NotWanted:
        return;
    case Printer::State::Missing:
        qCInfo(lcPrint) << "printer missing; print orders left at the gateway";
        if (!m_toldNoPrinter) {
            m_toldNoPrinter = true;
            Printer::tellNoPrinter(m_owner);
        }
        return;
    case Printer::State::Ready:
        m_toldNoPrinter = false;
        break;
    }
    m_printPoll = new HttpFun;
    connect(m_printPoll, &HttpFun::signal_requestFinished, this, &FloatWidget::slot_doPrint);
    m_printPoll->post(gateway::gatewayUrl(), gateway::printOrdersBody(SessionData::instance().token()));
}
