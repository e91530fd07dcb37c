// The lab's results store on a PostgreSQL server, named in the configuration
// as "results = postgresql://…" (the libpq URL form), through Qt SQL's
// PostgreSQL driver. Every machine of the lab stores its records in one
// table, which the first store to connect creates.
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

#include "training/ResultStore.h"

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

class ServerResultStore : public ResultStore {
public:
    // Connects at once; `local` stands in while the server is away. Without
    // it, nothing stands in: storing fails with the reason and reading finds
    // nothing, the reason being Notice.
    ServerResultStore(const QString& url, std::unique_ptr<IniResultStore> local);
    ~ServerResultStore() override;
    ServerResultStore(const ServerResultStore&) = delete;
    ServerResultStore& operator=(const ServerResultStore&) = delete;

    // Empty while the server is used; else why the local store stands in.
    QString Offline() const { return offline_; }
    // The records moved from the local store when the server was reached.
    int Moved() const { return moved_; }

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
    void GoOffline(const QString& why);
    // Why the last statement failed, as the teacher reads it.
    QString Failure(const QString& what) const;
    std::optional<QString> Insert(const QString& name, const result::RecordValues& record);
    std::optional<Row> Fetch(const QString& keyName);
    static Row RowOf(const QSqlQuery& q);

    ServerAddress address_;
    QString connection_;
    std::unique_ptr<IniResultStore> local_;
    QString offline_;
    int moved_ = 0;
    std::map<QString, Row> rows_;  // read by the last ResultNames
};

}  // namespace ravx
