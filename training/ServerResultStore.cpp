#include "training/ServerResultStore.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <QVariant>
#include <QtGlobal>
#include <cstring>
#include <set>

namespace ravx {

namespace {

constexpr const char* kDriver = "QPSQL";
// A server that does not answer should not keep a student waiting long.
constexpr const char* kConnectTimeout = "5";
// The first key of the advisory locks that this program takes: 'RAVX'.
constexpr int kLockSpace = 0x52415658;

const char* const kCreateTable = R"(CREATE TABLE IF NOT EXISTS ravx_results (
    seq bigserial PRIMARY KEY,
    name text NOT NULL UNIQUE,
    record_id text NOT NULL UNIQUE,
    student_group text NOT NULL,
    date_value bytea NOT NULL,
    data0 bytea NOT NULL,
    data1 bytea NOT NULL,
    host text NOT NULL,
    stored_at timestamptz NOT NULL DEFAULT now()
))";
constexpr const char* kColumns = "name, student_group, date_value, data0, data1, host";

QAtomicInt gConnections;

QString Decoded(const QString& part) { return QUrl::fromPercentEncoding(part.toUtf8()); }

// A value in a libpq parameter list: quoted, with its quotes and backslashes
// escaped.
QString Quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

bool IsParameterName(const QString& key)
{
    if (key.isEmpty())
        return false;
    for (QChar c : key)
        if (!(c.isLower() && c.unicode() < 128) && !c.isDigit() && c != QLatin1Char('_'))
            return false;
    return true;
}

QByteArray Bytes(const result::Value8& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

bool ToValue8(const QVariant& v, result::Value8& into)
{
    const QByteArray bytes = v.toByteArray();
    if (bytes.size() != static_cast<qsizetype>(into.size()))
        return false;
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(into.data()));
    return true;
}

// What makes a record the same record wherever it is stored: the name it was
// taken under and its values (the date to the millisecond, random bytes).
QString RecordId(const QString& name, const result::RecordValues& r)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(name.toUtf8());
    h.addData(QByteArray(1, '\0'));
    h.addData(QByteArray::fromStdString(r.group));
    h.addData(QByteArray(1, '\0'));
    h.addData(Bytes(r.date));
    h.addData(Bytes(r.data0));
    h.addData(Bytes(r.data1));
    return QString::fromLatin1(h.result().toHex());
}

QString OneLine(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

}  // namespace

ServerAddress ParseServerAddress(const QString& url)
{
    ServerAddress a;
    const auto fail = [&a](const QString& why) {
        a.error = QStringLiteral("Неверный адрес сервера результатов: ") + why;
        return a;
    };
    QString rest;
    for (const char* scheme : {"postgresql://", "postgres://"})
        if (url.startsWith(QLatin1String(scheme)))
            rest = url.mid(static_cast<qsizetype>(std::strlen(scheme)));
    if (rest.isNull())
        return fail(QStringLiteral("нужен адрес вида postgresql://пользователь@сервер/база"));

    QStringList options;
    QString query;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        a.database = Decoded(rest.mid(slash + 1));
        rest.truncate(slash);
    }
    if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString user = rest.left(at);
        const qsizetype colon = user.indexOf(QLatin1Char(':'));
        a.user = Decoded(user.left(colon));
        if (colon >= 0)
            a.password = Decoded(user.mid(colon + 1));
        rest = rest.mid(at + 1);
    }
    if (rest.contains(QLatin1Char(',')))
        return fail(QStringLiteral("указан не один сервер"));
    QString port;
    if (rest.startsWith(QLatin1Char('['))) {  // [IPv6]:port
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return fail(QStringLiteral("нет «]» после адреса IPv6"));
        a.host = rest.mid(1, close - 1);
        if (rest.mid(close + 1).startsWith(QLatin1Char(':')))
            port = rest.mid(close + 2);
        else if (close + 1 < rest.size())
            return fail(QStringLiteral("лишнее после адреса IPv6"));
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        a.host = Decoded(rest.left(colon));
        if (colon >= 0)
            port = rest.mid(colon + 1);
    }

    bool timeoutGiven = false;
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString key = Decoded(pair.left(eq));
        const QString value = eq < 0 ? QString() : Decoded(pair.mid(eq + 1));
        if (eq < 0 || !IsParameterName(key) || value.contains(QLatin1Char(';')))
            return fail(QStringLiteral("параметр «%1» не разобран").arg(Decoded(pair.left(eq))));
        if (key == QLatin1String("host"))
            a.host = value;
        else if (key == QLatin1String("port"))
            port = value;
        else if (key == QLatin1String("dbname"))
            a.database = value;
        else if (key == QLatin1String("user"))
            a.user = value;
        else if (key == QLatin1String("password"))
            a.password = value;
        else
            options << key + QLatin1Char('=') + Quoted(value);
        timeoutGiven = timeoutGiven || key == QLatin1String("connect_timeout");
    }
    if (!port.isEmpty()) {
        bool ok = false;
        a.port = port.toInt(&ok);
        if (!ok || a.port < 1 || a.port > 65535)
            return fail(QStringLiteral("порт «%1» не число от 1 до 65535").arg(port));
    }
    if (a.host.contains(QLatin1Char(';')) || a.database.contains(QLatin1Char(';')))
        return fail(QStringLiteral("«;» в имени сервера или базы"));
    if (!timeoutGiven)
        options << QStringLiteral("connect_timeout=") + QLatin1String(kConnectTimeout);
    options << QStringLiteral("application_name=ravx");
    a.options = options.join(QLatin1Char(';'));

    a.shown = QStringLiteral("postgresql://");
    if (!a.user.isEmpty())
        a.shown += a.user + QLatin1Char('@');
    a.shown += a.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + a.host + QLatin1Char(']') : a.host;
    if (a.port > 0)
        a.shown += QLatin1Char(':') + QString::number(a.port);
    a.shown += QLatin1Char('/') + a.database;
    return a;
}

ServerResultStore::ServerResultStore(const QString& url, std::unique_ptr<IniResultStore> local)
    : address_(ParseServerAddress(url)),
      connection_(QStringLiteral("ravx-results-%1").arg(gConnections.fetchAndAddRelaxed(1))),
      local_(std::move(local))
{
    if (!Connect())
        return;
    // The records that waited here while the server was away. The file is
    // no stand-in while they leave it: a record the server does not take
    // stays where it is rather than being stored there a second time.
    if (local_ && local_->Problem().isEmpty()) {
        std::unique_ptr<IniResultStore> waiting = std::move(local_);
        try {
            moved_ = MoveRecords(*waiting, *this);
        } catch (const StoreError& e) {
            qWarning("ravx: %s", e.what());  // the rest waits for the next start
        }
        local_ = std::move(waiting);
    }
}

ServerResultStore::~ServerResultStore()
{
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

bool ServerResultStore::Connect()
{
    if (!address_.error.isEmpty()) {
        offline_ = address_.error;
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QLatin1String(kDriver))) {
        offline_ = QStringLiteral("нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(connection_) ? QSqlDatabase::database(connection_, false)
                                                         : QSqlDatabase::addDatabase(QLatin1String(kDriver), connection_);
    db.setHostName(address_.host);
    db.setPort(address_.port);
    db.setDatabaseName(address_.database);
    db.setUserName(address_.user);
    db.setPassword(address_.password);
    db.setConnectOptions(address_.options);
    if (!db.open()) {
        offline_ = QStringLiteral("сервер результатов %1 недоступен: %2")
                       .arg(address_.shown, OneLine(db.lastError().driverText() + QLatin1Char(' ') +
                                                    db.lastError().databaseText()));
        return false;
    }
    offline_.clear();
    return EnsureTable();
}

bool ServerResultStore::EnsureTable()
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    // a role that may only insert and read finds the table made already
    const auto exists = [&q] {
        return q.exec(QStringLiteral("SELECT to_regclass('ravx_results') IS NOT NULL")) && q.next() &&
               q.value(0).toBool();
    };
    if (exists())
        return true;
    // two machines starting at once must not both create it
    const bool made = db.transaction() && q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(kLockSpace)) &&
                      (exists() || q.exec(QLatin1String(kCreateTable))) && db.commit();
    if (!made) {
        const QString why = Failure(QStringLiteral("таблица результатов не создана"));
        if (db.isOpen())
            db.rollback();
        GoOffline(why);
    }
    return made;
}

void ServerResultStore::GoOffline(const QString& why)
{
    offline_ = why;
    rows_.clear();
    QSqlDatabase::database(connection_, false).close();
}

QString ServerResultStore::Failure(const QString& what) const
{
    const QSqlError e = QSqlDatabase::database(connection_, false).lastError();
    return QStringLiteral("%1 (%2): %3").arg(what, address_.shown, OneLine(e.databaseText() + QLatin1Char(' ') + e.driverText()));
}

QString ServerResultStore::Location() const
{
    return offline_.isEmpty() || !local_ ? address_.shown : local_->Location();
}

QString ServerResultStore::Problem() const { return offline_.isEmpty() || !local_ ? QString() : local_->Problem(); }

QString ServerResultStore::Notice() const
{
    if (offline_.isEmpty())
        return {};
    return local_ ? QStringLiteral("Показаны записи этого компьютера: ") + offline_ : offline_;
}

IniResultStore* ServerResultStore::StandIn()
{
    if (!local_ && !offline_.isEmpty())
        throw StoreError(offline_.toStdString());
    return local_.get();
}

std::optional<QString> ServerResultStore::Insert(const QString& name, const result::RecordValues& record)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const QString base = QString::fromStdString(result::DisplayName(name.toStdString()));
    const QString id = RecordId(base, record);
    QSqlQuery q(db);
    const auto failed = [&](const char* what) -> std::optional<QString> {
        const QString why = Failure(QString::fromUtf8(what));
        if (db.isOpen())
            db.rollback();
        GoOffline(why);
        return std::nullopt;
    };
    // Choosing the free name and taking it is one step for every machine
    // storing under this name: the lock lasts to the end of the transaction.
    if (!db.transaction())
        return failed("запись не начата");
    q.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(%1, hashtext(?))").arg(kLockSpace));
    q.addBindValue(base);
    if (!q.exec())
        return failed("запись не начата");
    q.prepare(QStringLiteral("SELECT name FROM ravx_results WHERE record_id = ?"));
    q.addBindValue(id);
    if (!q.exec())
        return failed("запись не прочитана");
    if (q.next()) {  // moved here before: it stays as it is
        const QString stored = q.value(0).toString();
        return db.commit() ? std::optional<QString>(stored) : failed("запись не завершена");
    }
    q.prepare(QStringLiteral("SELECT name FROM ravx_results WHERE left(name, length(?)) = ?"));
    q.addBindValue(base);
    q.addBindValue(base);
    if (!q.exec())
        return failed("имена не прочитаны");
    std::set<QString> taken;
    while (q.next())
        taken.insert(q.value(0).toString());
    QString key = name;
    while (taken.count(key) != 0)
        key += QLatin1Char(result::kRepeatMark);
    q.prepare(QStringLiteral("INSERT INTO ravx_results (name, record_id, student_group, date_value, data0, data1, host) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(key);
    q.addBindValue(id);
    q.addBindValue(QString::fromStdString(record.group));
    q.addBindValue(Bytes(record.date));
    q.addBindValue(Bytes(record.data0));
    q.addBindValue(Bytes(record.data1));
    q.addBindValue(QSysInfo::machineHostName());
    if (!q.exec())
        return failed("запись не сохранена");
    if (!db.commit())
        return failed("запись не завершена");
    rows_.clear();
    return key;
}

QString ServerResultStore::StoreResult(const QString& name, const result::RecordValues& record)
{
    if (name.isEmpty())
        throw StoreError(result::kStoreFailedText);
    // the server may be back since the store was opened, or gone since
    if ((!offline_.isEmpty() && !Connect()) || !QSqlDatabase::database(connection_, false).isOpen())
        return StandIn()->StoreResult(name, record);
    if (const auto key = Insert(name, record))
        return *key;
    return StandIn()->StoreResult(name, record);  // nothing is lost
}

QStringList ServerResultStore::ResultNames()
{
    if (!offline_.isEmpty())
        return local_ ? local_->ResultNames() : QStringList();
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM ravx_results ORDER BY seq DESC").arg(QLatin1String(kColumns)))) {
        GoOffline(Failure(QStringLiteral("записи не прочитаны")));
        return local_ ? local_->ResultNames() : QStringList();
    }
    rows_.clear();
    QStringList names;
    while (q.next()) {
        names << q.value(0).toString();
        rows_.insert_or_assign(names.back(), RowOf(q));
    }
    return names;
}

std::optional<ServerResultStore::Row> ServerResultStore::Fetch(const QString& keyName)
{
    if (const auto it = rows_.find(keyName); it != rows_.end())
        return it->second;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("SELECT %1 FROM ravx_results WHERE name = ?").arg(QLatin1String(kColumns)));
    q.addBindValue(keyName);
    if (!q.exec()) {
        GoOffline(Failure(QStringLiteral("запись не прочитана")));
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    return RowOf(q);
}

// A row read with kColumns.
ServerResultStore::Row ServerResultStore::RowOf(const QSqlQuery& q)
{
    Row row;
    row.values.group = q.value(1).toString().toStdString();
    row.complete = ToValue8(q.value(2), row.values.date) && ToValue8(q.value(3), row.values.data0) &&
                   ToValue8(q.value(4), row.values.data1);
    row.host = q.value(5).toString();
    return row;
}

StoredEntry ServerResultStore::ReadResult(const QString& keyName)
{
    if (!offline_.isEmpty() && local_)
        return local_->ReadResult(keyName);
    StoredEntry entry;
    const auto row = Fetch(keyName);
    if (!row) {
        entry.error = offline_.isEmpty() ? QStringLiteral("Запись %1 не найдена").arg(keyName) : offline_;
        return entry;
    }
    entry.group = QString::fromStdString(row->values.group);
    entry.host = row->host;
    if (!row->complete) {
        entry.error = QStringLiteral("Запись %1 повреждена").arg(keyName);
        return entry;
    }
    entry.decoded = result::DecodeRecord(row->values.data0, row->values.data1);
    return entry;
}

std::optional<result::RecordValues> ServerResultStore::ReadRecordValues(const QString& keyName)
{
    if (!offline_.isEmpty())
        return local_ ? local_->ReadRecordValues(keyName) : std::nullopt;
    const auto row = Fetch(keyName);
    if (!row || !row->complete)
        return std::nullopt;
    return row->values;
}

bool ServerResultStore::DeleteResult(const QString& keyName)
{
    if (!offline_.isEmpty())
        return local_ && local_->DeleteResult(keyName);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("DELETE FROM ravx_results WHERE name = ?"));
    q.addBindValue(keyName);
    if (!q.exec()) {
        GoOffline(Failure(QStringLiteral("запись не удалена")));
        return false;
    }
    rows_.erase(keyName);
    return q.numRowsAffected() == 1;
}

PurgeOutcome ServerResultStore::PurgeOld(const QStringList& keyNames, const result::CivilTime& today,
                                         const std::function<void(int, bool)>& progress)
{
    PurgeOutcome outcome;
    if (!offline_.isEmpty()) {
        if (local_)
            return local_->PurgeOld(keyNames, today, progress);
        outcome.error = offline_;
        return outcome;
    }
    int done = 0;
    for (const QString& keyName : keyNames) {
        const auto row = Fetch(keyName);
        if (!row) {
            if (!offline_.isEmpty())
                outcome.error = offline_;
            break;  // deleted meanwhile by another teacher's purge
        }
        const auto when = row->complete ? result::FromDays(result::DateFromBytes(row->values.date)) : std::nullopt;
        if (!when) {
            outcome.error = QStringLiteral("Запись %1 повреждена").arg(keyName);
            break;
        }
        const bool old = result::IsRecordOld(*when, today);
        if (old) {
            if (!DeleteResult(keyName)) {
                outcome.error = offline_.isEmpty() ? QString::fromUtf8(result::kStoreFailedText) : offline_;
                break;
            }
            ++outcome.deleted;
        } else {
            outcome.metRecent = true;
        }
        if (progress)
            progress(++done, old);
    }
    return outcome;
}

std::unique_ptr<ResultStore> OpenResultStore(ServerStandIn standIn)
{
    const QString configured = ConfiguredResults();
    if (!configured.contains(QLatin1String("://")))
        return std::make_unique<IniResultStore>(IniResultStore::DefaultPath());
    // the embedded store's own file, as if nothing were configured
    auto local = standIn == ServerStandIn::LocalFile ? std::make_unique<IniResultStore>(IniResultStore::DefaultPath())
                                                     : nullptr;
    return std::make_unique<ServerResultStore>(configured, std::move(local));
}

}  // namespace ravx
