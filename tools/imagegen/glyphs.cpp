#include "glyphs.h"

#include "paint.h"

#include <QPainterPathStroker>
#include <QTransform>
#include <QtMath>

namespace imagegen::glyphs {

namespace {

// Maps unit-square coordinates onto a box.
struct Unit
{
    QRectF box;
    QPointF p(qreal x, qreal y) const { return {box.x() + x * box.width(), box.y() + y * box.height()}; }
    qreal s(qreal v) const { return v * box.width(); }
    QRectF r(qreal x, qreal y, qreal w, qreal h) const { return {p(x, y), QSizeF(s(w), s(h))}; }
    QPainterPath line(qreal x1, qreal y1, qreal x2, qreal y2) const
    {
        QPainterPath path(p(x1, y1));
        path.lineTo(p(x2, y2));
        return path;
    }
    QPainterPath polyline(std::initializer_list<QPointF> points) const
    {
        QPainterPath path;
        bool first = true;
        for (const QPointF& point : points) {
            if (first)
                path.moveTo(p(point.x(), point.y()));
            else
                path.lineTo(p(point.x(), point.y()));
            first = false;
        }
        return path;
    }
    QPainterPath disc(qreal cx, qreal cy, qreal radius) const
    {
        QPainterPath path;
        path.addEllipse(p(cx, cy), s(radius), s(radius));
        return path;
    }
    QPainterPath rounded(qreal x, qreal y, qreal w, qreal h, qreal radius) const
    {
        return roundedRect(r(x, y, w, h), s(radius));
    }
};

constexpr qreal kLine = 0.075; // stroke width of the line-style icons, as a fraction of the box

QPainterPath rotated(const QPainterPath& path, const QPointF& centre, qreal degrees)
{
    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.rotate(degrees);
    transform.translate(-centre.x(), -centre.y());
    return transform.map(path);
}

} // namespace

QPainterPath wallet(const QRectF& box, bool detailed)
{
    const Unit u{box};
    QPainterPath body = u.rounded(0.06, 0.30, 0.80, 0.60, 0.13);
    // The card sticks out above the body, tilted, with a gap that keeps the two shapes apart.
    QPainterPath card = rotated(u.rounded(0.16, 0.10, 0.60, 0.34, 0.06), u.p(0.46, 0.27), -12);
    card = card.subtracted(u.rounded(0.00, 0.23, 0.92, 0.74, 0.17));
    // Clasp tab on the right edge, cut free of the body by a thin gap, with a stud hole.
    const QPainterPath tab = u.rounded(0.54, 0.47, 0.40, 0.26, 0.09);
    body = body.subtracted(u.rounded(0.49, 0.42, 0.50, 0.36, 0.13));
    QPainterPath clasp = tab.subtracted(u.disc(0.68, 0.60, detailed ? 0.05 : 0.065));
    QPainterPath mark = body.united(clasp).united(card);
    if (detailed) {
        // Code modules on the body's face: the scan-to-pay hint.
        mark = mark.subtracted(u.rounded(0.16, 0.42, 0.10, 0.10, 0.02));
        mark = mark.subtracted(u.rounded(0.30, 0.42, 0.10, 0.10, 0.02));
        mark = mark.subtracted(u.rounded(0.16, 0.56, 0.10, 0.10, 0.02));
    }
    return mark.simplified();
}

QPainterPath scanCode(const QRectF& box)
{
    const Unit u{box};
    const qreal w = u.s(kLine);
    QPainterPath strokes;
    strokes.addPath(u.polyline({{0.08, 0.30}, {0.08, 0.08}, {0.30, 0.08}}));
    strokes.addPath(u.polyline({{0.70, 0.08}, {0.92, 0.08}, {0.92, 0.30}}));
    strokes.addPath(u.polyline({{0.08, 0.70}, {0.08, 0.92}, {0.30, 0.92}}));
    strokes.addPath(u.polyline({{0.70, 0.92}, {0.92, 0.92}, {0.92, 0.70}}));
    QPainterPath shape = strokeOf(strokes, w);
    // A few code modules above and below the scan beam.
    shape = shape.united(u.rounded(0.24, 0.22, 0.17, 0.17, 0.03));
    shape = shape.united(u.rounded(0.59, 0.22, 0.17, 0.17, 0.03));
    shape = shape.united(u.rounded(0.24, 0.61, 0.17, 0.17, 0.03));
    shape = shape.united(u.rounded(0.60, 0.61, 0.07, 0.07, 0.015));
    shape = shape.united(u.rounded(0.70, 0.71, 0.07, 0.07, 0.015));
    shape = shape.united(u.rounded(0.45, 0.63, 0.07, 0.07, 0.015));
    shape = shape.united(strokeOf(u.line(0.04, 0.50, 0.96, 0.50), u.s(0.06)));
    return shape.simplified();
}

QPainterPath tradeQuery(const QRectF& box)
{
    const Unit u{box};
    const qreal w = u.s(kLine);
    QPainterPath doc;
    doc.addRoundedRect(u.r(0.14, 0.06, 0.56, 0.78), u.s(0.08), u.s(0.08));
    doc.addPath(u.line(0.27, 0.26, 0.57, 0.26));
    doc.addPath(u.line(0.27, 0.40, 0.57, 0.40));
    doc.addPath(u.line(0.27, 0.54, 0.42, 0.54));
    QPainterPath shape = strokeOf(doc, w).subtracted(u.disc(0.64, 0.64, 0.26));
    QPainterPath lens;
    lens.addEllipse(u.p(0.64, 0.64), u.s(0.17), u.s(0.17));
    shape = shape.united(strokeOf(lens, w));
    shape = shape.united(strokeOf(u.line(0.77, 0.77, 0.91, 0.91), u.s(0.1)));
    return shape.simplified();
}

QPainterPath storefront(const QRectF& box)
{
    const Unit u{box};
    // Scalloped awning.
    QPainterPath awning = u.rounded(0.06, 0.10, 0.88, 0.22, 0.04);
    for (int i = 0; i < 4; ++i)
        awning = awning.united(u.disc(0.17 + i * 0.22, 0.31, 0.11));
    for (int i = 1; i < 4; ++i)
        awning = awning.subtracted(u.rounded(0.06 + i * 0.22 - 0.014, 0.06, 0.028, 0.40, 0));
    // Shop body with a door.
    QPainterPath body = u.polyline({{0.14, 0.50}, {0.14, 0.90}, {0.86, 0.90}, {0.86, 0.50}});
    body.addPath(u.polyline({{0.40, 0.90}, {0.40, 0.64}, {0.60, 0.64}, {0.60, 0.90}}));
    return awning.united(strokeOf(body, u.s(kLine))).simplified();
}

QPainterPath couponCheck(const QRectF& box)
{
    const Unit u{box};
    QPainterPath ticket = u.rounded(0.06, 0.20, 0.88, 0.60, 0.08);
    ticket = ticket.subtracted(u.disc(0.06, 0.50, 0.09)).subtracted(u.disc(0.94, 0.50, 0.09));
    QPainterPath shape = strokeOf(ticket, u.s(kLine));
    for (int i = 0; i < 4; ++i)
        shape = shape.united(u.rounded(0.32, 0.30 + i * 0.115, 0.05, 0.06, 0.02));
    shape = shape.united(strokeOf(u.polyline({{0.48, 0.50}, {0.59, 0.61}, {0.78, 0.39}}), u.s(0.085)));
    return shape.simplified();
}

QPainterPath cardRecharge(const QRectF& box)
{
    const Unit u{box};
    QPainterPath card = strokeOf(u.rounded(0.06, 0.16, 0.76, 0.54, 0.08), u.s(kLine));
    card = card.united(u.rounded(0.06, 0.28, 0.76, 0.10, 0));
    card = card.united(strokeOf(u.line(0.17, 0.55, 0.36, 0.55), u.s(kLine)));
    card = card.subtracted(u.disc(0.74, 0.70, 0.27));
    QPainterPath badge = u.disc(0.74, 0.70, 0.20);
    badge = badge.subtracted(strokeOf(u.line(0.74, 0.61, 0.74, 0.79), u.s(0.065)));
    badge = badge.subtracted(strokeOf(u.line(0.65, 0.70, 0.83, 0.70), u.s(0.065)));
    return card.united(badge).simplified();
}

QPainterPath members(const QRectF& box)
{
    const Unit u{box};
    const qreal w = u.s(kLine);
    QPainterPath front;
    front.addEllipse(u.p(0.40, 0.36), u.s(0.15), u.s(0.15));
    QPainterPath shoulders(u.p(0.12, 0.88));
    shoulders.cubicTo(u.p(0.12, 0.60), u.p(0.68, 0.60), u.p(0.68, 0.88));
    front.addPath(shoulders);
    QPainterPath back;
    back.addEllipse(u.p(0.68, 0.30), u.s(0.12), u.s(0.12));
    QPainterPath backShoulders(u.p(0.74, 0.53));
    backShoulders.cubicTo(u.p(0.86, 0.55), u.p(0.92, 0.66), u.p(0.92, 0.80));
    back.addPath(backShoulders);
    QPainterPath shape = strokeOf(back, w).subtracted(u.disc(0.40, 0.36, 0.25));
    return shape.united(strokeOf(front, w)).simplified();
}

QPainterPath person(const QRectF& box)
{
    const Unit u{box};
    QPainterPath body(u.p(0.10, 0.94));
    body.cubicTo(u.p(0.10, 0.58), u.p(0.90, 0.58), u.p(0.90, 0.94));
    body.closeSubpath();
    body = body.subtracted(u.disc(0.5, 0.32, 0.28));
    return body.united(u.disc(0.5, 0.32, 0.21)).simplified();
}

QPainterPath padlock(const QRectF& box, bool open)
{
    const Unit u{box};
    QPainterPath lockBody = u.rounded(0.16, 0.44, 0.68, 0.50, 0.1);
    lockBody = lockBody.subtracted(u.disc(0.5, 0.64, 0.075));
    lockBody = lockBody.subtracted(u.rounded(0.465, 0.64, 0.07, 0.16, 0.02));
    QPainterPath shackle;
    if (open) {
        shackle.moveTo(u.p(0.30, 0.46));
        shackle.lineTo(u.p(0.30, 0.26));
        shackle.arcTo(u.r(0.30, 0.06, 0.40, 0.40), 180, -180);
        shackle.lineTo(u.p(0.70, 0.32));
    } else {
        shackle.moveTo(u.p(0.30, 0.46));
        shackle.lineTo(u.p(0.30, 0.32));
        shackle.arcTo(u.r(0.30, 0.12, 0.40, 0.40), 180, -180);
        shackle.lineTo(u.p(0.70, 0.46));
    }
    QPainterPathStroker stroker;
    stroker.setWidth(u.s(0.11));
    stroker.setCapStyle(Qt::FlatCap);
    return lockBody.united(stroker.createStroke(shackle)).simplified();
}

QPainterPath gear(const QRectF& box)
{
    const Unit u{box};
    const QPointF centre = u.p(0.5, 0.5);
    QPainterPath shape = u.disc(0.5, 0.5, 0.31);
    const QPainterPath tooth = u.rounded(0.41, 0.04, 0.18, 0.26, 0.04);
    for (int i = 0; i < 8; ++i)
        shape = shape.united(rotated(tooth, centre, i * 45.0));
    return shape.subtracted(u.disc(0.5, 0.5, 0.13)).simplified();
}

QPainterPath cross(const QRectF& box, qreal width)
{
    const Unit u{box};
    QPainterPath strokes = u.line(0.2, 0.2, 0.8, 0.8);
    strokes.addPath(u.line(0.8, 0.2, 0.2, 0.8));
    return strokeOf(strokes, width);
}

QPainterPath minus(const QRectF& box, qreal width)
{
    const Unit u{box};
    return strokeOf(u.line(0.2, 0.5, 0.8, 0.5), width);
}

QPainterPath tick(const QRectF& box, qreal width)
{
    const Unit u{box};
    return strokeOf(u.polyline({{0.20, 0.52}, {0.42, 0.72}, {0.80, 0.30}}), width);
}

QPainterPath plus(const QRectF& box, qreal width)
{
    const Unit u{box};
    QPainterPath strokes = u.line(0.5, 0.2, 0.5, 0.8);
    strokes.addPath(u.line(0.2, 0.5, 0.8, 0.5));
    return strokeOf(strokes, width);
}

QPainterPath equalsSign(const QRectF& box)
{
    const Unit u{box};
    QPainterPath bars = u.rounded(0.18, 0.32, 0.64, 0.11, 0.04);
    bars.addPath(u.rounded(0.18, 0.57, 0.64, 0.11, 0.04));
    return bars;
}

QPainterPath shieldCheck(const QRectF& box)
{
    const Unit u{box};
    QPainterPath shield(u.p(0.5, 0.06));
    shield.lineTo(u.p(0.86, 0.19));
    shield.lineTo(u.p(0.86, 0.46));
    shield.cubicTo(u.p(0.86, 0.70), u.p(0.70, 0.86), u.p(0.5, 0.95));
    shield.cubicTo(u.p(0.30, 0.86), u.p(0.14, 0.70), u.p(0.14, 0.46));
    shield.lineTo(u.p(0.14, 0.19));
    shield.closeSubpath();
    QPainterPath shape = strokeOf(shield, u.s(kLine));
    shape = shape.united(strokeOf(u.polyline({{0.33, 0.50}, {0.46, 0.63}, {0.68, 0.38}}), u.s(0.085)));
    return shape.simplified();
}

QPainterPath yuanCoin(const QRectF& box)
{
    const Unit u{box};
    QPainterPath ring;
    ring.addEllipse(u.p(0.5, 0.5), u.s(0.42), u.s(0.42));
    QPainterPath sign = u.polyline({{0.35, 0.27}, {0.5, 0.47}, {0.65, 0.27}});
    sign.addPath(u.line(0.5, 0.47, 0.5, 0.76));
    sign.addPath(u.line(0.36, 0.51, 0.64, 0.51));
    sign.addPath(u.line(0.36, 0.63, 0.64, 0.63));
    return strokeOf(ring, u.s(kLine)).united(strokeOf(sign, u.s(0.07))).simplified();
}

QPainterPath snowflake(const QRectF& box)
{
    const Unit u{box};
    const QPointF c = u.p(0.5, 0.5);
    QPainterPath arm = u.line(0.5, 0.5, 0.5, 0.06);
    arm.addPath(u.polyline({{0.38, 0.14}, {0.5, 0.26}, {0.62, 0.14}}));
    QPainterPath strokes;
    for (int i = 0; i < 6; ++i)
        strokes.addPath(rotated(arm, c, i * 60.0));
    return strokeOf(strokes, u.s(0.07));
}

QPainterPath eraser(const QRectF& box)
{
    const Unit u{box};
    const QPointF c = u.p(0.5, 0.46);
    QPainterPath outline = rotated(u.rounded(0.12, 0.30, 0.76, 0.32, 0.07), c, -35);
    QPainterPath tip = rotated(u.rounded(0.12, 0.30, 0.30, 0.32, 0.07), c, -35);
    QPainterPath shape = strokeOf(outline, u.s(kLine)).united(tip);
    shape = shape.united(strokeOf(u.line(0.30, 0.90, 0.88, 0.90), u.s(kLine)));
    return shape.simplified();
}

} // namespace imagegen::glyphs
