// The results store: the machine-wide place where every test taken leaves a
// record and where the teacher's results window reads them. It offers the
// few registry-like operations the test needs on keys written as
// "SOFTWARE\RAVX\<name>", kept in an INI file through QSettings.
//
// The file is machine-wide (every student of the lab must see the same
// records), and falls back to the user's data folder when that cannot be
// written, so a test can always be stored somewhere.
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
    std::optional<result::DecodedRecord> decoded;
    QString error;
};

struct PurgeOutcome {
    int deleted = 0;
    bool metRecent = false;  // a record young enough to keep was seen
    QString error;           // the scan stopped here
};

class ResultStore {
public:
    // The configured file (ConfiguredResults), else the machine-wide file,
    // or the user's one when that cannot be written.
    ResultStore();
    explicit ResultStore(const QString& path);
    ~ResultStore();
    ResultStore(const ResultStore&) = delete;
    ResultStore& operator=(const ResultStore&) = delete;

    static QString DefaultPath();
    // The file a lab or a test names for the results: RAVX_RESULTS in the
    // environment wins over "results = FILE" in /etc/ravx/ravx.conf. Empty
    // when neither names a file (a "scheme://" address is not a file).
    static QString ConfiguredResults();
    // The value of "results = …" in the text of a ravx.conf: "#" starts a
    // comment, blanks around the name and the value do not count.
    static QString ResultsSetting(const QString& confText);
    QString FileName() const { return path_; }
    // Empty while the store can be used; else the message to show.
    QString Problem() const;

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

    // Stores one test result under the student's name, followed by as many
    // "~" as make the key new, and returns the key name used. Safe against
    // other processes storing at the same moment. Throws StoreError with the
    // text for the student when anything fails.
    QString StoreResult(const QString& name, const result::RecordValues& record);

    // The stored key names, newest first.
    QStringList ResultNames();
    StoredEntry ReadResult(const QString& keyName);
    // The record's four values as stored, to store them elsewhere unchanged;
    // empty when one is missing or malformed.
    std::optional<result::RecordValues> ReadRecordValues(const QString& keyName);
    // Deletes the entries (in list order) that are old as seen on `today`;
    // progress is called after each entry with the number done and whether
    // that entry was old.
    PurgeOutcome PurgeOld(const QStringList& keyNames, const result::CivilTime& today,
                          const std::function<void(int done, bool old)>& progress = {});

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

// "Date" as the results window shows it: the system's short date and long
// time. Empty for a value that is no date.
QString FormatResultTime(double days);
// Today as the purge rule sees it.
result::CivilTime Today();
double NowAsDays();

}  // namespace ravx
