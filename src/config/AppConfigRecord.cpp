#include "config/AppConfigRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace {
enum Offset {
    kBaudRate = 0,
    kSoftwareComNumber = 4,
    kDisplayComNumber = 8,
    kDisplayEnabled = 12,
    kCentsMode = 16,
    kRefundEnabled = 20,
    kCardEnabled = 21,
    kItemName = 22,
};

void putInt32(QByteArray& bytes, int offset, std::int32_t value)
{
    qToLittleEndian<std::int32_t>(value, bytes.data() + offset);
}

std::int32_t getInt32(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<std::int32_t>(bytes.constData() + offset);
}
} // namespace

AppConfigRecord& AppConfigRecord::instance()
{
    static AppConfigRecord record;
    return record;
}

QString AppConfigRecord::fitItemName(const QString& name)
{
    const int zero = name.indexOf(QChar(0));
    QString fitted = zero >= 0 ? name.left(zero) : name;
    if (fitted.size() > kItemNameMaxUnits)
        fitted.truncate(kItemNameMaxUnits);
    // Where the name is cut (at the limit or at a zero), half of a character is not kept.
    if (fitted.size() < name.size() && !fitted.isEmpty() && fitted.at(fitted.size() - 1).isHighSurrogate())
        fitted.chop(1);
    return fitted;
}

QByteArray AppConfigRecord::toBytes() const
{
    QByteArray bytes(kSize, '\0');
    putInt32(bytes, kBaudRate, baudRate);
    putInt32(bytes, kSoftwareComNumber, softwareComNumber);
    putInt32(bytes, kDisplayComNumber, displayComNumber);
    bytes[kDisplayEnabled] = displayEnabled ? 1 : 0;
    putInt32(bytes, kCentsMode, centsMode);
    bytes[kRefundEnabled] = refundEnabled ? 1 : 0;
    bytes[kCardEnabled] = cardEnabled ? 1 : 0;

    const QString name = fitItemName(itemName);
    for (int i = 0; i < name.size(); ++i)
        qToLittleEndian<quint16>(name.at(i).unicode(), bytes.data() + kItemName + 2 * i);
    // The zero code unit after the name and the rest of the field are already zero.
    return bytes;
}

AppConfigRecord AppConfigRecord::fromBytes(const QByteArray& bytes)
{
    AppConfigRecord record;
    if (bytes.size() < kSize)
        return record;

    record.baudRate = getInt32(bytes, kBaudRate);
    record.softwareComNumber = getInt32(bytes, kSoftwareComNumber);
    record.displayComNumber = getInt32(bytes, kDisplayComNumber);
    record.displayEnabled = bytes.at(kDisplayEnabled) != 0;
    record.centsMode = getInt32(bytes, kCentsMode);
    record.refundEnabled = bytes.at(kRefundEnabled) != 0;
    record.cardEnabled = bytes.at(kCardEnabled) != 0;

    // Up to the first zero code unit, and never past the field: a record written without a
    // terminator still ends at 50 code units.
    QString name;
    for (int i = 0; i < kItemNameMaxUnits; ++i) {
        const quint16 unit = qFromLittleEndian<quint16>(bytes.constData() + kItemName + 2 * i);
        if (unit == 0)
            break;
        name.append(QChar(unit));
    }
    record.itemName = name;
    return record;
}

bool AppConfigRecord::load(const QString& fileName)
{
    *this = AppConfigRecord();
    // A FIFO or a device by that name would block the read (a start that never shows its window),
    // or feed it anything: only a regular file is a record.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return true;
    QFile file(fileName);
    // Opened for writing too, so that a first start leaves an (empty) app.config behind.
    if (!file.open(QIODevice::ReadWrite) && !file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.read(kSize);
    if (bytes.size() == kSize)
        *this = fromBytes(bytes);
    return true;
}

bool AppConfigRecord::save(const QString& fileName) const
{
    QSaveFile file(fileName);
    // Where the folder is locked down but app.config itself is writable, overwrite in place rather
    // than lose the change.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
