// Money text in, exact amounts out: whatever is typed or sent, an amount that parses stays in range,
// survives formatting and parsing again unchanged, and rounds to the nearest fen; every fen value
// formats as yuan with two decimals.

#include "FuzzSupport.h"

#include "core/CentsMode.h"
#include "core/Money.h"

namespace {

// The fen `fen` as yuan text, parsed back: `fen` * 10 mills.
void checkFormatted(qint64 fen)
{
    const QString text = money::formatYuan(fen);
    FUZZ_CHECK(fuzz::isYuan(text));
    if (fen >= 0 && fen <= money::kMaxMills / 10) {
        const money::Mills back = money::parseYuan(text);
        FUZZ_CHECK(back.ok() && back.value == fen * 10);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString text = fuzz::text(in, 48);

    const money::Mills mills = money::parseYuan(text);
    if (mills.ok()) {
        FUZZ_CHECK(mills.value >= 0 && mills.value <= money::kMaxMills);
        const qint64 fen = money::millsToFen(mills.value);
        FUZZ_CHECK(qAbs(mills.value - fen * 10) <= 5);
        checkFormatted(fen);
        const money::Charge charge = money::chargeFor(mills.value, in.ConsumeIntegral<int>());
        FUZZ_CHECK(charge.fen >= 0 && charge.displayText.endsWith(QStringLiteral("元")));
    } else {
        FUZZ_CHECK(mills.value == 0);
    }

    qint64 fen = 0;
    if (money::parseFen(text, &fen)) {
        qint64 again = 0;
        FUZZ_CHECK(money::parseFen(QString::number(fen), &again) && again == fen);
        checkFormatted(fen);
    }

    checkFormatted(in.ConsumeIntegral<int64_t>());
    const qint64 anyMills = in.ConsumeIntegralInRange<int64_t>(-money::kMaxMills, money::kMaxMills);
    FUZZ_CHECK(qAbs(anyMills - money::millsToFen(anyMills) * 10) <= 5);
    return 0;
}
