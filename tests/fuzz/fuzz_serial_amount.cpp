// Bytes from the point-of-sale program's port, through the amount extraction to the keypad's
// checks before collecting: the amount is digits and points taken from the chunk, ending in a digit,
// and whatever it is, the keypad judges it without a crash. The same bytes collected into frames
// give the same amounts however the line cut them into reads, and never more than a frame is held.

#include "FuzzSupport.h"

#include "core/KeypadModel.h"
#include "core/SerialAmount.h"
#include "core/SerialFrames.h"

#include <QHash>

#include <random>

namespace {

// Digits and points, ending in a digit.
void checkAmount(const QString& amount)
{
    FUZZ_CHECK(!amount.isEmpty() && amount.back().isDigit());
    for (const QChar c : amount)
        FUZZ_CHECK(c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')));
}

void judgeOnKeypad(const QString& amount)
{
    KeypadModel keypad;
    keypad.setAmountText(amount);
    keypad.checkCollect();
    KeypadModel::acceptable(amount);
}

// The amounts of `stream` read in pieces of 1 to `longest` bytes (some empty), cut where `cuts` says.
QStringList readInPieces(const QByteArray& stream, std::minstd_rand& cuts, int longest)
{
    SerialFrames frames;
    QStringList amounts;
    std::uniform_int_distribution<int> length(0, longest);
    for (int at = 0; at < stream.size();) {
        const int n = length(cuts);
        amounts << frames.feed(stream.mid(at, n));
        FUZZ_CHECK(frames.buffered() <= SerialFrames::kMaxFrame);
        at += n;
    }
    return amounts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray chunk = fuzz::bytes(data, size);
    const QString amount = extractSerialAmount(chunk);
    if (!amount.isEmpty()) {
        checkAmount(amount);
        // Never the chunk's first byte, where an escape sequence begins.
        FUZZ_CHECK(chunk.indexOf(amount.toLatin1(), 1) >= 1);
    }
    judgeOnKeypad(amount);

    SerialFrames whole;
    const QStringList amounts = whole.feed(chunk);
    FUZZ_CHECK(whole.buffered() <= SerialFrames::kMaxFrame);
    for (const QString& framed : amounts) {
        checkAmount(framed);
        FUZZ_CHECK(chunk.contains(framed.toLatin1()));
        judgeOnKeypad(framed);
    }
    // The cuts follow from the bytes, so a failing input fails again.
    std::minstd_rand cuts(qHash(chunk));
    FUZZ_CHECK(readInPieces(chunk, cuts, 1) == amounts);
    FUZZ_CHECK(readInPieces(chunk, cuts, 16) == amounts);
    FUZZ_CHECK(readInPieces(chunk, cuts, 400) == amounts);
    return 0;
}
