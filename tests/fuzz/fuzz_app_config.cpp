// app.config as any bytes on disk: the record read from them is the same from memory and through
// load(), its item name fits the field, and writing it back and reading it again changes nothing.

#include "FuzzSupport.h"

#include "config/AppConfigRecord.h"

#include <QFile>

namespace {

bool same(const AppConfigRecord& a, const AppConfigRecord& b)
{
    return a.baudRate == b.baudRate && a.softwareComNumber == b.softwareComNumber &&
           a.displayComNumber == b.displayComNumber && a.displayEnabled == b.displayEnabled &&
           a.centsMode == b.centsMode && a.refundEnabled == b.refundEnabled && a.cardEnabled == b.cardEnabled &&
           a.itemName == b.itemName;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const AppConfigRecord read = AppConfigRecord::fromBytes(bytes);
    FUZZ_CHECK(read.itemName.size() <= AppConfigRecord::kItemNameMaxUnits && !read.itemName.contains(QChar(0)));

    const QString fileName = fuzz::scratchPath(QStringLiteral("app.config"));
    {
        QFile file(fileName);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    }
    AppConfigRecord loaded;
    FUZZ_CHECK(loaded.load(fileName));
    FUZZ_CHECK(same(loaded, read));

    // Whatever was read is written back unchanged, in memory and through the file.
    const QByteArray written = read.toBytes();
    FUZZ_CHECK(written.size() == AppConfigRecord::kSize);
    FUZZ_CHECK(same(AppConfigRecord::fromBytes(written), read));
    FUZZ_CHECK(read.save(fileName) && loaded.load(fileName) && same(loaded, read));

    // Any name the settings page may pass fits the field: cut at a zero or at 50 units, never in the
    // middle of a character, and left as it is when nothing needs cutting.
    QString name(int(size / 2), Qt::Uninitialized);
    std::memcpy(name.data(), data, size_t(name.size()) * 2);
    const QString fitted = AppConfigRecord::fitItemName(name);
    FUZZ_CHECK(name.startsWith(fitted) && fitted.size() <= AppConfigRecord::kItemNameMaxUnits &&
               !fitted.contains(QChar(0)));
    if (!name.contains(QChar(0)) && name.size() <= AppConfigRecord::kItemNameMaxUnits)
        FUZZ_CHECK(fitted == name);
    else if (!fitted.isEmpty() && fitted.back().isHighSurrogate())
        FUZZ_CHECK(!name.at(fitted.size()).isLowSurrogate());
    return 0;
}
