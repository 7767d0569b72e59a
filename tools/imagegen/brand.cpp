// The brand mark in its settings: the window logo, the about-box picture, the floating badge and
// the application icon. The mark is a wallet with a card and a code finder; no lettering.

#include "generators.h"
#include "glyphs.h"

namespace imagegen {

namespace {

QLinearGradient brandGradient(const QRectF& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, QColor(0x45, 0xC6, 0xFF));
    gradient.setColorAt(0.55, palette::brand);
    gradient.setColorAt(1, QColor(0x00, 0x86, 0xDA));
    return gradient;
}

// A glossy sheen over the upper part of a badge.
void sheen(QPainter& p, const QPainterPath& shape, const QRectF& rect)
{
    p.save();
    p.setClipPath(shape);
    QLinearGradient gloss(rect.topLeft(), QPointF(rect.left(), rect.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 50));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(rect, gloss);
    p.restore();
}

QRectF glyphBox(const QRectF& badge, qreal share)
{
    const qreal side = badge.width() * share;
    return QRectF(badge.center().x() - side / 2, badge.center().y() - side / 2 + badge.height() * 0.01, side, side);
}

// Logo.png: a white tile with the blue mark, for the blue title bands of the login and main windows.
QImage windowLogo()
{
    QImage image = canvas(64, 64);
    QPainter p(&image);
    preparePainter(p);
    const QRectF tile(4, 3, 56, 56);
    const QPainterPath shape = roundedRect(tile, 13);
    drawSoftShadow(p, shape, QPointF(0, 1.5), 2, QColor(0, 40, 90, 90));
    p.fillPath(shape, verticalGradient(tile, Qt::white, QColor(0xEC, 0xF7, 0xFF)));
    const QRectF box = glyphBox(tile, 0.66);
    p.fillPath(glyphs::wallet(box, true), brandGradient(box));
    return image;
}

// pc_logo.png: a desktop monitor showing the mark, for the about box.
QImage desktopLogo()
{
    QImage image = canvas(100, 100);
    QPainter p(&image);
    preparePainter(p);
    const QRectF bezel(8, 14, 84, 58);
    const QPainterPath bezelShape = roundedRect(bezel, 6);
    drawSoftShadow(p, bezelShape, QPointF(0, 2), 2.5, QColor(0, 30, 70, 80));

    // Stand first, so the bezel overlaps its neck.
    QPainterPath neck;
    neck.moveTo(43, 70);
    neck.lineTo(57, 70);
    neck.lineTo(60, 84);
    neck.lineTo(40, 84);
    neck.closeSubpath();
    p.fillPath(neck, verticalGradient(QRectF(40, 70, 20, 14), QColor(0x9A, 0xA8, 0xB8), QColor(0xC4, 0xCE, 0xD9)));
    const QRectF base(27, 83, 46, 6);
    p.fillPath(roundedRect(base, 3), verticalGradient(base, QColor(0xD5, 0xDD, 0xE6), QColor(0xA9, 0xB6, 0xC4)));

    p.fillPath(bezelShape, verticalGradient(bezel, QColor(0x34, 0x44, 0x57), QColor(0x1F, 0x2B, 0x39)));
    const QRectF screen = bezel.adjusted(4, 4, -4, -4);
    const QPainterPath screenShape = roundedRect(screen, 3);
    p.fillPath(screenShape, brandGradient(screen));
    sheen(p, screenShape, screen);
    const QRectF box(screen.center().x() - 18, screen.center().y() - 17, 36, 36);
    p.fillPath(glyphs::wallet(box, true), Qt::white);
    p.fillRect(QRectF(48.5, 69.5, 3, 1), QColor(0x6E, 0xC9, 0xFF)); // power light
    return image;
}

// float_logo.png: the round badge that floats on the desktop while the window is in the tray.
QImage floatingBadge()
{
    QImage image = canvas(80, 80);
    QPainter p(&image);
    preparePainter(p);
    const QRectF circle(4, 3, 72, 72);
    QPainterPath shape;
    shape.addEllipse(circle);
    drawSoftShadow(p, shape, QPointF(0, 1.5), 2, QColor(0, 30, 70, 100));
    p.fillPath(shape, Qt::white);
    const QRectF face = circle.adjusted(3, 3, -3, -3);
    QPainterPath faceShape;
    faceShape.addEllipse(face);
    p.fillPath(faceShape, brandGradient(face));
    sheen(p, faceShape, face);
    p.fillPath(glyphs::wallet(glyphBox(face, 0.56), true), Qt::white);
    return image;
}

} // namespace

void addBrand(ImageSet& set)
{
    set.add("Logo.png", windowLogo());
    set.add("pc_logo.png", desktopLogo());
    set.add("float_logo.png", floatingBadge());
}

QImage appIcon(int size)
{
    QImage image = canvas(size, size);
    QPainter p(&image);
    preparePainter(p);
    // Small sizes use the whole square; large ones leave room for a shadow.
    const qreal margin = size >= 48 ? size / 32.0 : 0;
    const QRectF tile(margin, margin * 0.6, size - 2 * margin, size - 2 * margin);
    const QPainterPath shape = roundedRect(tile, tile.width() * 0.22);
    if (margin > 0)
        drawSoftShadow(p, shape, QPointF(0, margin * 0.4), margin * 0.6, QColor(0, 30, 70, 90));
    p.fillPath(shape, brandGradient(tile));
    sheen(p, shape, tile);
    const bool detailed = size >= 32;
    p.fillPath(glyphs::wallet(glyphBox(tile, detailed ? 0.66 : 0.78), detailed), Qt::white);
    return image;
}

} // namespace imagegen
