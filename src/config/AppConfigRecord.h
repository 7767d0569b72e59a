#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The serial-port, customer-display, collection and refund settings: one fixed 124-byte
// little-endian record that is the whole content of app.config in the working directory.
//
//   offset  width  field
//        0      4  baudRate            (int32)
//        4      4  softwareComNumber   (int32)  port "COM" + n read from the point-of-sale program
//        8      4  displayComNumber    (int32)  port "COM" + n of the customer display
//       12      1  displayEnabled      (0/1)
//       13      3  padding             (written as zeros)
//       16      4  centsMode           (int32)  0 keep, 1 round to jiao, 2 drop the fen
//       20      1  refundEnabled       (0/1)
//       21      1  cardEnabled         (0/1)
//       22    102  itemName            UTF-16LE, at most 50 code units then a zero code unit
//
// Loaded once at start-up into the process-wide instance; the settings pages change the fields in
// place and call save(). Readers take the fields at the moment they need them.
class AppConfigRecord
{
public:
    static constexpr int kSize = 124;
    static constexpr int kItemNameMaxUnits = 50;

    enum CentsMode : std::int32_t {
        KeepCents = 0,
        RoundCents = 1,
        DropCents = 2,
    };

    std::int32_t baudRate = 9600;
    std::int32_t softwareComNumber = 9;
    std::int32_t displayComNumber = 2;
    bool displayEnabled = false;
    std::int32_t centsMode = KeepCents;
    bool refundEnabled = false;
    bool cardEnabled = false;
    QString itemName;

    // The process-wide record, defaults until load() has run.
    static AppConfigRecord& instance();

    // Reads the record from `fileName`, creating the file empty when it is missing. Anything that
    // is not a whole record (missing, unreadable, shorter than 124 bytes) leaves the defaults.
    bool load(const QString& fileName = QStringLiteral("app.config"));

    // Replaces the file with the 124-byte record, atomically: a crash or a full disk mid-save
    // leaves the previous record whole. Returns false when the file could not be written.
    bool save(const QString& fileName = QStringLiteral("app.config")) const;

    QByteArray toBytes() const;
    // A record from the first 124 bytes of `bytes`; defaults when there are fewer.
    static AppConfigRecord fromBytes(const QByteArray& bytes);

    // The name as the record can hold it: at most 50 UTF-16 code units, never ending in half of a
    // surrogate pair, and cut at an embedded zero.
    static QString fitItemName(const QString& name);
};
