// Icon shapes as fillable paths. Each glyph is laid out in the unit square and mapped onto `box`, so
// the same drawing serves a 16-pixel title-bar button and a 48-pixel tab icon.
#pragma once

#include <QPainterPath>
#include <QRectF>

namespace imagegen::glyphs {

// The brand mark: a wallet with a card tucked in and a clasp tab; `detailed` adds code modules on
// its face, which only read at 32 pixels and above.
QPainterPath wallet(const QRectF& box, bool detailed);

// Function-tab icons (line style).
QPainterPath scanCode(const QRectF& box);     // collect by scanning a payment code
QPainterPath tradeQuery(const QRectF& box);   // list of receipts with a magnifier
QPainterPath storefront(const QRectF& box);   // merchant / shop
QPainterPath couponCheck(const QRectF& box);  // redeem a promotion voucher
QPainterPath cardRecharge(const QRectF& box); // top up a member card
QPainterPath members(const QRectF& box);      // manage members

// Small solid icons.
QPainterPath person(const QRectF& box);
QPainterPath padlock(const QRectF& box, bool open);
QPainterPath gear(const QRectF& box);

// Strokes; `width` is in pixels.
QPainterPath cross(const QRectF& box, qreal width);
QPainterPath minus(const QRectF& box, qreal width);
QPainterPath tick(const QRectF& box, qreal width);
QPainterPath plus(const QRectF& box, qreal width);
QPainterPath equalsSign(const QRectF& box);

// Pre-authorisation family.
QPainterPath shieldCheck(const QRectF& box);
QPainterPath yuanCoin(const QRectF& box);
QPainterPath snowflake(const QRectF& box);
QPainterPath eraser(const QRectF& box);

} // namespace imagegen::glyphs
