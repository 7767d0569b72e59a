#include "paint.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <stdexcept>

namespace imagegen {

const char* const kUiFontFamily = "Noto Sans CJK SC";

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void preparePainter(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QFont uiFont(int pixelSize, bool bold)
{
    QFont font(QString::fromLatin1(kUiFontFamily));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    auto channel = [t](int x, int y) { return qBound(0, qRound(x + (y - x) * t), 255); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                  channel(a.alpha(), b.alpha()));
}

QPainterPath roundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QLinearGradient verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

QPainterPath strokeOf(const QPainterPath& path, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

namespace {

// One pass of a sliding-window box blur over a float plane, along rows (step 1) or columns (step width).
void boxBlurPass(std::vector<float>& plane, int width, int height, int radius, bool alongRows)
{
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const int step = alongRows ? 1 : width;
    std::vector<float> source(length);
    for (int l = 0; l < lines; ++l) {
        const int base = alongRows ? l * width : l;
        for (int i = 0; i < length; ++i)
            source[i] = plane[base + i * step];
        float sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? source[i] : 0.0f;
        const float scale = 1.0f / float(2 * radius + 1);
        for (int i = 0; i < length; ++i) {
            plane[base + i * step] = sum * scale;
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            if (leaving >= 0)
                sum -= source[leaving];
            if (entering < length)
                sum += source[entering];
        }
    }
}

} // namespace

void drawSoftShadow(QPainter& painter, const QPainterPath& shape, const QPointF& offset, qreal blur,
                    const QColor& color)
{
    const int radius = std::max(1, qRound(blur));
    const int margin = 3 * radius + 2;
    const QRect area = shape.boundingRect().toAlignedRect().adjusted(-margin, -margin, margin, margin);

    QImage mask(area.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter maskPainter(&mask);
        maskPainter.setRenderHint(QPainter::Antialiasing, true);
        maskPainter.translate(-area.topLeft());
        maskPainter.fillPath(shape, Qt::black);
    }

    const int w = area.width();
    const int h = area.height();
    std::vector<float> alpha(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[size_t(y) * w + x] = qAlpha(row[x]) / 255.0f;
    }
    // Three box passes approximate a Gaussian closely enough for a shadow.
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurPass(alpha, w, h, radius, true);
        boxBlurPass(alpha, w, h, radius, false);
    }

    QImage shadow(area.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float a = std::min(1.0f, alpha[size_t(y) * w + x]) * float(color.alphaF());
            row[x] =
                qRgba(qRound(color.red() * a), qRound(color.green() * a), qRound(color.blue() * a), qRound(255 * a));
        }
    }
    painter.drawImage(QPointF(area.topLeft()) + offset, shadow);
}

void drawCentredText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& color)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

void fillGlyph(QPainter& painter, const QPainterPath& glyph, const QColor& color, int shadowAlpha)
{
    if (shadowAlpha > 0)
        painter.fillPath(glyph.translated(0, 1), QColor(0, 40, 80, shadowAlpha));
    painter.fillPath(glyph, color);
}

void ImageSet::add(const QString& name, const QImage& image)
{
    for (const auto& item : m_items) {
        if (item.first == name)
            throw std::runtime_error("image produced twice: " + name.toStdString());
    }
    m_items.emplace_back(name, image);
}

} // namespace imagegen
