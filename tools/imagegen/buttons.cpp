// Push-button faces. They are stretched over their widgets with border-image, so each is drawn at
// about the size of the widget that uses it and keeps its corners small. The pressed face sits one
// pixel lower, loses the bottom lip, turns darker and gets an inner shadow along its top edge.

#include "generators.h"
#include "glyphs.h"

#include <QFontMetricsF>

namespace imagegen {

namespace {

struct Face
{
    QColor top;
    QColor bottom;
    QColor border;
};

// The pressed face of a coloured button: the same hue, deeper.
Face deeper(const Face& face)
{
    return {face.top.darker(122), face.bottom.darker(116), face.border.darker(120)};
}

// Where the face of a button lies: raised faces leave room for the lip below them.
QRectF faceRect(const QSize& size, bool pressed)
{
    return pressed ? QRectF(0, 1, size.width(), size.height() - 1) : QRectF(0, 0, size.width(), size.height() - 1.5);
}

void paintFace(QPainter& p, const QSize& size, const Face& face, qreal radius, bool pressed)
{
    const QRectF full(0, 0, size.width(), size.height());
    const QRectF rect = faceRect(size, pressed);
    if (!pressed) // the lip: the button's side, seen under the face
        p.fillPath(roundedRect(full, radius), mix(face.border, QColor(0, 0, 0), 0.12));
    const QPainterPath shape = roundedRect(rect, radius);
    p.fillPath(shape, face.border);
    const QPainterPath inner = roundedRect(rect.adjusted(1, 1, -1, -1), qMax<qreal>(0, radius - 1));
    p.fillPath(inner, verticalGradient(rect, face.top, face.bottom));

    p.save();
    p.setClipPath(inner);
    if (pressed) {
        QLinearGradient shade(rect.topLeft(), rect.topLeft() + QPointF(0, qMin<qreal>(7, rect.height() / 3)));
        shade.setColorAt(0, QColor(0, 0, 0, 70));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(rect, shade);
    } else {
        p.fillRect(QRectF(rect.left(), rect.top() + 1, rect.width(), 1), QColor(255, 255, 255, 90));
    }
    p.restore();
}

// `face` is the raised look; the pressed look is `down`, or a deeper shade of `face` when not given.
QImage button(const QSize& size, const Face& face, qreal radius, bool pressed, const Face* down = nullptr)
{
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    preparePainter(p);
    paintFace(p, size, pressed ? (down ? *down : deeper(face)) : face, radius, pressed);
    return image;
}

// A key that carries its own glyph, centred on the face and following it down when pressed.
QImage glyphKey(const QSize& size, const Face& face, const Face& down, qreal radius, bool pressed,
                QPainterPath (*glyph)(const QRectF&), const QColor& glyphColor, qreal glyphSize)
{
    QImage image = button(size, face, radius, pressed, &down);
    QPainter p(&image);
    preparePainter(p);
    const QRectF rect = faceRect(size, pressed);
    const QRectF box(rect.center() - QPointF(glyphSize / 2, glyphSize / 2), QSizeF(glyphSize, glyphSize));
    p.fillPath(glyph(box), pressed ? mix(glyphColor, QColor(0, 0, 0), 0.15) : glyphColor);
    return image;
}

QPainterPath equalsGlyph(const QRectF& box)
{
    return glyphs::equalsSign(box);
}
QPainterPath eraserGlyph(const QRectF& box)
{
    return glyphs::eraser(box);
}

// Title-bar buttons sit on the blue title bars. The glyph is white with a faint shadow; pressed, it
// sits on a disc (red for close) so the press is plain to see.
QImage titleButton(bool pressed, const QPainterPath& glyph, const QColor& pressedDisc)
{
    QImage image = canvas(16, 16);
    QPainter p(&image);
    preparePainter(p);
    if (pressed) {
        QPainterPath disc;
        disc.addEllipse(QRectF(0, 0, 16, 16));
        p.fillPath(disc, pressedDisc);
        p.fillPath(glyph, Qt::white);
    } else {
        // A faint dark rim keeps the white glyph legible should it land on a pale background.
        p.fillPath(strokeOf(glyph, 1.6), QColor(0, 40, 80, 45));
        fillGlyph(p, glyph, Qt::white, 60);
    }
    return image;
}

void addTitleButtons(ImageSet& set)
{
    const QColor pressRed(0xE0, 0x3E, 0x3E);
    const QColor pressShade(0, 40, 80, 110);
    set.add("close_nor.png", titleButton(false, glyphs::cross(QRectF(1.5, 1.5, 13, 13), 1.8), pressRed));
    set.add("close_pre.png", titleButton(true, glyphs::cross(QRectF(3, 3, 10, 10), 1.7), pressRed));
    set.add("min_nor.png", titleButton(false, glyphs::minus(QRectF(1, 0, 14, 16), 2.0), pressShade));
    set.add("min_pre.png", titleButton(true, glyphs::minus(QRectF(2.5, 0, 11, 16), 1.8), pressShade));
    set.add("set_btn_nor.png", titleButton(false, glyphs::gear(QRectF(0.5, 0.5, 15, 15)), pressShade));
    set.add("set_btn_pre.png", titleButton(true, glyphs::gear(QRectF(2, 2, 12, 12)), pressShade));
}

QImage checkbox(bool checked)
{
    QImage image = canvas(18, 18);
    QPainter p(&image);
    preparePainter(p);
    const QRectF box(0.5, 0.5, 17, 17);
    if (checked) {
        p.fillPath(roundedRect(box, 3.5), verticalGradient(box, palette::brandLight, palette::brandDark));
        p.fillPath(glyphs::tick(QRectF(2, 2.5, 14, 14), 2.2), Qt::white);
    } else {
        p.fillPath(roundedRect(box, 3.5), QColor(0x9A, 0xA9, 0xB8));
        p.fillPath(roundedRect(box.adjusted(1, 1, -1, -1), 2.5),
                   verticalGradient(box, Qt::white, QColor(0xF1, 0xF4, 0xF7)));
    }
    return image;
}

// The login button carries its own caption: the login form gives it no text.
QImage loginButton(bool pressed)
{
    const Face face{QColor(0x2E, 0xBA, 0xFF), QColor(0x00, 0x95, 0xEA), QColor(0x00, 0x87, 0xD6)};
    QImage image = button(QSize(300, 42), face, 5, pressed);
    QPainter p(&image);
    preparePainter(p);
    const QRectF rect = faceRect(QSize(300, 42), pressed);
    drawCentredText(p, rect.translated(0, 1), QStringLiteral("登 录"), uiFont(17), QColor(0, 60, 110, 60));
    drawCentredText(p, rect, QStringLiteral("登 录"), uiFont(17), Qt::white);
    return image;
}

// Shown on the login button while a login is on its way: washed-out blue, a spinner arc, a caption.
QImage loginBusyButton()
{
    const Face face{QColor(0x6F, 0xCB, 0xFC), QColor(0x4C, 0xB7, 0xF2), QColor(0x3F, 0xAA, 0xE6)};
    QImage image = button(QSize(300, 42), face, 5, false);
    QPainter p(&image);
    preparePainter(p);
    const QRectF rect = faceRect(QSize(300, 42), false);
    const QFont font = uiFont(16);
    const QString caption = QStringLiteral("登录中…");
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(caption);
    const qreal arcSize = 18;
    const qreal gap = 10;
    const qreal left = rect.center().x() - (arcSize + gap + textWidth) / 2;
    const QRectF arcBox(left, rect.center().y() - arcSize / 2, arcSize, arcSize);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2.4));
    p.drawEllipse(arcBox.adjusted(1.2, 1.2, -1.2, -1.2));
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(arcBox.adjusted(1.2, 1.2, -1.2, -1.2), 90 * 16, -110 * 16);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(arcBox.right() + gap, rect.top(), textWidth + 4, rect.height()), Qt::AlignVCenter | Qt::AlignLeft,
               caption);
    return image;
}

// Settings-panel page buttons. The unselected and selected faces are JPEG, so they are square and
// opaque; the pressed face is shared by both.
QImage pageButton(bool selected)
{
    QImage image(101, 41, QImage::Format_RGB32);
    QPainter p(&image);
    preparePainter(p);
    const QRectF rect(0, 0, 101, 41);
    if (selected) {
        p.fillRect(rect, verticalGradient(rect, Qt::white, QColor(0xF3, 0xF8, 0xFC)));
        p.fillRect(QRectF(0, 0, 4, 41), palette::brand);
        p.fillRect(QRectF(0, 40, 101, 1), QColor(0xD9, 0xE2, 0xEC));
    } else {
        p.fillRect(rect, verticalGradient(rect, QColor(0x1F, 0xB5, 0xFF), QColor(0x00, 0x9B, 0xEC)));
        p.fillRect(QRectF(0, 0, 101, 1), QColor(255, 255, 255, 70));
        p.fillRect(QRectF(0, 40, 101, 1), QColor(0x00, 0x86, 0xD2));
    }
    return image;
}

QImage pageButtonPressed()
{
    QImage image = canvas(101, 41);
    QPainter p(&image);
    const QRectF rect(0, 0, 101, 41);
    p.fillRect(rect, verticalGradient(rect, QColor(0x00, 0x74, 0xBE), QColor(0x00, 0x84, 0xD0)));
    QLinearGradient shade(0, 0, 0, 6);
    shade.setColorAt(0, QColor(0, 0, 0, 70));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(rect, shade);
    return image;
}

} // namespace

void addButtons(ImageSet& set)
{
    addTitleButtons(set);

    // Keypad: digit keys white, function keys pale blue; both 80 x 65 like the keys themselves.
    const QSize key(80, 65);
    const Face digit{QColor(0xFF, 0xFF, 0xFF), QColor(0xF3, 0xF6, 0xF9), QColor(0xCF, 0xD8, 0xE2)};
    const Face digitDown{QColor(0xE9, 0xF5, 0xFE), QColor(0xDD, 0xEE, 0xFB), QColor(0xA9, 0xD3, 0xF0)};
    set.add("num_nor.png", button(key, digit, 6, false));
    set.add("num_pre.png", button(key, digit, 6, true, &digitDown));

    const Face function{QColor(0xEC, 0xF8, 0xFF), QColor(0xD9, 0xF0, 0xFF), QColor(0x9C, 0xD4, 0xF5)};
    const Face functionDown{QColor(0xB9, 0xE2, 0xFB), QColor(0xC9, 0xE9, 0xFC), QColor(0x6F, 0xBF, 0xEE)};
    set.add("calculator.png", button(key, function, 6, false));
    set.add("calculator_pre.png", button(key, function, 6, true, &functionDown));
    set.add("clean_nor.png", glyphKey(key, function, functionDown, 6, false, eraserGlyph, palette::amountRed, 30));
    set.add("clean_pre.png", glyphKey(key, function, functionDown, 6, true, eraserGlyph, palette::amountRed, 30));
    const Face blue{QColor(0x2E, 0xBA, 0xFF), QColor(0x00, 0x98, 0xEC), QColor(0x00, 0x88, 0xD6)};
    set.add("equ_nor.png", glyphKey(key, blue, deeper(blue), 6, false, equalsGlyph, Qt::white, 30));
    set.add("equ_pre.png", glyphKey(key, blue, deeper(blue), 6, true, equalsGlyph, Qt::white, 30));

    // The collect button, also used for the settings page's confirm button.
    const Face collect{QColor(0x1C, 0xA6, 0xF5), QColor(0x00, 0x7C, 0xD4), QColor(0x00, 0x6C, 0xBD)};
    set.add("sk_nor.png", button(QSize(160, 60), collect, 6, false));
    set.add("sk_pre.png", button(QSize(160, 60), collect, 6, true));

    // Dialog and table buttons; the widgets draw their captions in white.
    set.add("query_nor.png", button(QSize(91, 31), blue, 4, false));
    set.add("query_pre.png", button(QSize(91, 31), blue, 4, true));
    const Face green{QColor(0x3A, 0xCB, 0x80), QColor(0x1B, 0xA8, 0x5E), QColor(0x16, 0x96, 0x53)};
    set.add("print_nor.png", button(QSize(100, 34), green, 4, false));
    set.add("print_pre.png", button(QSize(100, 34), green, 4, true));
    // On the blue shop-selection dialog the buttons are a deeper blue, with a light rim.
    const Face deep{QColor(0x16, 0x78, 0xC4), QColor(0x0A, 0x5C, 0xA0), QColor(0x9F, 0xD8, 0xFF)};
    set.add("select_shop_nor.png", button(QSize(140, 40), deep, 5, false));
    set.add("select_shop_pre.png", button(QSize(140, 40), deep, 5, true));

    set.add("login_btn.png", loginButton(false));
    set.add("login_btn_pre.png", loginButton(true));
    set.add("loading.png", loginBusyButton());

    set.add("btn_nor.jpg", pageButton(false));
    set.add("btn_nom.jpg", pageButton(true));
    set.add("btn_pre.png", pageButtonPressed());

    set.add("checkbox_nor.png", checkbox(false));
    set.add("checkbox_pre.png", checkbox(true));
}

} // namespace imagegen
