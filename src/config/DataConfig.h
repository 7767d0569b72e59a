#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

// The small text settings kept in data.ini in the working directory: autostart, receipt printer,
// preferred shop, remembered login and the update-check switch. All keys live in the group
// "data_config"; Chinese values are stored as GB18030 (GB2312's bytes for every GB2312
// character). Every getter reads the file again, so a value edited by hand or by another copy of
// the program is seen at once.
//
// Setters write the file through at once and return false when it could not be written (read-only,
// held open by another program, a full disk): the file keeps what it had, and the refused change is
// dropped rather than slipping onto the disk with some later save.
class DataConfig
{
public:
    // The process-wide store bound to "data.ini" in the working directory, created on first use.
    static DataConfig& instance();

    // A store bound to another file; the program itself only uses instance().
    explicit DataConfig(const QString& fileName);
    ~DataConfig();

    DataConfig(const DataConfig&) = delete;
    DataConfig& operator=(const DataConfig&) = delete;

    bool setCheck(const QString& check);
    int getCheck();

    bool setPrinterName(const QString& printerName);
    QString getPrinterName();

    bool setShopName(const QString& shopName);
    QString getShopName();

    // The password reaches the disk only when it is to be remembered; otherwise "pwd" is emptied.
    bool setUser(const QString& user, const QString& password, bool rememberPassword);
    // [0] user, [1] pwd, [2] remPwdstatus as stored ("true", "false" or empty).
    QStringList getUser();

    bool setCheckUpdata(int checkUpdata);
    int getCheckUpdata();

    // The general settings page's values in one write: all of them reach the file, or none. A null
    // `shopName` (no shop list yet: the page was opened before login) keeps the stored one.
    bool setGeneral(const QString& shopName, const QString& printerName, const QString& check, int checkUpdata);

    // The gateway address to use instead of the built-in one ("gateway_url"); empty when unset.
    // Lets a test installation or the demo point the client at another gateway without a rebuild.
    QString getGatewayUrl();

    // The service hotline printed on every receipt ("service_hotline"); a demo number when unset.
    QString getServiceHotline();

    // Seconds between two print-order polls ("print_poll_seconds"): 30 when unset or not a number,
    // 0 switches polling off, anything else below 5 is raised to 5 so the gateway is not hammered.
    int getPrintPollSeconds();

    QString fileName() const;

private:
    bool write(const QString& key, const QVariant& value);
    // Sets the keys and writes the file: all of them, or (when the file cannot be written) none.
    bool write(const QList<QPair<QString, QVariant>>& values);
    QVariant read(const QString& key);

    std::unique_ptr<QSettings> m_settings;
    int m_check = 0;
    QString m_printerName;
    QString m_shopName;
    QStringList m_user;
    int m_checkUpdata = 0;
};
