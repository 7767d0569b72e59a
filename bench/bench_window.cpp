// The least a Qt Widgets program does to put a window on screen: the baseline for the cashier's
// start-up to its login window (bench_cashier_x11 starts both, side by side). With "raster" it
// asks for raster-only windows as the cashier does, and so never loads the OpenGL stack.
//
//   bench_window WIDTH HEIGHT TITLE [raster]

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 4 && std::strcmp(argv[4], "raster") == 0)
        QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    QWidget window;
    window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    window.setWindowTitle(QString::fromUtf8(argv[3]));
    window.show();
    return app.exec();
}
