#include "app/FloatWidget.h"

#include "app/Shell.h"
#include "app/TrayMenu.h"
#include "app/WindowDragger.h"
#include "config/DataConfig.h"
#include "core/Product.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "print/PrintLog.h"
#include "print/Printer.h"
#include "print/ReceiptDocuments.h"

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
    if (m_owner)
        m_owner->close();
}

void FloatWidget::doSetting(int type)
{
    shell::openSettingsPage(type);
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
    for (const QJsonObject& order : printorders::ordersInReply(byteResult)) {
        if (m_printedOrders.markPrinted(order))
            doPrint(order);
        else
            qCInfo(lcPrint) << "print order" << order.value(QLatin1String("order_num")) << "sent again, not reprinted";
    }
}

void FloatWidget::doPrint(QJsonObject object)
{
    // No check of the printer name here: printHtml skips a printer that is not installed.
    Printer::printHtml(receipt::printOrderReceipt(object, DataConfig::instance().getServiceHotline()));
}

void FloatWidget::doPrintLoop()
{
    // A slow gateway must not pile polls up: each could hand out the same orders again.
    if (m_printPoll)
        return;
    m_printPoll = new HttpFun;
    connect(m_printPoll, &HttpFun::signal_requestFinished, this, &FloatWidget::slot_doPrint);
    m_printPoll->post(gateway::gatewayUrl(), gateway::printOrdersBody(SessionData::instance().token()));
}
