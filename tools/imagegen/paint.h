// Drawing helpers shared by every image of the generator: the palette, canvases, soft shadows,
// rounded panels and text set in the CJK UI font.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <utility>
#include <vector>

namespace imagegen {

// The client's palette. Everything drawn takes its colours from here so the screens stay coherent.
namespace palette {
const QColor brand(0x00, 0xAA, 0xFF); // windows, title bars, selected rows
const QColor brandLight(0x3D, 0xC0, 0xFF);
const QColor brandDark(0x00, 0x8C, 0xDB);
const QColor brandDeep(0x00, 0x6C, 0xB5);
const QColor ink(0x1F, 0x2D, 0x3D);     // dark text and printed codes
const QColor inkSoft(0x6B, 0x7B, 0x8F); // secondary text and input icons
const QColor page(0xEE, 0xF3, 0xF8);    // light window body
const QColor amountRed(0xE5, 0x48, 0x4D);
const QColor success(0x45, 0xD6, 0x8A);
const QColor successDark(0x13, 0x94, 0x54);
} // namespace palette

// The font every piece of text in the images is set in; the generator refuses to run without it so
// that no image ever ships with missing-glyph boxes.
extern const char* const kUiFontFamily;

// A transparent ARGB canvas.
QImage canvas(int width, int height);

// A painter with antialiasing for shapes and text.
void preparePainter(QPainter& painter);

QFont uiFont(int pixelSize, bool bold = true);

QColor mix(const QColor& a, const QColor& b, qreal t);

QPainterPath roundedRect(const QRectF& rect, qreal radius);
QLinearGradient verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom);

// Outline of `path` stroked with round caps and joins, as a fillable path. Icons are built from
// these so they can be united, cut and shadowed like any other shape.
QPainterPath strokeOf(const QPainterPath& path, qreal width);

// A blurred copy of `shape` in `color`, shifted by `offset`: the soft drop shadow under raised parts.
void drawSoftShadow(QPainter& painter, const QPainterPath& shape, const QPointF& offset, qreal blur,
                    const QColor& color);

// Text centred in `rect` with the UI font.
void drawCentredText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                     const QColor& color);

// A glyph filled with `color` over a one-pixel dark shadow, so white glyphs stay visible on pale ground.
void fillGlyph(QPainter& painter, const QPainterPath& glyph, const QColor& color, int shadowAlpha = 70);

// Named images in the order they are produced.
class ImageSet
{
public:
    void add(const QString& name, const QImage& image);
    const std::vector<std::pair<QString, QImage>>& items() const { return m_items; }

private:
    std::vector<std::pair<QString, QImage>> m_items;
};

} // namespace imagegen
