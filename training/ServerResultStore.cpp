#include "training/ServerResultStore.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <QVariant>
#include <QtGlobal>
#include <cstring>

#include "training/TeacherAccess.h"

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

// Every record is stored through this function, which runs with its owner's
// rights: it chooses the free name ("name", "name~", …) and takes it in one
// transaction, and a record already there (moved before, its id known) is not
// stored again. A role that may only store calls it and reads nothing.
constexpr const char* kStoreFunction = "ravx_store_result";
constexpr const char* kStoreArguments = "(text, text, text, bytea, bytea, bytea, text)";
// %1 is the table's schema, %2 the first key of the advisory locks.
const char* const kCreateFunction = R"(CREATE FUNCTION %1.ravx_store_result(p_name text, p_record_id text,
    p_group text, p_date bytea, p_data0 bytea, p_data1 bytea, p_host text) RETURNS text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $body$
DECLARE
    free_name text := p_name;
    stored text;
BEGIN
    IF p_name = '' OR octet_length(p_date) <> 8 OR octet_length(p_data0) <> 8 OR octet_length(p_data1) <> 8 THEN
        RAISE EXCEPTION 'a record needs a name and three values of 8 bytes';
    END IF;
    -- one caller at a time chooses among the takes of one name
    PERFORM pg_advisory_xact_lock(%2, hashtext(split_part(p_name, '~', 1)));
    SELECT name INTO stored FROM %1.ravx_results WHERE record_id = p_record_id;
    IF FOUND THEN
        RETURN stored;
    END IF;
    WHILE EXISTS (SELECT 1 FROM %1.ravx_results WHERE name = free_name) LOOP
        free_name := free_name || '~';
    END LOOP;
    INSERT INTO %1.ravx_results (name, record_id, student_group, date_value, data0, data1, host)
        VALUES (free_name, p_record_id, p_group, p_date, p_data0, p_data1, p_host);
    RETURN free_name;
END
$body$)";
constexpr const char* kMayNotRead = "читать результаты лаборатории";
// The server's code for a statement that the role has no right to.
constexpr const char* kInsufficientPrivilege = "42501";

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

// The address without its password.
QString Shown(const ServerAddress& a)
{
    QString shown = QStringLiteral("postgresql://");
    if (!a.user.isEmpty())
        shown += a.user + QLatin1Char('@');
    shown += a.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + a.host + QLatin1Char(']') : a.host;
    if (a.port > 0)
        shown += QLatin1Char(':') + QString::number(a.port);
    return shown + QLatin1Char('/') + a.database;
}

// Why the server refused a connection, said before the server's own words.
// Those come in the server's language (English, or Russian on a server set up
// in Russian), libpq's own in this machine's; what is not recognised is told
// as a server that cannot be reached.
QString ConnectFailure(const ServerAddress& a, const QSqlError& e)
{
    const QString server = OneLine(e.driverText() + QLatin1Char(' ') + e.databaseText());
    const QString ofRole = a.user.isEmpty() ? QString() : QStringLiteral(" роли ") + a.user;
    struct Known {
        const char* pattern;
        QString lead;
    };
    const Known known[] = {
        {"password authentication failed|не прошёл проверку подлинности|no password supplied",
         QString::fromUtf8(kWrongPasswordText) + ofRole + QStringLiteral(" на сервере результатов ") + a.shown},
        {"database \".*\" does not exist|база данных \".*\" не существует",
         QStringLiteral("на сервере результатов %1 нет базы данных %2").arg(a.shown, a.database)},
        {"role \".*\" does not exist|роль \".*\" не существует",
         QStringLiteral("на сервере результатов %1 нет роли %2").arg(a.shown, a.user)},
        {"no pg_hba.conf entry|в pg_hba.conf нет записи",
         QStringLiteral("сервер результатов %1 не пускает роль %2 с этого компьютера (pg_hba.conf)")
             .arg(a.shown, a.user)},
    };
    for (const Known& k : known)
        if (server.contains(QRegularExpression(QString::fromUtf8(k.pattern))))
            return k.lead + QStringLiteral(": ") + server;
    return QStringLiteral("сервер результатов %1 недоступен: %2").arg(a.shown, server);
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
    a.shown = Shown(a);
    return a;
}

ServerAddress AsRole(ServerAddress address, const QString& role, const QString& password)
{
    address.user = role;
    address.password = password;
    if (address.error.isEmpty())
        address.shown = Shown(address);
    return address;
}

ServerResultStore::ServerResultStore(const QString& url, std::unique_ptr<IniResultStore> local)
    : ServerResultStore(ParseServerAddress(url), std::move(local))
{}

ServerResultStore::ServerResultStore(const ServerAddress& address, std::unique_ptr<IniResultStore> local)
    : address_(address),
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
        offline_ = ConnectFailure(address_, db.lastError());
        return false;
    }
    offline_.clear();
    return EnsureTable();
}

// The table and the function that stores into it: the lab's set-up makes
// them, or the first machine to connect of a lab whose machines all use the
// owner's role; a role that may only store finds them made.
bool ServerResultStore::EnsureTable()
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    bool table = false, function = false;
    const auto look = [&] {
        if (!q.exec(QStringLiteral("SELECT current_user, to_regclass('ravx_results') IS NOT NULL, "
                                   "to_regprocedure('%1%2') IS NOT NULL")
                        .arg(QLatin1String(kStoreFunction), QLatin1String(kStoreArguments))) ||
            !q.next())
            return false;
        role_ = q.value(0).toString();
        table = q.value(1).toBool();
        function = q.value(2).toBool();
        return true;
    };
    if (look() && table && function)
        return true;
    // two machines starting at once must not both create them
    const bool made = db.transaction() &&
                      q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(kLockSpace)) && look() &&
                      (table || q.exec(QLatin1String(kCreateTable))) && (function || CreateFunction(q)) && db.commit();
    if (!made) {
        const QString why = Failure(q.lastError().isValid() ? q.lastError() : db.lastError(),
                                    QStringLiteral("таблица результатов не создана"),
                                    QStringLiteral("создать таблицу результатов (её создаёт ravx-run --results-setup "
                                                   "от роли преподавателя)"));
        if (db.isOpen())
            db.rollback();
        created_.clear();
        GoOffline(why);
        return false;
    }
    if (!table)
        created_.prepend(QStringLiteral("created the table ravx_results"));
    return true;
}

// Made in the schema of the table, which it names with that schema, and
// with no other schema on its path: nobody's function or table can stand in
// for the ones it means.
bool ServerResultStore::CreateFunction(QSqlQuery& q)
{
    if (!q.exec(QStringLiteral("SELECT quote_ident(n.nspname) FROM pg_class c JOIN pg_namespace n ON n.oid = "
                               "c.relnamespace WHERE c.oid = 'ravx_results'::regclass")) ||
        !q.next())
        return false;
    const QString schema = q.value(0).toString();
    if (!q.exec(QString::fromLatin1(kCreateFunction).arg(schema).arg(kLockSpace)) ||
        !q.exec(QStringLiteral("REVOKE ALL ON FUNCTION %1.%2%3 FROM PUBLIC")
                    .arg(schema, QLatin1String(kStoreFunction), QLatin1String(kStoreArguments))))
        return false;
    created_ << QStringLiteral("created the function %1").arg(QLatin1String(kStoreFunction));
    return true;
}

void ServerResultStore::GoOffline(const QString& why)
{
    offline_ = why;
    rows_.clear();
    QSqlDatabase::database(connection_, false).close();
}

QString ServerResultStore::Failure(const QSqlError& e, const QString& what, const QString& denied) const
{
    const QString role = role_.isEmpty() ? address_.user : role_;
    const QString lead = !denied.isEmpty() && e.nativeErrorCode() == QLatin1String(kInsufficientPrivilege)
                             ? QStringLiteral("роль %1 не может %2").arg(role, denied)
                             : what;
    return QStringLiteral("%1 (%2): %3")
        .arg(lead, address_.shown, OneLine(e.databaseText() + QLatin1Char(' ') + e.driverText()));
}

QString ServerResultStore::Location() const
{
    return offline_.isEmpty() || !local_ ? address_.shown : local_->Location();
}

QString ServerResultStore::Problem() const { return offline_.isEmpty() || !local_ ? QString() : local_->Problem(); }

QString ServerResultStore::Notice() const { return offline_; }

IniResultStore* ServerResultStore::StandIn()
{
    if (!local_ && !offline_.isEmpty())
        throw StoreError(offline_.toStdString());
    return local_.get();
}

std::optional<QString> ServerResultStore::Insert(const QString& name, const result::RecordValues& record)
{
    const QString base = QString::fromStdString(result::DisplayName(name.toStdString()));
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("SELECT %1(?, ?, ?, ?, ?, ?, ?)").arg(QLatin1String(kStoreFunction)));
    q.addBindValue(name);
    q.addBindValue(RecordId(base, record));
    q.addBindValue(QString::fromStdString(record.group));
    q.addBindValue(Bytes(record.date));
    q.addBindValue(Bytes(record.data0));
    q.addBindValue(Bytes(record.data1));
    q.addBindValue(QSysInfo::machineHostName());
    if (!q.exec() || !q.next()) {
        const QString why =
            Failure(q.lastError(), QStringLiteral("запись не сохранена"), QStringLiteral("сохранять результаты"));
        q.clear();  // its prepared statement goes before the connection
        GoOffline(why);
        return std::nullopt;
    }
    rows_.clear();
    return q.value(0).toString();
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
        GoOffline(Failure(q.lastError(), QStringLiteral("записи не прочитаны"), QString::fromUtf8(kMayNotRead)));
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
        const QString why =
            Failure(q.lastError(), QStringLiteral("запись не прочитана"), QString::fromUtf8(kMayNotRead));
        q.clear();
        GoOffline(why);
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
        const QString why =
            Failure(q.lastError(), QStringLiteral("запись не удалена"), QStringLiteral("удалять результаты"));
        q.clear();
        GoOffline(why);
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

SetUpOutcome ServerResultStore::SetUpStudentRole(const QString& studentRole)
{
    SetUpOutcome outcome;
    if (!offline_.isEmpty()) {
        outcome.error = offline_;
        return outcome;
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    QStringList changes = created_;
    std::optional<QString> error;
    if (!db.transaction() || !q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(kLockSpace)))
        error =
            Failure(q.lastError().isValid() ? q.lastError() : db.lastError(), QStringLiteral("настройка не начата"));
    else
        error = GrantOnly(q, studentRole, changes);
    if (!error && !db.commit())
        error = Failure(db.lastError(), QStringLiteral("настройка не завершена"));
    if (error) {
        if (db.isOpen())
            db.rollback();
        outcome.error = *error;
        return outcome;
    }
    created_.clear();
    outcome.changes = changes;
    return outcome;
}

// The checks and grants of SetUpStudentRole, in its transaction; each right
// is granted or revoked only when it is not yet as it should be, so a second
// run changes nothing. Returns why it stopped.
std::optional<QString> ServerResultStore::GrantOnly(QSqlQuery& q, const QString& studentRole, QStringList& changes)
{
    const auto failed = [this, &q](const char* what) { return Failure(q.lastError(), QString::fromUtf8(what)); };
    if (!q.exec(QStringLiteral("SELECT pg_get_userbyid(c.relowner), pg_get_userbyid(p.proowner), "
                               "quote_ident(n.nspname), quote_ident(current_database()) "
                               "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace, pg_proc p "
                               "WHERE c.oid = 'ravx_results'::regclass AND p.oid = '%1%2'::regprocedure")
                    .arg(QLatin1String(kStoreFunction), QLatin1String(kStoreArguments))) ||
        !q.next())
        return failed("таблица результатов не найдена");
    const QString owner = q.value(0).toString();
    const QString schema = q.value(2).toString();
    const QString database = q.value(3).toString();
    if (owner != role_ || q.value(1).toString() != role_)
        return QStringLiteral(
                   "таблица ravx_results и функция %1 принадлежат роли %2, а настройка запущена от роли %3 "
                   "(%4): её запускают от роли преподавателя, владельца базы")
            .arg(QLatin1String(kStoreFunction), owner, role_, address_.shown);

    q.prepare(
        QStringLiteral("SELECT rolsuper, pg_has_role(rolname, current_user, 'MEMBER'), quote_ident(rolname) "
                       "FROM pg_roles WHERE rolname = ?"));
    q.addBindValue(studentRole);
    if (!q.exec())
        return failed("роли не прочитаны");
    if (!q.next())
        return QStringLiteral("на сервере %1 нет роли %2: её создаёт администратор сервера (createuser %2)")
            .arg(address_.shown, studentRole);
    if (q.value(0).toBool() || q.value(1).toBool())
        return QStringLiteral(
                   "роль %1 %2 и могла бы читать и удалять результаты: для учебных компьютеров нужна "
                   "отдельная роль (%3)")
            .arg(studentRole,
                 q.value(0).toBool() ? QStringLiteral("— суперпользователь")
                                     : QStringLiteral("входит в роль %1").arg(role_),
                 address_.shown);
    const QString role = q.value(2).toString();
    const QString function = schema + QLatin1Char('.') + QLatin1String(kStoreFunction) + QLatin1String(kStoreArguments);
    const QString tableRights = QStringLiteral("SELECT, INSERT, UPDATE, DELETE, TRUNCATE, REFERENCES, TRIGGER");

    // whether a change is due (who, what, which right), the statement, and what it did
    struct Step {
        QString due;
        QString statement;
        QString done;
    };
    const Step steps[] = {
        {QStringLiteral("has_function_privilege('public', '%1', 'EXECUTE')").arg(function),
         QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM PUBLIC").arg(function),
         QStringLiteral("revoked every role's right to call %1").arg(QLatin1String(kStoreFunction))},
        {QStringLiteral("has_table_privilege('public', '%1.ravx_results', '%2')").arg(schema, tableRights),
         QStringLiteral("REVOKE ALL ON %1.ravx_results FROM PUBLIC").arg(schema),
         QStringLiteral("revoked every role's rights on the table ravx_results")},
        {QStringLiteral("has_table_privilege(:role, '%1.ravx_results', '%2')").arg(schema, tableRights),
         QStringLiteral("REVOKE ALL ON %1.ravx_results FROM %2").arg(schema, role),
         QStringLiteral("revoked %1's rights on the table ravx_results").arg(studentRole)},
        {QStringLiteral("NOT has_database_privilege(:role, current_database(), 'CONNECT')"),
         QStringLiteral("GRANT CONNECT ON DATABASE %1 TO %2").arg(database, role),
         QStringLiteral("granted %1 the right to connect to the database").arg(studentRole)},
        {QStringLiteral("NOT has_schema_privilege(:role, '%1', 'USAGE')").arg(schema),
         QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, role),
         QStringLiteral("granted %1 the use of the schema %2").arg(studentRole, schema)},
        {QStringLiteral("NOT has_function_privilege(:role, '%1', 'EXECUTE')").arg(function),
         QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2").arg(function, role),
         QStringLiteral("granted %1 the right to call %2").arg(studentRole, QLatin1String(kStoreFunction))},
    };
    for (const Step& step : steps) {
        q.prepare(QStringLiteral("SELECT ") + step.due);
        if (step.due.contains(QLatin1String(":role")))
            q.bindValue(QStringLiteral(":role"), studentRole);
        if (!q.exec() || !q.next())
            return failed("права не прочитаны");
        if (!q.value(0).toBool())
            continue;
        if (!q.exec(step.statement))
            return Failure(q.lastError(), QStringLiteral("не выполнено: ") + step.statement);
        changes << step.done;
    }
    // a right on the table may still come from another role it belongs to
    q.prepare(QStringLiteral("SELECT has_table_privilege(?, '%1.ravx_results', '%2')").arg(schema, tableRights));
    q.addBindValue(studentRole);
    if (!q.exec() || !q.next())
        return failed("права не прочитаны");
    if (q.value(0).toBool())
        return QStringLiteral("роль %1 получает права на таблицу ravx_results через другую роль, в которую входит (%2)")
            .arg(studentRole, address_.shown);
    return std::nullopt;
}

std::unique_ptr<ServerResultStore> OpenTeacherStore(const QString& url, const QString& role, const QString& password)
{
    return std::make_unique<ServerResultStore>(AsRole(ParseServerAddress(url), role, password),
                                               std::make_unique<IniResultStore>(IniResultStore::DefaultPath()));
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
