#include "core/Money.h"

namespace money {

namespace {
bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

Mills parseYuan(QStringView text)
{
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text.isEmpty())
        return {ParseStatus::Empty, 0};

    qint64 yuan = 0;
    qint64 fraction = 0; // the first three decimals, in mills
    int decimals = 0;
    int digits = 0;
    bool seenPoint = false;
    bool tooLarge = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('.')) {
            if (seenPoint)
                return {ParseStatus::Malformed, 0};
            seenPoint = true;
            continue;
        }
        if (!isDigit(c))
            return {ParseStatus::Malformed, 0};
        ++digits;
        const int d = c.unicode() - '0';
        if (!seenPoint) {
            // Leading zeros cost nothing; anything past the limit is remembered, not overflowed.
            if (yuan > kMaxMills / 1000)
                tooLarge = true;
            else
                yuan = yuan * 10 + d;
        } else if (decimals < 3) {
            fraction = fraction * 10 + d;
            ++decimals;
        }
    }
    if (digits == 0)
        return {ParseStatus::Malformed, 0};
    for (; decimals < 3; ++decimals)
        fraction *= 10;
    if (tooLarge || yuan > kMaxMills / 1000)
        return {ParseStatus::TooLarge, 0};
    return {ParseStatus::Ok, yuan * 1000 + fraction};
}

qint64 millsToFen(qint64 mills)
{
    return mills >= 0 ? (mills + 5) / 10 : -((-mills + 5) / 10);
}

QString formatYuan(qint64 fen)
{
    // Two's complement has one more negative value; widen before negating.
    const quint64 magnitude = fen < 0 ? quint64(-(fen + 1)) + 1 : quint64(fen);
    QString text = QString::number(magnitude / 100) + QLatin1Char('.') +
                   QString::number(magnitude % 100).rightJustified(2, QLatin1Char('0'));
    return fen < 0 ? QLatin1Char('-') + text : text;
}

bool parseFen(QStringView text, qint64* fen)
{
    bool negative = false;
    if (text.startsWith(QLatin1Char('-'))) {
        negative = true;
        text = text.mid(1);
    }
    if (text.isEmpty() || text.size() > 18)
        return false;
    qint64 value = 0;
    for (const QChar c : text) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    *fen = negative ? -value : value;
    return true;
}

} // namespace money
