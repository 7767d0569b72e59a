#include "config/DataConfig.h"

#include <QSettings>
#include <QTextCodec>

namespace {
const QString kGroup = QStringLiteral("data_config");
const QString kDefaultServiceHotline = QStringLiteral("400-800-1234");
constexpr int kDefaultPrintPollSeconds = 30;
constexpr int kMinPrintPollSeconds = 5;
} // namespace

DataConfig& DataConfig::instance()
{
    static DataConfig store(QStringLiteral("data.ini"));
    return store;
}

DataConfig::DataConfig(const QString& fileName)
    : m_settings(std::make_unique<QSettings>(fileName, QSettings::IniFormat))
{
    m_settings->setIniCodec(QTextCodec::codecForName("GB2312"));
}

DataConfig::~DataConfig() = default;

QString DataConfig::fileName() const
{
    return m_settings->fileName();
}

void DataConfig::write(const QString& key, const QVariant& value)
{
    m_settings->beginGroup(kGroup);
    m_settings->setValue(key, value);
    m_settings->endGroup();
    // Written through at once: a cashier PC is often switched off at the wall, and a setting
    // that only lived in memory would be gone.
    m_settings->sync();
}

QVariant DataConfig::read(const QString& key)
{
    // sync() reloads the file when it changed on disk since it was last read.
    m_settings->sync();
    m_settings->beginGroup(kGroup);
    QVariant value = m_settings->value(key);
    m_settings->endGroup();
    return value;
}

void DataConfig::setCheck(const QString& check)
{
    write(QStringLiteral("check"), check);
}

int DataConfig::getCheck()
{
    m_check = read(QStringLiteral("check")).toInt();
    return m_check;
}

void DataConfig::setPrinterName(const QString& printerName)
{
    write(QStringLiteral("printerName"), printerName);
}

QString DataConfig::getPrinterName()
{
    m_printerName = read(QStringLiteral("printerName")).toString();
    return m_printerName;
}

void DataConfig::setShopName(const QString& shopName)
{
    write(QStringLiteral("shopName"), shopName);
}

QString DataConfig::getShopName()
{
    m_shopName = read(QStringLiteral("shopName")).toString();
    return m_shopName;
}

void DataConfig::setUser(const QString& user, const QString& password, bool rememberPassword)
{
    m_settings->beginGroup(kGroup);
    m_settings->setValue(QStringLiteral("user"), user);
    m_settings->setValue(QStringLiteral("pwd"), rememberPassword ? password : QString());
    m_settings->setValue(QStringLiteral("remPwdstatus"), rememberPassword);
    m_settings->endGroup();
    m_settings->sync();
}

QStringList DataConfig::getUser()
{
    const QString remembered = read(QStringLiteral("remPwdstatus")).toString();
    const QString password = read(QStringLiteral("pwd")).toString();
    const QString user = read(QStringLiteral("user")).toString();
    m_user = QStringList{user, password, remembered};
    return m_user;
}

void DataConfig::setCheckUpdata(int checkUpdata)
{
    write(QStringLiteral("check_updata"), checkUpdata);
}

int DataConfig::getCheckUpdata()
{
    m_checkUpdata = read(QStringLiteral("check_updata")).toInt();
    return m_checkUpdata;
}

QString DataConfig::getGatewayUrl()
{
    return read(QStringLiteral("gateway_url")).toString().trimmed();
}

QString DataConfig::getServiceHotline()
{
    // Written by hand, "400-800-1234, 0571-8888 8888" comes back as a list; it is one text.
    const QVariant value = read(QStringLiteral("service_hotline"));
    const QString hotline =
        (value.type() == QVariant::StringList ? value.toStringList().join(QStringLiteral(", ")) : value.toString())
            .trimmed();
    return hotline.isEmpty() ? kDefaultServiceHotline : hotline;
}

int DataConfig::getPrintPollSeconds()
{
    bool ok = false;
    const int seconds = read(QStringLiteral("print_poll_seconds")).toString().trimmed().toInt(&ok);
    if (!ok)
        return kDefaultPrintPollSeconds;
    if (seconds == 0)
        return 0;
    return qMax(seconds, kMinPrintPollSeconds);
}
