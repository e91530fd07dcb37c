// The results stores: where every test taken leaves a record and where the
// teacher's results window and `ravx-run --results` read them.
//
// The embedded store keeps a machine's records in an INI file (machine-wide,
// or the user's own when that cannot be written) through QSettings, with the
// few registry-like operations the test needs on keys written as
// "SOFTWARE\RAVX\<name>". A lab that names a PostgreSQL server in its
// configuration keeps every machine's records in one database instead
// (ServerResultStore.h); OpenResultStore picks the configured one.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "training/TestResult.h"

class QSettings;

namespace ravx {

class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kResultsRoot = "SOFTWARE\\RAVX\\";
inline constexpr const char* kMachineWideResultsPath = "/var/lib/ravx/results.ini";
inline constexpr const char* kValueDate = "Date";
inline constexpr const char* kValueData0 = "Data0";
inline constexpr const char* kValueGroup = "Key";
inline constexpr const char* kValueData1 = "Data1";

// One stored record as the results window shows it. A value that is missing
// or of the wrong type stops the reading there: the fields read before it are
// kept and `error` tells which value failed.
struct StoredEntry {
    QString group;
    QString host;  // the machine the record was stored on
    std::optional<result::DecodedRecord> decoded;
    QString error;
};

struct PurgeOutcome {
    int deleted = 0;
    bool metRecent = false;  // a record young enough to keep was seen
    QString error;           // the scan stopped here
};

// What the test, the results window and the teacher's commands need of a store.
class ResultStore {
public:
    virtual ~ResultStore() = default;

    // Where the records are, for the teacher: a file, or the server's
    // address without its password.
    virtual QString Location() const = 0;
    // Empty while the store can be used; else the message to show.
    virtual QString Problem() const = 0;
    // Empty, or why the records shown are not those of the configured store
    // (the machine's own while the lab's server is away).
    virtual QString Notice() const { return {}; }

    // Stores one test result under the student's name, followed by as many
    // "~" as make the key new, and returns the key name used. Safe against
    // other processes storing at the same moment. Throws StoreError with the
    // text for the student when anything fails.
    virtual QString StoreResult(const QString& name, const result::RecordValues& record) = 0;
    // The stored key names, newest first.
    virtual QStringList ResultNames() = 0;
    virtual StoredEntry ReadResult(const QString& keyName) = 0;
    // The record's four values as stored, to store them elsewhere unchanged;
    // empty when one is missing or malformed.
    virtual std::optional<result::RecordValues> ReadRecordValues(const QString& keyName) = 0;
    virtual bool DeleteResult(const QString& keyName) = 0;
    // Deletes the entries (in list order) that are old as seen on `today`;
    // progress is called after each entry with the number done and whether
    // that entry was old.
    virtual PurgeOutcome PurgeOld(const QStringList& keyNames, const result::CivilTime& today,
                                  const std::function<void(int done, bool old)>& progress = {}) = 0;
};

// The embedded store.
class IniResultStore : public ResultStore {
public:
    // The configured file (ConfiguredResults), else the machine-wide file,
    // or the user's one when that cannot be written.
    IniResultStore();
    explicit IniResultStore(const QString& path);
    ~IniResultStore() override;
    IniResultStore(const IniResultStore&) = delete;
    IniResultStore& operator=(const IniResultStore&) = delete;

    static QString DefaultPath();
    // The file a lab or a test names for the results (ConfiguredResults);
    // empty when it names none (a "scheme://" address is not a file).
    static QString ConfiguredResultsFile();
    QString FileName() const { return path_; }
    QString Location() const override { return path_; }
    QString Problem() const override;

    // Registry-like operations; keys are backslash paths such as
    // "SOFTWARE\RAVX\Ученик". Writers return false when the file could not be
    // written.
    bool KeyExists(const QString& key);
    QStringList SubKeys(const QString& key);
    bool DeleteKey(const QString& key);
    bool WriteString(const QString& key, const QString& name, const QString& value);
    std::optional<QString> ReadString(const QString& key, const QString& name);
    bool WriteBinary(const QString& key, const QString& name, const QByteArray& value);
    std::optional<QByteArray> ReadBinary(const QString& key, const QString& name);

    QString StoreResult(const QString& name, const result::RecordValues& record) override;
    QStringList ResultNames() override;
    StoredEntry ReadResult(const QString& keyName) override;
    std::optional<result::RecordValues> ReadRecordValues(const QString& keyName) override;
    bool DeleteResult(const QString& keyName) override;
    PurgeOutcome PurgeOld(const QStringList& keyNames, const result::CivilTime& today,
                          const std::function<void(int done, bool old)>& progress = {}) override;

private:
    // The results live in QSettings groups; these work on group paths, the
    // public operations on backslash key paths.
    QString GroupPath(const QString& key) const;
    bool GroupExists(const QString& group);
    bool RemoveGroup(const QString& group);
    bool SetValue(const QString& group, const QString& name, const QVariant& value);
    std::optional<QVariant> ValueOf(const QString& group, const QString& name, int type);
    std::optional<result::Value8> Value8Of(const QString& group, const char* name);
    bool Usable() const;
    bool Sync();
    QString FindFreeName(const QString& name);

    // Takes the store's lock unless this store already holds it; a folder
    // nobody may write in has no writers to wait for.
    class Lock;
    bool lockHeld_ = false;
    QString path_;
    std::unique_ptr<QSettings> settings_;
};

// The lab's configuration file: the one RAVX_CONF names, else
// /etc/ravx/ravx.conf.
QString LabConfigPath();
// The value of "NAME = …" in the text of a configuration file: "#" starts a
// comment, blanks around the name and the value do not count, the last line
// of a name counts.
QString ConfSetting(const QString& confText, const QString& name);
// The same in the lab's configuration file; empty when it has none.
QString LabSetting(const QString& name);
// "results = …" as a lab or a test sets it: RAVX_RESULTS in the environment
// wins over the line in the configuration file; empty when neither sets it.
QString ConfiguredResults();

// The configured store: the lab's server, or the embedded store's file. While
// a server is away the embedded store's default file stands in for a test's
// records (LocalFile); the teacher's commands ask for the server or nothing.
enum class ServerStandIn { LocalFile, None };
std::unique_ptr<ResultStore> OpenResultStore(ServerStandIn standIn = ServerStandIn::LocalFile);

// Moves every record of `from` into `to`, oldest first, each under its name
// (the target adds "~" as it needs); a record leaves `from` only once `to`
// holds it. Returns the number moved; throws StoreError naming the record
// that stopped it, with the number moved before it.
int MoveRecords(ResultStore& from, ResultStore& to);

// "Date" as the results window shows it: the system's short date and long
// time. Empty for a value that is no date.
QString FormatResultTime(double days);
// Today as the purge rule sees it.
result::CivilTime Today();
double NowAsDays();

}  // namespace ravx
