// imagegen: draws the cashier client's resource images.
//
//   imagegen IMAGES_DIR WORK_DIR
//
// IMAGES_DIR receives every PNG and JPEG image under its resource name. WORK_DIR receives the
// frames of the busy spinner (loading-NN.png) and the application icon at each size
// (setup-NNN.png); scripts/make-images packs those into loading.gif and setup.ico.

#include "generators.h"

#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

using namespace imagegen;

namespace {

bool fail(const QString& message)
{
    std::fprintf(stderr, "imagegen: %s\n", qPrintable(message));
    return false;
}

// Text must come out as real glyphs, never as boxes: insist on the CJK font being installed.
bool checkFont()
{
    const QFont font = uiFont(14);
    const QString family = QFontInfo(font).family();
    if (family != QString::fromLatin1(kUiFontFamily))
        return fail(QString("font \"%1\" not found (got \"%2\"); install fonts-noto-cjk").arg(kUiFontFamily, family));
    if (!QFontMetrics(font).inFont(QChar(0x6536))) // 收
        return fail(QString("font \"%1\" has no Chinese glyphs").arg(kUiFontFamily));
    return true;
}

bool save(const QImage& image, const QString& path)
{
    QImage out = image;
    const char* format = "PNG";
    int quality = -1;
    if (path.endsWith(".jpg")) {
        // JPEG has no alpha: settle the image on white first.
        out = QImage(image.size(), QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter painter(&out);
        painter.drawImage(0, 0, image);
        format = "JPG";
        quality = 92;
    }
    if (!out.save(path, format, quality))
        return fail("cannot write " + path);
    return true;
}

bool run(const QString& imagesDir, const QString& workDir)
{
    if (!checkFont())
        return false;
    if (!QDir().mkpath(imagesDir) || !QDir().mkpath(workDir))
        return fail("cannot create the output directories");

    ImageSet set;
    addButtons(set);
    addTabs(set);
    addBrand(set);
    addPictures(set);
    addIcons(set);
    for (const auto& [name, image] : set.items()) {
        if (!save(image, QDir(imagesDir).filePath(name)))
            return false;
    }

    const std::vector<QImage> frames = spinnerFrames();
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!save(frames[i], QDir(workDir).filePath(QString("loading-%1.png").arg(i, 2, 10, QChar('0')))))
            return false;
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!save(appIcon(size), QDir(workDir).filePath(QString("setup-%1.png").arg(size, 3, 10, QChar('0')))))
            return false;
    }
    std::printf("imagegen: %zu images, %zu spinner frames, 7 icon sizes\n", set.items().size(), frames.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // No display is needed; the offscreen platform still provides the system's fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: imagegen IMAGES_DIR WORK_DIR\n");
        return 2;
    }
    try {
        return run(args.at(1), args.at(2)) ? 0 : 1;
    } catch (const std::exception& e) {
        fail(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
