#include "config/DataConfig.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
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
    // GB18030 writes every GB2312 character with GB2312's bytes (the shop's tools read the file),
    // and every other character too: 喆, 堃, ® or 臺 saved as GB2312 became "?".
    settings->setIniCodec(QTextCodec::codecForName("GB18030"));
    return settings;
}
} // namespace

namespace {
// QSettings reads a value written "@Variant(...)" (or "@Rect(", "@Size(", ...) as the Qt type it
// names, deserialized from the text: from a damaged or hostile data.ini, an image of any size, an
// allocation of any size, and it does so for the whole group as soon as one key is read. Neither
// this program nor the shop's tools write such values: they are read as the text they are, with
// the "@" escaped as QSettings itself escapes it. False when there is none.
bool escapeTypedValues(QByteArray* ini)
{
    QByteArray out;
    out.reserve(ini->size() + 16);
    bool changed = false;
    int i = 0;
    while (i < ini->size()) {
        int end = i;
        while (end < ini->size() && ini->at(end) != '\n' && ini->at(end) != '\r')
            ++end;
        const QByteArray line = ini->mid(i, end - i);
        const int equals = line.indexOf('=');
        int at = equals + 1;
        while (equals >= 0 && at < line.size() && (line.at(at) == ' ' || line.at(at) == '\t' || line.at(at) == '"'))
            ++at;
        if (equals >= 0 && at < line.size() && line.at(at) == '@' &&
            (at + 1 >= line.size() || line.at(at + 1) != '@')) {
            out += line.left(at) + '@' + line.mid(at);
            changed = true;
        } else {
            out += line;
        }
        while (end < ini->size() && (ini->at(end) == '\n' || ini->at(end) == '\r'))
            out += ini->at(end++);
        i = end;
    }
    if (changed)
        *ini = out;
    return changed;
}

QByteArray fileBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `ini` as a data.ini of its own, in a folder of its own: QSettings on it shares nothing with the
// real file (it keeps one state per file name, pending changes included), and it can be replaced
// while it is open, which Windows refuses for an open temporary file.
class PrivateCopy
{
public:
    explicit PrivateCopy(const QByteArray& ini) : m_fileName(m_folder.filePath(QStringLiteral("data.ini")))
    {
        QFile file(m_fileName);
        m_valid = m_folder.isValid() && file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size();
    }
    bool isValid() const { return m_valid; }
    QString fileName() const { return m_fileName; }

private:
    QTemporaryDir m_folder;
    QString m_fileName;
    bool m_valid = false;
};
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
    const QString fileName = m_settings->fileName();
    // A file that is there but cannot be read (a folder by that name, no permission) cannot be
    // rewritten without losing what it holds.
    const QFileInfo info(fileName);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        return false;
    // Saved over typed values, the file keeps them as text.
    QByteArray ini = fileBytes(fileName);
    escapeTypedValues(&ini);

    // The change is made on a private copy, and the file replaced whole in one step: a refused save
    // leaves the file as it was, and nothing of it waits in QSettings to slip onto the disk with a
    // later save.
    const PrivateCopy scratch(ini);
    if (!scratch.isValid())
        return false;
    {
        const auto copy = openSettings(scratch.fileName());
        copy->beginGroup(kGroup);
        for (const auto& entry : values)
            copy->setValue(entry.first, entry.second);
        copy->endGroup();
        copy->sync();
        // A FormatError only says the file held lines that are not INI (a damaged file): they are
        // dropped and the write goes through.
        if (copy->status() == QSettings::AccessError)
            return false;
    }
    const QByteArray written = fileBytes(scratch.fileName());

    // Written through at once: a cashier PC is often switched off at the wall, and a setting that
    // only lived in memory would be gone.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
#ifdef Q_OS_UNIX
    // It can hold the remembered password: only its owner may read it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
    if (file.write(written) != written.size() || !file.commit())
        return false;
    // Read again from the file as it is now.
    m_settings->sync();
    return true;
}

QVariant DataConfig::read(const QString& key)
{
    QByteArray ini = fileBytes(m_settings->fileName());
    if (escapeTypedValues(&ini)) {
        // Read from a copy with the values as text; the file itself stays as it is.
        const PrivateCopy copy(ini);
        if (!copy.isValid())
            return QVariant();
        return openSettings(copy.fileName())->value(kGroup + QLatin1Char('/') + key);
    }
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

bool DataConfig::setGeneral(const QString& shopName, const QString& printerName, const QString& check, int checkUpdata)
{
    QList<QPair<QString, QVariant>> values{{QStringLiteral("printerName"), printerName},
                                           {QStringLiteral("check"), check},
                                           {QStringLiteral("check_updata"), checkUpdata}};
    if (!shopName.isNull())
        values.prepend({QStringLiteral("shopName"), shopName});
    return write(values);
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
