#pragma once

// What the fuzz targets share: the input as Qt types, hostile text and JSON built from it, a scratch
// folder for the readers of files, and FUZZ_CHECK, which turns a broken promise of the code under
// test into a crash that libFuzzer reports and keeps.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#define FUZZ_CHECK(condition) ((condition) ? void() : fuzz::fail(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), int(size));
}

// Yuan with exactly two decimals, as every amount is shown and printed.
inline bool isYuan(const QString& text)
{
    static const QRegularExpression yuan(QStringLiteral("^-?[0-9]+\\.[0-9]{2}$"));
    return yuan.match(text).hasMatch();
}

// A folder for the targets that read files; removed when the fuzzer exits.
inline QString scratchPath(const QString& name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

// Text the way it may reach the code: Latin-1 bytes, UTF-8 (invalid sequences included) or raw
// UTF-16 code units (lone surrogates and zeros included).
inline QString text(FuzzedDataProvider& in, size_t maxBytes = 64)
{
    const int kind = in.ConsumeIntegralInRange(0, 2);
    const std::string raw = in.ConsumeRandomLengthString(maxBytes);
    switch (kind) {
    case 0:
        return QString::fromLatin1(raw.data(), int(raw.size()));
    case 1:
        return QString::fromUtf8(raw.data(), int(raw.size()));
    default: {
        QString units(int(raw.size() / 2), Qt::Uninitialized);
        std::memcpy(units.data(), raw.data(), size_t(units.size()) * 2);
        return units;
    }
    }
}

// A number as a gateway may send it: whole fen, huge, negative, fractional, not finite.
inline double number(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return double(in.ConsumeIntegral<int64_t>());
    case 1:
        return in.ConsumeFloatingPoint<double>();
    case 2:
        return double(in.ConsumeIntegralInRange<int64_t>(-100000, 100000000));
    default:
        return in.PickValueInArray({std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(), 9007199254740993.0, -0.0, 0.5});
    }
}

inline QJsonObject object(FuzzedDataProvider& in, const QStringList& keys, int depth = 0);

// A JSON value of any type; containers nest a little.
inline QJsonValue value(FuzzedDataProvider& in, const QStringList& keys, int depth = 0)
{
    switch (in.ConsumeIntegralInRange(0, depth < 2 ? 5 : 3)) {
    case 0:
        return QJsonValue();
    case 1:
        return in.ConsumeBool();
    case 2:
        return number(in);
    case 3:
        return text(in);
    case 4: {
        QJsonArray array;
        for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
            array.append(value(in, keys, depth + 1));
        return array;
    }
    default:
        return object(in, keys, depth + 1);
    }
}

// An object whose members are mostly the `keys` the code looks for, now and then one of its own.
inline QJsonObject object(FuzzedDataProvider& in, const QStringList& keys, int depth)
{
    QJsonObject object;
    for (int n = in.ConsumeIntegralInRange(0, 12); n > 0 && in.remaining_bytes() > 0; --n) {
        const QString key = keys.isEmpty() || in.ConsumeIntegralInRange(0, 7) == 0
                                ? text(in, 8)
                                : keys.at(in.ConsumeIntegralInRange(0, int(keys.size()) - 1));
        object.insert(key, value(in, keys, depth));
    }
    return object;
}

} // namespace fuzz
