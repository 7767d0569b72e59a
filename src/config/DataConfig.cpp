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

namespace {
std::unique_ptr<QSettings> openSettings(const QString& fileName)
{
    auto settings = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    settings->setIniCodec(QTextCodec::codecForName("GB2312"));
    return settings;
}
} // namespace

DataConfig::DataConfig(const QString& fileName) : m_settings(openSettings(fileName)) {}

DataConfig::~DataConfig() = default;

QString DataConfig::fileName() const
{
    return m_settings->fileName();
}

bool DataConfig::write(const QString& key, const QVariant& value)
{
    return write({{key, value}});
}

bool DataConfig::write(const QList<QPair<QString, QVariant>>& values)
{
    if (m_writeFailed) {
        // A failed write's error sticks to its QSettings object: the next write starts afresh.
        const QString fileName = m_settings->fileName();
        m_settings.reset();
        m_settings = openSettings(fileName);
        m_writeFailed = false;
    }
    m_settings->beginGroup(kGroup);
    QList<QPair<QString, QVariant>> before;
    for (const auto& entry : values) {
        before.append({entry.first, m_settings->value(entry.first)});
        m_settings->setValue(entry.first, entry.second);
    }
    m_settings->endGroup();
    // Written through at once: a cashier PC is often switched off at the wall, and a setting
    // that only lived in memory would be gone.
    m_settings->sync();
    // A FormatError only says the file held lines that are not INI (a damaged file): they are
    // dropped and the write went through.
    if (m_settings->status() != QSettings::AccessError)
        return true;

    // QSettings keeps a change it could not write and writes it with the next save that succeeds;
    // a change the cashier was told had failed must not turn up later. Put the old values back.
    m_settings->beginGroup(kGroup);
    for (const auto& entry : before) {
        if (entry.second.isValid())
            m_settings->setValue(entry.first, entry.second);
        else
            m_settings->remove(entry.first);
    }
    m_settings->endGroup();
    m_writeFailed = true;
    return false;
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

bool DataConfig::setCheck(const QString& check)
{
    return write(QStringLiteral("check"), check);
}

int DataConfig::getCheck()
{
    m_check = read(QStringLiteral("check")).toInt();
    return m_check;
}

bool DataConfig::setPrinterName(const QString& printerName)
{
    return write(QStringLiteral("printerName"), printerName);
}

QString DataConfig::getPrinterName()
{
    m_printerName = read(QStringLiteral("printerName")).toString();
    return m_printerName;
}

bool DataConfig::setShopName(const QString& shopName)
{
    return write(QStringLiteral("shopName"), shopName);
}

QString DataConfig::getShopName()
{
    m_shopName = read(QStringLiteral("shopName")).toString();
    return m_shopName;
}

bool DataConfig::setUser(const QString& user, const QString& password, bool rememberPassword)
{
    return write({{QStringLiteral("user"), user},
                  {QStringLiteral("pwd"), rememberPassword ? password : QString()},
                  {QStringLiteral("remPwdstatus"), rememberPassword}});
}

QStringList DataConfig::getUser()
{
    const QString remembered = read(QStringLiteral("remPwdstatus")).toString();
    const QString password = read(QStringLiteral("pwd")).toString();
    const QString user = read(QStringLiteral("user")).toString();
    m_user = QStringList{user, password, remembered};
    return m_user;
}

bool DataConfig::setCheckUpdata(int checkUpdata)
{
    return write(QStringLiteral("check_updata"), checkUpdata);
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
