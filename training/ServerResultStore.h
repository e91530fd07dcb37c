// The lab's results store on a PostgreSQL server, named in the configuration
// as "results = postgresql://…" (the libpq URL form), through Qt SQL's
// PostgreSQL driver. Every machine of the lab stores its records in one
// table through one function that runs with the table owner's rights
// (SECURITY DEFINER): it chooses the free name and inserts in one
// transaction. The lab's set-up (SetUpStudentRole, as the teacher's role that
// owns the database) makes both and lets the students' role call the
// function and nothing else, so a student machine stores records and reads
// none; a lab whose machines all use the owner's role gets both from the
// first store to connect.
//
// While the server cannot be reached the machine's embedded store stands in:
// a test's record goes there and the results window shows it with the reason;
// the next store that reaches the server moves those records over, each
// exactly once (a record is known by a digest of its contents, so a move
// broken off between the server's insert and the local delete is not
// repeated).
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "training/ResultStore.h"

class QSqlError;
class QSqlQuery;

namespace ravx {

// The parts of a server address that the driver takes.
struct ServerAddress {
    QString host;  // a name, an address, or a socket folder ("/run/postgresql")
    int port = -1;
    QString database;
    QString user;
    QString password;
    QString options;  // the other libpq parameters, "key='value'" joined by ";"
    QString error;    // why the address cannot be used; empty when it can
    QString shown;    // the address without its password, for the teacher
};

// Reads "postgresql://[user[:password]@][host][:port][/database][?key=value&…]"
// ("postgres://" too); percent-escapes are decoded, so a socket folder can be
// given as the host ("%2Frun%2Fpostgresql") or as "?host=/run/postgresql".
ServerAddress ParseServerAddress(const QString& url);
// The same server and database, connected as another role.
ServerAddress AsRole(ServerAddress address, const QString& role, const QString& password);

// What the lab's set-up did, or why it stopped.
struct SetUpOutcome {
    QStringList changes;  // one line for each thing made or granted
    QString error;
};

class ServerResultStore : public ResultStore {
public:
    // Connects at once; `local` stands in while the server is away. Without
    // it, nothing stands in: storing fails with the reason and reading finds
    // nothing, the reason being Notice.
    ServerResultStore(const QString& url, std::unique_ptr<IniResultStore> local);
    ServerResultStore(const ServerAddress& address, std::unique_ptr<IniResultStore> local);
    ~ServerResultStore() override;
    ServerResultStore(const ServerResultStore&) = delete;
    ServerResultStore& operator=(const ServerResultStore&) = delete;

    // Empty while the server is used; else why the local store stands in.
    QString Offline() const { return offline_; }
    // The records moved from the local store when the server was reached.
    int Moved() const { return moved_; }

    // Lets `studentRole` store records through the store function and
    // nothing else: no reading, changing or deleting of the table. Run as
    // the role that owns the table (the teacher's); a second run changes
    // nothing.
    SetUpOutcome SetUpStudentRole(const QString& studentRole);

    QString Location() const override;
    QString Problem() const override;
    QString Notice() const override;
    QString StoreResult(const QString& name, const result::RecordValues& record) override;
    QStringList ResultNames() override;
    StoredEntry ReadResult(const QString& keyName) override;
    std::optional<result::RecordValues> ReadRecordValues(const QString& keyName) override;
    bool DeleteResult(const QString& keyName) override;
    PurgeOutcome PurgeOld(const QStringList& keyNames, const result::CivilTime& today,
                          const std::function<void(int done, bool old)>& progress = {}) override;

private:
    struct Row {
        result::RecordValues values;
        QString host;
        bool complete = false;  // every value had its size
    };
    bool Connect();
    // The local store while the server is away; throws StoreError when none
    // stands in.
    IniResultStore* StandIn();
    bool EnsureTable();
    bool CreateFunction(QSqlQuery& q);
    std::optional<QString> GrantOnly(QSqlQuery& q, const QString& studentRole, QStringList& changes);
    void GoOffline(const QString& why);
    // Why the last statement failed, as the teacher reads it: `what` was not
    // done, or, when the role lacks the right, it may not do `denied`; the
    // server's own text follows.
    QString Failure(const QSqlError& e, const QString& what, const QString& denied = {}) const;
    std::optional<QString> Insert(const QString& name, const result::RecordValues& record);
    std::optional<Row> Fetch(const QString& keyName);
    static Row RowOf(const QSqlQuery& q);

    ServerAddress address_;
    QString connection_;
    std::unique_ptr<IniResultStore> local_;
    QString offline_;
    QString role_;         // the role connected, as the server names it
    QStringList created_;  // what this store made on the server
    int moved_ = 0;
    std::map<QString, Row> rows_;  // read by the last ResultNames
};

// The teacher's look at the lab's records: the configured server and
// database, connected as `role` with `password`; this machine's file stands
// in as for the test (and its waiting records move with the teacher's
// right). Offline tells why the connection was refused.
std::unique_ptr<ServerResultStore> OpenTeacherStore(const QString& url, const QString& role, const QString& password);

}  // namespace ravx
