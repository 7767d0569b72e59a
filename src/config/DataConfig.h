#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

// The small text settings kept in data.ini in the working directory: autostart, receipt printer,
// preferred shop, remembered login and the update-check switch. All keys live in the group
// "data_config"; Chinese values are stored as GB2312. Every getter reads the file again, so a
// value edited by hand or by another copy of the program is seen at once.
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

    void setCheck(const QString& check);
    int getCheck();

    void setPrinterName(const QString& printerName);
    QString getPrinterName();

    void setShopName(const QString& shopName);
    QString getShopName();

    // The password reaches the disk only when it is to be remembered; otherwise "pwd" is emptied.
    void setUser(const QString& user, const QString& password, bool rememberPassword);
    // [0] user, [1] pwd, [2] remPwdstatus as stored ("true", "false" or empty).
    QStringList getUser();

    void setCheckUpdata(int checkUpdata);
    int getCheckUpdata();

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
    void write(const QString& key, const QVariant& value);
    QVariant read(const QString& key);

    std::unique_ptr<QSettings> m_settings;
    int m_check = 0;
    QString m_printerName;
    QString m_shopName;
    QStringList m_user;
    int m_checkUpdata = 0;
};
