#include "net/MoneyJournal.h"

#include "net/NetLog.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

namespace {
const QString kDefaultPath = QStringLiteral("journal.json");
// Enough for several shifts of sales: a payment older than that is not offered as a lost one
// anyway (the search looks a day around the lost charge).
constexpr int kMaxCompleted = 500;
constexpr int kFormat = 1;

QString kindName(MoneyJournal::Kind kind)
{
    return kind == MoneyJournal::Kind::Refund ? QStringLiteral("refund") : QStringLiteral("charge");
}

QJsonObject toJson(const MoneyJournal::Entry& e)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), e.id);
    o.insert(QStringLiteral("kind"), kindName(e.kind));
    o.insert(QStringLiteral("shop"), e.shopId);
    // Amounts as decimal text: exact whatever their size.
    o.insert(QStringLiteral("fen"), QString::number(e.fen));
    o.insert(QStringLiteral("sent"), e.sentAt.toUTC().toString(Qt::ISODate));
    if (e.kind == MoneyJournal::Kind::Refund) {
        o.insert(QStringLiteral("order"), e.outTradeNo);
        o.insert(QStringLiteral("refunded_before"), QString::number(e.refundedFen));
    }
    if (!e.declined.isEmpty())
        o.insert(QStringLiteral("declined"), QJsonArray::fromStringList(e.declined));
    if (e.cashierWarned)
        o.insert(QStringLiteral("warned"), true);
    if (e.answeredAt.isValid())
        o.insert(QStringLiteral("answered"), e.answeredAt.toUTC().toString(Qt::ISODate));
    return o;
}

bool readFen(const QJsonValue& value, qint64* fen)
{
    bool ok = false;
    *fen = value.toString().toLongLong(&ok);
    return ok;
}

bool fromJson(const QJsonValue& value, MoneyJournal::Entry* e)
{
    const QJsonObject o = value.toObject();
    const QString kind = o.value(QStringLiteral("kind")).toString();
    if (kind != QLatin1String("charge") && kind != QLatin1String("refund"))
        return false;
    e->kind = kind == QLatin1String("refund") ? MoneyJournal::Kind::Refund : MoneyJournal::Kind::Charge;
    e->id = o.value(QStringLiteral("id")).toString();
    e->shopId = o.value(QStringLiteral("shop")).toString();
    e->sentAt = QDateTime::fromString(o.value(QStringLiteral("sent")).toString(), Qt::ISODate);
    e->outTradeNo = o.value(QStringLiteral("order")).toString();
    for (const QJsonValue& no : o.value(QStringLiteral("declined")).toArray())
        e->declined.append(no.toString());
    e->cashierWarned = o.value(QStringLiteral("warned")).toBool();
    e->answeredAt = QDateTime::fromString(o.value(QStringLiteral("answered")).toString(), Qt::ISODate);
    if (!readFen(o.value(QStringLiteral("fen")), &e->fen))
        return false;
    if (e->kind == MoneyJournal::Kind::Refund && !readFen(o.value(QStringLiteral("refunded_before")), &e->refundedFen))
        return false;
    return !e->id.isEmpty() && e->sentAt.isValid();
}

} // namespace

MoneyJournal::MoneyJournal() : m_path(kDefaultPath) {}

MoneyJournal& MoneyJournal::instance()
{
    static MoneyJournal journal;
    return journal;
}

void MoneyJournal::setPathForTesting(const QString& path)
{
    MoneyJournal& journal = instance();
    journal.m_path = path.isEmpty() ? kDefaultPath : path;
    journal.m_loaded = false;
    journal.m_entries.clear();
    journal.m_completed.clear();
}

MoneyJournal::Entry MoneyJournal::newEntry(Kind kind, const QString& shopId, qint64 fen)
{
    Entry entry;
    entry.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    entry.kind = kind;
    entry.shopId = shopId;
    entry.fen = fen;
    entry.sentAt = QDateTime::currentDateTimeUtc();
    return entry;
}

void MoneyJournal::ensureLoaded()
{
    if (!m_loaded)
        load();
}

bool MoneyJournal::load(QString* problem)
{
    m_loaded = true;
    m_entries.clear();
    m_completed.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    QJsonParseError error{};
    QJsonDocument document;
    // A folder, a device or a file that cannot be opened is as unreadable as one that is garbled.
    if (QFileInfo(m_path).isFile() && file.open(QIODevice::ReadOnly))
        document = QJsonDocument::fromJson(file.read(16 * 1024 * 1024), &error);
    file.close();
    const QJsonObject root = document.object();
    bool whole = error.error == QJsonParseError::NoError && root.value(QStringLiteral("format")).toInt() == kFormat &&
                 root.value(QStringLiteral("entries")).isArray();
    QVector<Entry> entries;
    if (whole) {
        for (const QJsonValue& value : root.value(QStringLiteral("entries")).toArray()) {
            Entry entry;
            if (!fromJson(value, &entry)) {
                whole = false;
                break;
            }
            entries.append(entry);
        }
    }
    if (!whole) {
        const QString aside = m_path + QStringLiteral(".damaged-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        const bool moved = QFile::rename(m_path, aside);
        qCWarning(lcGateway).noquote() << "journal" << m_path << "unreadable;"
                                       << (moved ? "kept as " + aside : "left in place");
        if (problem)
            *problem = moved ? aside : m_path;
        // Left in place (it could not be moved): nothing is written over it either.
        if (!moved)
            m_path.clear();
        return false;
    }
    m_entries = entries;
    for (const QJsonValue& no : root.value(QStringLiteral("completed")).toArray())
        m_completed.append(no.toString());
    return true;
}

bool MoneyJournal::save(const QVector<Entry>& entries, const QStringList& completed)
{
    if (m_path.isEmpty())
        return false;
    QJsonArray list;
    for (const Entry& entry : entries)
        list.append(toJson(entry));
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("entries"), list);
    root.insert(QStringLiteral("completed"), QJsonArray::fromStringList(completed));
    // Written beside the old file, flushed to disk, then renamed over it: a crash leaves either the
    // old journal or the new one, never half of one.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) < 0 ||
        !file.commit()) {
        qCWarning(lcGateway).noquote() << "journal" << m_path << "not written:" << file.errorString();
        return false;
    }
    m_entries = entries;
    m_completed = completed;
    return true;
}

bool MoneyJournal::add(const Entry& entry)
{
    ensureLoaded();
    QVector<Entry> entries = m_entries;
    entries.append(entry);
    return save(entries, m_completed);
}

bool MoneyJournal::update(const Entry& entry)
{
    ensureLoaded();
    QVector<Entry> entries = m_entries;
    for (Entry& e : entries) {
        if (e.id == entry.id)
            e = entry;
    }
    return save(entries, m_completed);
}

bool MoneyJournal::resolve(const QString& id)
{
    ensureLoaded();
    QVector<Entry> entries = m_entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.id == id; }),
                  entries.end());
    if (entries.size() == m_entries.size())
        return true;
    return save(entries, m_completed);
}

QVector<MoneyJournal::Entry> MoneyJournal::unresolved(Kind kind, const QString& shopId) const
{
    const_cast<MoneyJournal*>(this)->ensureLoaded();
    QVector<Entry> found;
    for (const Entry& e : m_entries) {
        if (e.kind == kind && (shopId.isNull() || e.shopId == shopId))
            found.append(e);
    }
    return found;
}

MoneyJournal::Entry MoneyJournal::unresolvedRefund(const QString& outTradeNo) const
{
    for (const Entry& e : unresolved(Kind::Refund)) {
        if (e.outTradeNo == outTradeNo)
            return e;
    }
    return Entry();
}

QSet<QString> MoneyJournal::completedPayments() const
{
    const_cast<MoneyJournal*>(this)->ensureLoaded();
    return QSet<QString>(m_completed.begin(), m_completed.end());
}

bool MoneyJournal::noteCompleted(const QString& outTradeNo)
{
    ensureLoaded();
    if (outTradeNo.isEmpty() || m_completed.contains(outTradeNo))
        return true;
    QStringList completed = m_completed;
    completed.append(outTradeNo);
    while (completed.size() > kMaxCompleted)
        completed.removeFirst();
    const bool saved = save(m_entries, completed);
    // Not on disk, it still counts for the rest of the run.
    m_completed = completed;
    return saved;
}
