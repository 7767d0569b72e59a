// Small icons: the login fields' account and password marks, the "new" action, and the busy spinner.

#include "generators.h"
#include "glyphs.h"

#include <QtMath>

namespace imagegen {

namespace {

QImage fieldIcon(const QPainterPath& glyph)
{
    QImage image = canvas(22, 22);
    QPainter p(&image);
    preparePainter(p);
    p.fillPath(glyph, palette::inkSoft);
    return image;
}

QImage createIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    preparePainter(p);
    QPainterPath disc;
    disc.addEllipse(QRectF(1, 1, 30, 30));
    p.fillPath(disc, verticalGradient(QRectF(1, 1, 30, 30), palette::brandLight, palette::brandDark));
    p.fillPath(glyphs::plus(QRectF(6, 6, 20, 20), 3), Qt::white);
    return image;
}

// The spinner is shown on the white busy dialog. GIF keeps only on/off transparency, so every
// partly covered pixel is blended onto white here and made opaque; the rest stays clear.
QImage flattenForGif(const QImage& source)
{
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(row[x]);
            if (a < 16) {
                row[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            auto over = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
            row[x] = qRgba(over(qRed(row[x])), over(qGreen(row[x])), over(qBlue(row[x])), 255);
        }
    }
    return out;
}

} // namespace

void addIcons(ImageSet& set)
{
    set.add("login_user.png", fieldIcon(glyphs::person(QRectF(2, 1.5, 18, 18))));
    set.add("login_password.png", fieldIcon(glyphs::padlock(QRectF(2, 1.5, 18, 18), false)));
    set.add("create.png", createIcon());
}

std::vector<QImage> spinnerFrames()
{
    const int count = 12;
    const QPointF centre(30.5, 30.5);
    const qreal orbit = 21;
    std::vector<QImage> frames;
    for (int frame = 0; frame < count; ++frame) {
        QImage image = canvas(61, 61);
        QPainter p(&image);
        preparePainter(p);
        for (int position = 0; position < count; ++position) {
            // The dot at the frame's position leads, clockwise; those behind it fade and shrink into a tail.
            const int age = (frame - position + count) % count;
            const qreal t = qreal(age) / (count - 1);
            const qreal angle = qDegreesToRadians(-90.0 + 360.0 * position / count);
            const QPointF at = centre + QPointF(orbit * qCos(angle), orbit * qSin(angle));
            const qreal radius = 4.6 - 2.0 * t;
            QPainterPath disc;
            disc.addEllipse(at, radius, radius);
            p.fillPath(disc, mix(palette::brand, QColor(0xC8, 0xEB, 0xFF), t));
        }
        p.end();
        frames.push_back(flattenForGif(image));
    }
    return frames;
}

} // namespace imagegen
