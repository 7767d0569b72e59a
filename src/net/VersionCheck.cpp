#include "net/VersionCheck.h"

#include "net/GatewayReply.h"

#include <QStringList>

namespace gateway {

namespace {
// One dot-separated part: its leading number, then whatever text follows it ("1A": 1, "A").
struct VersionPart
{
    qulonglong number = 0;
    QString rest;
};

VersionPart versionPart(const QString& text)
{
    int digits = 0;
    while (digits < text.size() && digits < 18 && text.at(digits) >= QLatin1Char('0') &&
           text.at(digits) <= QLatin1Char('9'))
        ++digits;
    return {text.left(digits).toULongLong(), text.mid(digits)};
}
} // namespace

int compareVersions(const QString& a, const QString& b)
{
    const QStringList left = a.trimmed().split(QLatin1Char('.'));
    const QStringList right = b.trimmed().split(QLatin1Char('.'));
    for (int i = 0; i < qMax(left.size(), right.size()); ++i) {
        const VersionPart l = versionPart(left.value(i));
        const VersionPart r = versionPart(right.value(i));
        if (l.number != r.number)
            return l.number < r.number ? -1 : 1;
        const int text = QString::compare(l.rest, r.rest, Qt::CaseSensitive);
        if (text != 0)
            return text < 0 ? -1 : 1;
    }
    return 0;
}

bool offersNewerVersion(const QJsonObject& content, const QString& current)
{
    if (jsonInt(content.value(QStringLiteral("code"))) == 0)
        return false;
    return compareVersions(jsonText(content.value(QStringLiteral("version_code"))), current) > 0;
}

} // namespace gateway
