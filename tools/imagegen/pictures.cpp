// Window backgrounds and illustrations: the main-window and banner backgrounds, the avatar, the
// waiting-for-payment picture of the scan dialog and the payment-succeeded mark.

#include "generators.h"
#include "glyphs.h"

#include <QRadialGradient>
#include <QTransform>

#include <cstdint>

namespace imagegen {

namespace {

// Faint white discs and rings that keep a large blue area from looking flat. Low contrast on
// purpose: the banner is also stretched into thin strips and shown behind text.
void blueDecor(QPainter& p, const QRectF& area)
{
    const qreal w = area.width();
    const qreal h = area.height();
    auto disc = [&](qreal cx, qreal cy, qreal r, int alpha) {
        QPainterPath path;
        path.addEllipse(QPointF(area.left() + cx * w, area.top() + cy * h), r * h, r * h);
        p.fillPath(path, QColor(255, 255, 255, alpha));
    };
    p.save();
    p.setClipRect(area);
    disc(0.88, 0.05, 0.95, 14);
    disc(1.00, 0.95, 0.62, 12);
    disc(0.05, 1.10, 0.55, 10);
    p.setPen(QPen(QColor(255, 255, 255, 26), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(area.left() + 0.80 * w, area.top() + 0.25 * h), 1.15 * h, 1.15 * h);
    p.restore();
}

QLinearGradient skyGradient(const QRectF& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, QColor(0x26, 0xBA, 0xFF));
    gradient.setColorAt(0.6, QColor(0x00, 0xA2, 0xF6));
    gradient.setColorAt(1, QColor(0x00, 0x8A, 0xE0));
    return gradient;
}

// main_bg.png: blue title band for the logo, tabs and window buttons; light body; the tab pages
// sit at (10, 135) as 780 x 455 on a white card.
QImage mainBackground()
{
    QImage image = canvas(800, 600);
    QPainter p(&image);
    preparePainter(p);
    const QRectF all(0, 0, 800, 600);
    p.fillRect(all, palette::page);
    const QRectF band(0, 0, 800, 125);
    p.fillRect(band, skyGradient(band));
    blueDecor(p, band);
    p.fillRect(QRectF(0, 124, 800, 1), QColor(0x00, 0x80, 0xCC));

    const QRectF card(10, 135, 780, 455);
    QPainterPath cardShape;
    cardShape.addRect(card);
    drawSoftShadow(p, cardShape, QPointF(0, 1), 3, QColor(20, 50, 90, 60));
    p.fillPath(cardShape, Qt::white);

    // A hairline frame, so the frameless window keeps an edge on a white desktop.
    p.setPen(QPen(QColor(0, 60, 110, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 799, 599));
    return image;
}

// login_bg.png: the blue banner of the login window, the keypad heading and the shop dialog.
QImage bannerBackground()
{
    QImage image = canvas(520, 240);
    QPainter p(&image);
    preparePainter(p);
    const QRectF all(0, 0, 520, 240);
    p.fillRect(all, skyGradient(all));
    blueDecor(p, all);
    QPainterPath wave(QPointF(0, 200));
    wave.cubicTo(QPointF(140, 170), QPointF(300, 236), QPointF(520, 196));
    wave.lineTo(520, 240);
    wave.lineTo(0, 240);
    wave.closeSubpath();
    p.fillPath(wave, QColor(255, 255, 255, 16));
    return image;
}

// fawn_face.png: the avatar of the merchant pages.
QImage fawnFace()
{
    QImage image = canvas(120, 120);
    QPainter p(&image);
    preparePainter(p);
    QPainterPath backdrop;
    backdrop.addEllipse(QRectF(1, 1, 118, 118));
    p.fillPath(backdrop, verticalGradient(QRectF(0, 0, 120, 120), QColor(0xEA, 0xF7, 0xFF), QColor(0xCF, 0xEC, 0xFF)));

    const QColor fur(0xC9, 0x86, 0x50);
    const QColor furDark(0xA5, 0x66, 0x38);
    const QColor cream(0xFC, 0xEE, 0xDB);
    const QColor earInner(0xF4, 0xC4, 0xA4);

    auto ellipse = [](qreal cx, qreal cy, qreal rx, qreal ry, qreal degrees) {
        QPainterPath path;
        path.addEllipse(QPointF(0, 0), rx, ry);
        QTransform t;
        t.translate(cx, cy);
        t.rotate(degrees);
        return t.map(path);
    };

    // Long pointed ears, set wide and tilted up.
    auto leaf = [](qreal length, qreal width) {
        QPainterPath path(QPointF(0, 0));
        path.cubicTo(length * 0.3, -width, length * 0.8, -width * 0.75, length, 0);
        path.cubicTo(length * 0.8, width * 0.75, length * 0.3, width, 0, 0);
        return path;
    };
    for (int side : {-1, 1}) {
        QTransform t;
        t.translate(60 + side * 20, 47);
        t.rotate(side > 0 ? -22 : 202);
        p.fillPath(t.map(leaf(36, 13)), fur);
        p.fillPath(t.map(leaf(22, 7).translated(9, 0)), earInner);
    }

    QPainterPath head = ellipse(60, 60, 31, 30, 0).united(ellipse(60, 80, 21, 18, 0));
    drawSoftShadow(p, head, QPointF(0, 2), 2, QColor(90, 50, 20, 60));
    p.fillPath(head, verticalGradient(QRectF(29, 30, 62, 68), QColor(0xD3, 0x92, 0x5C), fur));
    p.setPen(QPen(furDark, 1));
    p.drawPath(head);
    p.setPen(Qt::NoPen);

    // Forehead spots and the pale muzzle.
    for (const QPointF& spot : {QPointF(52, 43), QPointF(68, 43), QPointF(60, 37), QPointF(46, 50), QPointF(74, 50)})
        p.fillPath(ellipse(spot.x(), spot.y(), 2.6, 2.2, 0), cream);
    p.fillPath(ellipse(60, 84, 17, 12.5, 0), cream);

    // Eyes with catch-lights.
    for (int side : {-1, 1}) {
        const qreal cx = 60 + side * 13.5;
        p.fillPath(ellipse(cx, 64, 5.8, 7.2, 0), QColor(0x2B, 0x1D, 0x16));
        p.fillPath(ellipse(cx + 1.8, 61.2, 2.1, 2.3, 0), Qt::white);
        p.fillPath(ellipse(cx - 1.6, 67, 0.9, 0.9, 0), QColor(255, 255, 255, 200));
        p.fillPath(ellipse(cx + side * 6, 75, 5, 3, 0), QColor(0xF2, 0x8F, 0x8F, 110));
    }

    // Nose and mouth.
    QPainterPath nose;
    nose.moveTo(53.5, 78);
    nose.quadTo(60, 74.5, 66.5, 78);
    nose.quadTo(66, 83, 60, 84.5);
    nose.quadTo(54, 83, 53.5, 78);
    p.fillPath(nose, QColor(0x3A, 0x28, 0x20));
    p.fillPath(ellipse(58, 77.6, 2.2, 1.1, -10), QColor(255, 255, 255, 120));
    QPainterPath mouth(QPointF(54.5, 88));
    mouth.quadTo(57.5, 91.5, 60, 88.5);
    mouth.quadTo(62.5, 91.5, 65.5, 88);
    p.strokePath(mouth, QPen(QColor(0x7A, 0x4A, 0x32), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath philtrum(QPointF(60, 84.5));
    philtrum.lineTo(60, 88.5);
    p.strokePath(philtrum, QPen(QColor(0x7A, 0x4A, 0x32), 1.2, Qt::SolidLine, Qt::RoundCap));
    return image;
}

// A deterministic stand-in for a payment code: finder squares in three corners, noise elsewhere.
void paintCodeModules(QPainter& p, const QPointF& origin, qreal module, const QColor& ink)
{
    const int n = 21;
    std::uint32_t state = 0x2545F491u;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    auto inFinder = [n](int x, int y) { return (x < 8 && y < 8) || (x >= n - 8 && y < 8) || (x < 8 && y >= n - 8); };
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if (!inFinder(x, y) && next() % 100 < 48)
                p.fillRect(QRectF(origin.x() + x * module, origin.y() + y * module, module, module), ink);
        }
    }
    for (const QPoint& corner : {QPoint(0, 0), QPoint(n - 7, 0), QPoint(0, n - 7)}) {
        const QPointF at(origin.x() + corner.x() * module, origin.y() + corner.y() * module);
        p.fillRect(QRectF(at, QSizeF(7 * module, 7 * module)), ink);
        p.fillRect(QRectF(at + QPointF(module, module), QSizeF(5 * module, 5 * module)), Qt::white);
        p.fillRect(QRectF(at + QPointF(2 * module, 2 * module), QSizeF(3 * module, 3 * module)), ink);
    }
}

// waitForPay.png: a phone showing its payment code, a hand scanner's beam across the bar code and
// sound waves for codes sent as audio. Drawn for the blue scan dialog.
QImage waitForPay()
{
    QImage image = canvas(240, 180);
    QPainter p(&image);
    preparePainter(p);

    QRadialGradient glow(QPointF(120, 90), 95);
    glow.setColorAt(0, QColor(255, 255, 255, 70));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, 240, 180), glow);

    for (int i = 0; i < 3; ++i) {
        const qreal r = 12 + i * 11;
        p.setPen(QPen(QColor(255, 255, 255, 220 - i * 60), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(66 - r, 92 - r, 2 * r, 2 * r), 140 * 16, 80 * 16);
    }

    const QRectF phone(78, 10, 84, 160);
    const QPainterPath phoneShape = roundedRect(phone, 14);
    drawSoftShadow(p, phoneShape, QPointF(0, 3), 3, QColor(0, 30, 70, 110));
    p.fillPath(phoneShape, verticalGradient(phone, QColor(0x2F, 0x40, 0x54), QColor(0x1B, 0x27, 0x35)));
    const QRectF screen(84, 26, 72, 126);
    p.fillPath(roundedRect(screen, 4), Qt::white);
    p.fillPath(roundedRect(QRectF(108, 17, 24, 3.5), 1.75), QColor(0x51, 0x62, 0x76));
    p.fillPath(roundedRect(QRectF(108, 157, 24, 4), 2), QColor(0x51, 0x62, 0x76));

    // The payment page: a coloured header, the two-dimensional code and the bar code.
    p.save();
    p.setClipPath(roundedRect(screen, 4));
    p.fillRect(QRectF(screen.left(), screen.top(), screen.width(), 13), palette::brand);
    p.restore();
    p.fillRect(QRectF(90, 31, 22, 3), QColor(255, 255, 255, 200));
    paintCodeModules(p, QPointF(95.3, 46), 2.4, palette::ink);
    std::uint32_t seed = 7;
    qreal x = 90;
    while (x < 149) {
        seed = seed * 1103515245u + 12345u;
        const qreal bar = 0.8 + ((seed >> 16) % 3) * 0.8;
        if ((seed >> 20) % 5 != 0)
            p.fillRect(QRectF(x, 106, bar, 20), palette::ink);
        x += bar + 1.0 + ((seed >> 24) % 2) * 0.8;
    }
    p.fillRect(QRectF(96, 130, 48, 2), QColor(0xB8, 0xC3, 0xCF));
    p.fillRect(QRectF(104, 136, 32, 2), QColor(0xD4, 0xDB, 0xE3));

    // The scanner, held to the right of the phone, and its beam fanning onto the bar code.
    QPainterPath beam(QPointF(181, 84));
    beam.lineTo(150, 104);
    beam.lineTo(150, 128);
    beam.lineTo(183, 94);
    beam.closeSubpath();
    QLinearGradient beamFade(QPointF(183, 90), QPointF(150, 116));
    beamFade.setColorAt(0, QColor(255, 59, 48, 150));
    beamFade.setColorAt(1, QColor(255, 59, 48, 40));
    p.fillPath(beam, beamFade);
    QPainterPath laser(QPointF(88, 116));
    laser.lineTo(152, 116);
    p.strokePath(laser, QPen(QColor(255, 45, 45, 230), 1.8, Qt::SolidLine, Qt::RoundCap));

    QTransform tilt;
    tilt.translate(200, 96);
    tilt.rotate(-18);
    tilt.translate(-200, -96);
    QPainterPath scanner = roundedRect(QRectF(178, 78, 50, 26), 9);
    scanner = scanner.united(roundedRect(QRectF(202, 94, 19, 62), 8));
    scanner = tilt.map(scanner).simplified();
    drawSoftShadow(p, scanner, QPointF(0, 2), 2.5, QColor(0, 30, 70, 110));
    p.fillPath(scanner, verticalGradient(scanner.boundingRect(), QColor(0xFA, 0xFC, 0xFE), QColor(0xD9, 0xE1, 0xEA)));
    p.setPen(QPen(QColor(0x8C, 0x9C, 0xAE), 1.2));
    p.drawPath(scanner);
    p.setPen(Qt::NoPen);
    p.fillPath(tilt.map(roundedRect(QRectF(177, 82, 6, 18), 2.5)), QColor(0x2B, 0x38, 0x47));
    p.fillPath(tilt.map(roundedRect(QRectF(196, 101, 7, 13), 3)), QColor(0x2B, 0x38, 0x47));
    p.fillPath(tilt.map(roundedRect(QRectF(206, 84, 14, 4), 2)), palette::brand);
    return image;
}

// pay_succeed.png: a large tick on a green disc with a white rim.
QImage paySucceeded()
{
    QImage image = canvas(120, 120);
    QPainter p(&image);
    preparePainter(p);
    QPainterPath halo;
    halo.addEllipse(QPointF(60, 58), 56, 56);
    p.fillPath(halo, QColor(255, 255, 255, 60));
    QPainterPath rim;
    rim.addEllipse(QPointF(60, 58), 51, 51);
    drawSoftShadow(p, rim, QPointF(0, 2), 2.5, QColor(0, 0, 0, 70));
    p.fillPath(rim, Qt::white);
    QPainterPath disc;
    disc.addEllipse(QPointF(60, 58), 46, 46);
    p.fillPath(disc, verticalGradient(disc.boundingRect(), palette::success, palette::successDark));
    p.fillPath(glyphs::tick(QRectF(25, 24, 70, 70), 10).translated(0, 1.5), QColor(0, 60, 30, 60));
    p.fillPath(glyphs::tick(QRectF(25, 24, 70, 70), 10), Qt::white);
    return image;
}

} // namespace

void addPictures(ImageSet& set)
{
    set.add("main_bg.png", mainBackground());
    set.add("login_bg.png", bannerBackground());
    set.add("fawn_face.png", fawnFace());
    set.add("waitForPay.png", waitForPay());
    set.add("pay_succeed.png", paySucceeded());
}

} // namespace imagegen
