#include "widgets/Application.h"

#include "core/Product.h"

#include <QApplication>
#include <QIcon>
#include <QPixmapCache>

void prepareApplication()
{
    // Every window here is drawn by the raster engine. Without this Qt loads the OpenGL stack (on
    // Linux, Mesa and its shader compiler) to create the first window: about 100 ms before the
    // login window is mapped, for nothing the program draws.
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
}

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("cashier"));
    QApplication::setApplicationVersion(product::version());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/setup.ico")));
    // The style keeps the pixmaps of the buttons and frames it has drawn, every size and state,
    // up to this much. Qt's default of 10 MiB fills slowly as a shift opens one window after
    // another, and reads as a growing program; the windows on screen at once need far less.
    QPixmapCache::setCacheLimit(2048);
    // The program lives in the tray: closing a window, or a message box closing while its owner is
    // hidden, must not end it. It ends through shell::quit() only.
    QApplication::setQuitOnLastWindowClosed(false);
}
