// Function-tab indicators (85 x 100, icon over a caption) and the captioned option buttons: the date
// ranges of the transaction query and the pre-authorisation actions.

#include "generators.h"
#include "glyphs.h"

#include <QFontMetricsF>

namespace imagegen {

namespace {

using GlyphFn = QPainterPath (*)(const QRectF&);

// The tabs sit side by side on the blue title band of the main window. An idle tab is a tile a
// shade deeper than the band with a white icon; the current tab is a white tile lifted off the band
// with a blue icon and an underline.
QImage tabTile(GlyphFn glyph, const QString& caption, bool checked)
{
    QImage image = canvas(85, 100);
    QPainter p(&image);
    preparePainter(p);
    const QRectF tile(3, 2, 79, 94);
    const QPainterPath shape = roundedRect(tile, 8);
    QColor iconColor;
    QColor textColor;
    if (checked) {
        drawSoftShadow(p, shape, QPointF(0, 1.5), 2.2, QColor(0, 50, 100, 90));
        p.fillPath(shape, verticalGradient(tile, Qt::white, QColor(0xEE, 0xF8, 0xFF)));
        p.fillPath(roundedRect(QRectF(tile.center().x() - 14, tile.bottom() - 7, 28, 3), 1.5), palette::brand);
        iconColor = palette::brand;
        textColor = palette::brandDeep;
    } else {
        p.fillPath(shape, QColor(255, 255, 255, 60));
        p.fillPath(roundedRect(tile.adjusted(1, 1, -1, -1), 7),
                   verticalGradient(tile, QColor(0x12, 0x9E, 0xEC), QColor(0x06, 0x8C, 0xDB)));
        iconColor = Qt::white;
        textColor = QColor(0xEA, 0xF6, 0xFF);
    }
    const QRectF iconBox(tile.center().x() - 20, tile.top() + 13, 40, 40);
    p.fillPath(glyph(iconBox), iconColor);
    drawCentredText(p, QRectF(tile.left(), tile.top() + 60, tile.width(), 22), caption, uiFont(14), textColor);
    return image;
}

// Option buttons carry their caption (no widget draws one over them). Idle: outlined in blue on
// white. Pressed: filled blue with white content, sunk by a pixel.
QImage optionButton(const QSize& size, GlyphFn glyph, const QString& caption, bool pressed)
{
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    preparePainter(p);
    const QRectF outer(0, 0, size.width(), size.height());
    const qreal radius = 4;
    QColor content;
    if (pressed) {
        p.fillPath(roundedRect(outer, radius), palette::brandDeep);
        const QRectF inner = outer.adjusted(1, 1, -1, -1);
        p.fillPath(roundedRect(inner, radius - 1),
                   verticalGradient(inner, QColor(0x00, 0x86, 0xD4), QColor(0x00, 0x95, 0xE6)));
        QLinearGradient shade(0, 1, 0, 6);
        shade.setColorAt(0, QColor(0, 0, 0, 60));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.save();
        p.setClipPath(roundedRect(inner, radius - 1));
        p.fillRect(inner, shade);
        p.restore();
        content = Qt::white;
    } else {
        p.fillPath(roundedRect(outer, radius), palette::brand);
        const QRectF inner = outer.adjusted(1, 1, -1, -1);
        p.fillPath(roundedRect(inner, radius - 1), verticalGradient(inner, Qt::white, QColor(0xF2, 0xF9, 0xFF)));
        content = palette::brandDark;
    }

    const int fontPx = qRound(size.height() * 0.42);
    const QFont font = uiFont(fontPx);
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(caption);
    const qreal iconSize = glyph ? size.height() * 0.52 : 0;
    const qreal gap = glyph ? 6 : 0;
    const qreal shift = pressed ? 1 : 0;
    qreal x = (size.width() - (iconSize + gap + textWidth)) / 2;
    const qreal midY = size.height() / 2.0 + shift;
    if (glyph) {
        p.fillPath(glyph(QRectF(x, midY - iconSize / 2, iconSize, iconSize)), content);
        x += iconSize + gap;
    }
    p.setFont(font);
    p.setPen(content);
    p.drawText(QRectF(x, shift, textWidth + 2, size.height()), Qt::AlignLeft | Qt::AlignVCenter, caption);
    return image;
}

QPainterPath openLock(const QRectF& box)
{
    return glyphs::padlock(box, true);
}

} // namespace

void addTabs(ImageSet& set)
{
    struct Tab
    {
        const char* name;
        GlyphFn glyph;
        const char* caption;
    };
    const Tab tabs[] = {
        {"smsk", glyphs::scanCode, "扫码收款"},     {"jycx", glyphs::tradeQuery, "交易查询"},
        {"sjxx", glyphs::storefront, "商家信息"},   {"tghx", glyphs::couponCheck, "推广核销"},
        {"hycz", glyphs::cardRecharge, "会员充值"}, {"hygl", glyphs::members, "会员管理"},
    };
    for (const Tab& tab : tabs) {
        const QString name = QString::fromLatin1(tab.name);
        const QString caption = QString::fromUtf8(tab.caption);
        set.add(name + ".png", tabTile(tab.glyph, caption, false));
        set.add(name + "_pressed.png", tabTile(tab.glyph, caption, true));
    }

    struct Option
    {
        const char* name;
        GlyphFn glyph;
        const char* caption;
        QSize size;
    };
    const QSize range(91, 31);
    const QSize action(120, 40);
    const Option options[] = {
        {"query_three", nullptr, "近三天", range},     {"query_seven", nullptr, "近七天", range},
        {"query_month", nullptr, "近一月", range},     {"ysq", glyphs::shieldCheck, "预授权", action},
        {"ysq_sk", glyphs::yuanCoin, "收款", action},  {"ysq_jd", openLock, "解冻", action},
        {"ysq_dj", glyphs::snowflake, "冻结", action},
    };
    for (const Option& option : options) {
        const QString name = QString::fromLatin1(option.name);
        const QString caption = QString::fromUtf8(option.caption);
        set.add(name + "_nor.png", optionButton(option.size, option.glyph, caption, false));
        set.add(name + "_pre.png", optionButton(option.size, option.glyph, caption, true));
    }
}

} // namespace imagegen
