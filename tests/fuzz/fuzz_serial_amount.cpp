// Bytes from the point-of-sale program's port, through the amount extraction to the keypad's
// checks before collecting: the amount is digits and points taken from the chunk, ending in a digit,
// and whatever it is, the keypad judges it without a crash.

#include "FuzzSupport.h"

#include "core/KeypadModel.h"
#include "core/SerialAmount.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray chunk = fuzz::bytes(data, size);
    const QString amount = extractSerialAmount(chunk);
    if (!amount.isEmpty()) {
        FUZZ_CHECK(amount.back().isDigit());
        for (const QChar c : amount)
            FUZZ_CHECK(c == QLatin1Char('.') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')));
        // Never the chunk's first byte, where an escape sequence begins.
        FUZZ_CHECK(chunk.indexOf(amount.toLatin1(), 1) >= 1);
    }

    KeypadModel keypad;
    keypad.setAmountText(amount);
    keypad.checkCollect();
    KeypadModel::acceptable(amount);
    return 0;
}
