#pragma once

#include <QString>
#include <QStringView>

// Exact money. Amounts are whole numbers of fen (1/100 yuan) on the wire and in totals, and of mills
// (1/1000 yuan) where the cents handling looks at the digit below the fen. No floating point ever
// touches an amount: text is parsed digit by digit, so what the cashier sees is what is sent.
namespace money {

// The largest amount accepted from text: 999,999,999,999.999 yuan. Every amount in range, in mills,
// is exact in a 64-bit integer and in a JSON number (double).
constexpr qint64 kMaxMills = 999'999'999'999'999;

enum class ParseStatus {
    Ok,
    Empty,     // nothing (or only the trailing carriage return) to parse
    Malformed, // anything but digits with at most one decimal point
    TooLarge,  // more than kMaxMills
};

struct Mills
{
    ParseStatus status = ParseStatus::Empty;
    qint64 value = 0; // thousandths of a yuan, digits beyond the third decimal dropped
    bool ok() const { return status == ParseStatus::Ok; }
};

// Yuan as the cashier types them: "12.34", "12.", ".5", "00", "0.005", any number of digits and
// decimals, one optional trailing "\r" (what a point-of-sale program may leave). No sign, no
// exponent, no grouping, no spaces.
Mills parseYuan(QStringView text);

// Nearest fen; a half fen rounds away from zero (12.345 -> 1235).
qint64 millsToFen(qint64 mills);

// "12.34", "0.05", "-3.00": yuan with exactly two decimals.
QString formatYuan(qint64 fen);

// Fen as the gateway writes them: an optional "-" and decimal digits only. False for anything else
// (empty, decimals, exponent, overflow).
bool parseFen(QStringView text, qint64* fen);

} // namespace money
