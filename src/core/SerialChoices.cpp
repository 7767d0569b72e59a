#include "core/SerialChoices.h"

namespace serialchoices {

namespace {
const QString kPrefix = QStringLiteral("COM");
constexpr int kListedPorts = 9;
} // namespace

QStringList portNames(int storedComNumber)
{
    QStringList names;
    for (int n = 1; n <= kListedPorts; ++n)
        names << kPrefix + QString::number(n);
    if (storedComNumber > kListedPorts)
        names << kPrefix + QString::number(storedComNumber);
    return names;
}

int portIndex(int storedComNumber)
{
    if (storedComNumber < 1)
        return 0;
    return storedComNumber <= kListedPorts ? storedComNumber - 1 : kListedPorts;
}

int comNumber(const QString& name)
{
    if (!name.startsWith(kPrefix))
        return 0;
    bool ok = false;
    const int number = name.mid(kPrefix.size()).toInt(&ok);
    return ok && number > 0 ? number : 0;
}

QStringList baudRates()
{
    return {QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("14400"),
            QStringLiteral("19200")};
}

int baudRateIndex(int storedBaudRate)
{
    const int index = baudRates().indexOf(QString::number(storedBaudRate));
    return index >= 0 ? index : baudRates().size() - 1;
}

} // namespace serialchoices
