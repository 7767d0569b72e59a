#include "app/FloatWidget.h"

#include "app/Shell.h"
#include "app/TrayMenu.h"
#include "app/WindowDragger.h"
#include "core/Product.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

FloatWidget::FloatWidget(QWidget* owner) : QWidget(owner), m_owner(owner), m_frame(new QFrame(this))
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
