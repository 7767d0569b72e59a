#include "net/GatewayReply.h"

#include "core/Money.h"

#include <QJsonDocument>
#include <QLocale>

#include <cmath>

namespace gateway {

namespace {
// Whole numbers a double holds exactly.
constexpr double kExactLimit = 9007199254740992.0; // 2^53

bool wholeNumber(double d, qint64* out)
{
    if (!std::isfinite(d) || std::fabs(d) > kExactLimit || std::trunc(d) != d)
        return false;
    *out = qint64(d);
    return true;
}
} // namespace

QJsonObject replyObject(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

QJsonObject replyContent(const QByteArray& body)
{
    return replyObject(body).value(QStringLiteral("content")).toObject();
}

bool hasContent(const QByteArray& body)
{
    return replyObject(body).value(QStringLiteral("content")).isObject();
}

QString jsonText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double: {
        qint64 whole = 0;
        if (wholeNumber(value.toDouble(), &whole))
            return QString::number(whole);
        // The fewest digits that read back as the same number: 0.1 as the gateway wrote it, not
        // 0.10000000000000001.
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    }
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return QString();
    }
}

int jsonInt(const QJsonValue& value)
{
    qint64 whole = 0;
    if (value.isDouble() && wholeNumber(value.toDouble(), &whole))
        return int(qBound<qint64>(INT_MIN, whole, INT_MAX));
    if (value.isString() && money::parseFen(value.toString().trimmed(), &whole))
        return int(qBound<qint64>(INT_MIN, whole, INT_MAX));
    return 0;
}

bool jsonFen(const QJsonValue& value, qint64* fen)
{
    if (value.isDouble())
        return wholeNumber(value.toDouble(), fen);
    if (value.isString())
        return money::parseFen(value.toString().trimmed(), fen);
    return false;
}

} // namespace gateway
