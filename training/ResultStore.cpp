#include "training/ResultStore.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTime>
#include <QVariant>
#include <algorithm>

namespace ravx {

namespace {

constexpr char kKeySeparator = '\\';
// Waiting this long for another process that is storing a result is plenty;
// a lock older than the stale time was left by a process that died.
constexpr int kLockWaitMs = 10000;
constexpr int kLockStaleMs = 30000;
constexpr const char* kNamesLockSuffix = ".names.lock";
constexpr const char* kFallbackFolder = "ravx";
constexpr const char* kFileName = "results.ini";
constexpr const char* kLabConfigPath = "/etc/ravx/ravx.conf";
constexpr const char* kConfEnvironment = "RAVX_CONF";

// QSettings takes both "/" and "\\" as its separators, so a name holding one
// (a student may type anything) is escaped and comes back unchanged.
QString EncodeComponent(QString s)
{
    s.replace(QLatin1Char('%'), QStringLiteral("%25"));
    s.replace(QLatin1Char('/'), QStringLiteral("%2F"));
    s.replace(QLatin1Char('\\'), QStringLiteral("%5C"));
    return s;
}

QString DecodeComponent(QString s)
{
    s.replace(QStringLiteral("%5C"), QStringLiteral("\\"));
    s.replace(QStringLiteral("%2F"), QStringLiteral("/"));
    s.replace(QStringLiteral("%25"), QStringLiteral("%"));
    return s;
}

QString ResultsGroup() { return QStringLiteral("SOFTWARE/RAVX"); }

QString ResultGroup(const QString& keyName) { return ResultsGroup() + QLatin1Char('/') + EncodeComponent(keyName); }

bool CanWriteFile(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo dir(file.absolutePath());
    if (!dir.isDir() || !dir.isWritable()) {
        return false;
    }
    return !file.exists() || file.isWritable();
}

QByteArray ToBytes(const result::Value8& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

std::optional<result::Value8> ToValue8(const QByteArray& bytes)
{
    if (bytes.size() != static_cast<qsizetype>(result::kValueSize)) {
        return std::nullopt;
    }
    result::Value8 v{};
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(v.data()));
    return v;
}

QString MissingValue(const char* name) { return QStringLiteral("Failed to get data for '%1'").arg(name); }

}  // namespace

// Every read of the file, not only every write, happens under one lock that
// all writers hold: QSettings reads without its own lock, and a read that
// overlaps a writer's rename can keep the old contents under the new file's
// size and time; its next sync then believes the file unchanged and the next
// write drops the records it never saw.
class IniResultStore::Lock {
public:
    explicit Lock(IniResultStore& store) : store_(store), file_(store.path_ + QLatin1String(kNamesLockSuffix))
    {
        if (store_.lockHeld_) {
            return;  // an outer step of this store holds it
        }
        file_.setStaleLockTime(kLockStaleMs);
        taken_ = file_.tryLock(kLockWaitMs);
        // only a folder nobody may write in has no lock file: and no writers
        usable_ = taken_ || file_.error() == QLockFile::PermissionError;
        store_.lockHeld_ = taken_;
    }
    ~Lock()
    {
        if (taken_) {
            store_.lockHeld_ = false;
        }
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    // False when another process kept the lock past the wait.
    bool Usable() const { return usable_; }

private:
    IniResultStore& store_;
    QLockFile file_;
    bool taken_ = false;
    bool usable_ = true;
};

IniResultStore::IniResultStore() : IniResultStore(DefaultPath()) {}

IniResultStore::IniResultStore(const QString& path) : path_(path)
{
    // QSettings reads the file when it is made, and so learns whether it is
    // damaged; every writer checks that before touching anything.
    const Lock lock(*this);
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    settings_->allKeys();
}

IniResultStore::~IniResultStore() = default;

QString ConfSetting(const QString& confText, const QString& name)
{
    QString value;
    for (QString line : confText.split(QLatin1Char('\n'))) {
        line = line.left(line.indexOf(QLatin1Char('#'))).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == name)
            value = line.mid(eq + 1).trimmed();  // the last one counts
    }
    return value;
}

QString LabConfigPath()
{
    const QString named = qEnvironmentVariable(kConfEnvironment).trimmed();
    return named.isEmpty() ? QString::fromLatin1(kLabConfigPath) : named;
}

QString LabSetting(const QString& name)
{
    QFile conf(LabConfigPath());
    if (!conf.open(QIODevice::ReadOnly))
        return {};
    return ConfSetting(QString::fromUtf8(conf.readAll()), name);
}

QString ConfiguredResults()
{
    const QString value = qEnvironmentVariable("RAVX_RESULTS").trimmed();
    return value.isEmpty() ? LabSetting(QStringLiteral("results")) : value;
}

QString IniResultStore::ConfiguredResultsFile()
{
    const QString value = ConfiguredResults();
    if (value.contains(QLatin1String("://")))
        return {};  // an address of a server, not a file
    return value;
}

QString IniResultStore::DefaultPath()
{
    if (const QString configured = ConfiguredResultsFile(); !configured.isEmpty()) {
        QDir().mkpath(QFileInfo(configured).absolutePath());
        return QFileInfo(configured).absoluteFilePath();
    }
    const QString machineWide = QString::fromLatin1(kMachineWideResultsPath);
    if (CanWriteFile(machineWide)) {
        return machineWide;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
                           QLatin1String(kFallbackFolder);
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + QLatin1String(kFileName);
}

QString IniResultStore::Problem() const
{
    switch (settings_->status()) {
    case QSettings::NoError: return {};
    case QSettings::FormatError: return QStringLiteral("Файл результатов повреждён: %1").arg(path_);
    case QSettings::AccessError: return QStringLiteral("Нет доступа к файлу результатов: %1").arg(path_);
    }
    return {};
}

bool IniResultStore::Usable() const { return settings_->status() == QSettings::NoError; }

bool IniResultStore::Sync()
{
    // A damaged file is never written over: the records in it may still be
    // saved by hand.
    if (!Usable()) {
        return false;
    }
    const Lock lock(*this);
    if (!lock.Usable()) {
        return false;
    }
    settings_->sync();
    return Usable();
}

QString IniResultStore::GroupPath(const QString& key) const
{
    QStringList parts;
    for (const QString& part : key.split(QLatin1Char(kKeySeparator), Qt::SkipEmptyParts)) {
        parts << EncodeComponent(part);
    }
    return parts.join(QLatin1Char('/'));
}

bool IniResultStore::GroupExists(const QString& group)
{
    settings_->beginGroup(group);
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    return exists;
}

bool IniResultStore::RemoveGroup(const QString& group)
{
    if (!Usable() || !GroupExists(group)) {
        return false;
    }
    settings_->remove(group);
    return Sync();
}

bool IniResultStore::SetValue(const QString& group, const QString& name, const QVariant& value)
{
    if (!Usable()) {
        return false;
    }
    settings_->setValue(group + QLatin1Char('/') + EncodeComponent(name), value);
    return Sync();
}

std::optional<QVariant> IniResultStore::ValueOf(const QString& group, const QString& name, int type)
{
    const QVariant v = settings_->value(group + QLatin1Char('/') + EncodeComponent(name));
    if (v.typeId() != type) {
        return std::nullopt;
    }
    return v;
}

bool IniResultStore::KeyExists(const QString& key) { return GroupExists(GroupPath(key)); }

QStringList IniResultStore::SubKeys(const QString& key)
{
    settings_->beginGroup(GroupPath(key));
    QStringList names;
    for (const QString& group : settings_->childGroups()) {
        names << DecodeComponent(group);
    }
    settings_->endGroup();
    return names;
}

bool IniResultStore::DeleteKey(const QString& key) { return RemoveGroup(GroupPath(key)); }

bool IniResultStore::DeleteResult(const QString& keyName) { return RemoveGroup(ResultGroup(keyName)); }

bool IniResultStore::WriteString(const QString& key, const QString& name, const QString& value)
{
    return SetValue(GroupPath(key), name, value);
}

std::optional<QString> IniResultStore::ReadString(const QString& key, const QString& name)
{
    const auto v = ValueOf(GroupPath(key), name, QMetaType::QString);
    return v ? std::optional<QString>(v->toString()) : std::nullopt;
}

bool IniResultStore::WriteBinary(const QString& key, const QString& name, const QByteArray& value)
{
    return SetValue(GroupPath(key), name, value);
}

std::optional<QByteArray> IniResultStore::ReadBinary(const QString& key, const QString& name)
{
    const auto v = ValueOf(GroupPath(key), name, QMetaType::QByteArray);
    return v ? std::optional<QByteArray>(v->toByteArray()) : std::nullopt;
}

std::optional<result::Value8> IniResultStore::Value8Of(const QString& group, const char* name)
{
    const auto v = ValueOf(group, QLatin1String(name), QMetaType::QByteArray);
    return v ? ToValue8(v->toByteArray()) : std::nullopt;
}

QString IniResultStore::FindFreeName(const QString& name)
{
    QString candidate = name;
    while (GroupExists(ResultGroup(candidate))) {
        candidate += QLatin1Char(result::kRepeatMark);
    }
    return candidate;
}

QString IniResultStore::StoreResult(const QString& name, const result::RecordValues& record)
{
    const StoreError failed(result::kStoreFailedText);
    if (name.isEmpty()) {
        throw failed;
    }
    // Finding a free name and taking it must be one step for all processes,
    // or two students with one name could write into the same key.
    const Lock lock(*this);
    if (!lockHeld_ || !Sync()) {
        throw failed;
    }
    const QString keyName = FindFreeName(name);
    const QString group = ResultGroup(keyName) + QLatin1Char('/');
    settings_->setValue(group + QLatin1String(kValueDate), ToBytes(record.date));
    settings_->setValue(group + QLatin1String(kValueData0), ToBytes(record.data0));
    settings_->setValue(group + QLatin1String(kValueGroup), QString::fromStdString(record.group));
    settings_->setValue(group + QLatin1String(kValueData1), ToBytes(record.data1));
    if (!Sync()) {
        throw failed;
    }
    return keyName;
}

QStringList IniResultStore::ResultNames()
{
    if (Usable()) {
        Sync();
    }
    QStringList names = SubKeys(QLatin1String(kResultsRoot));
    std::reverse(names.begin(), names.end());
    return names;
}

std::optional<result::RecordValues> IniResultStore::ReadRecordValues(const QString& keyName)
{
    const QString group = ResultGroup(keyName);
    const auto date = Value8Of(group, kValueDate);
    const auto data0 = Value8Of(group, kValueData0);
    const auto data1 = Value8Of(group, kValueData1);
    const auto key = ValueOf(group, QLatin1String(kValueGroup), QMetaType::QString);
    if (!date || !data0 || !data1 || !key)
        return std::nullopt;
    return result::RecordValues{*date, *data0, key->toString().toStdString(), *data1};
}

StoredEntry IniResultStore::ReadResult(const QString& keyName)
{
    StoredEntry entry;
    entry.host = QSysInfo::machineHostName();  // the file holds this machine's records
    const QString group = ResultGroup(keyName);
    if (!GroupExists(group)) {
        entry.error = QStringLiteral("Запись %1 не найдена").arg(keyName);
        return entry;
    }
    const auto data0 = Value8Of(group, kValueData0);
    if (!data0) {
        entry.error = MissingValue(kValueData0);
        return entry;
    }
    const auto groupText = ValueOf(group, QLatin1String(kValueGroup), QMetaType::QString);
    if (!groupText) {
        entry.error = MissingValue(kValueGroup);
        return entry;
    }
    entry.group = groupText->toString();
    const auto data1 = Value8Of(group, kValueData1);
    if (!data1) {
        entry.error = MissingValue(kValueData1);
        return entry;
    }
    entry.decoded = result::DecodeRecord(*data0, *data1);
    return entry;
}

PurgeOutcome IniResultStore::PurgeOld(const QStringList& keyNames, const result::CivilTime& today,
                                   const std::function<void(int, bool)>& progress)
{
    PurgeOutcome outcome;
    int done = 0;
    for (const QString& keyName : keyNames) {
        const QString group = ResultGroup(keyName);
        if (!GroupExists(group)) {
            break;
        }
        const auto date = Value8Of(group, kValueDate);
        const auto when = date ? result::FromDays(result::DateFromBytes(*date)) : std::nullopt;
        if (!when) {
            outcome.error = MissingValue(kValueDate);
            break;
        }
        const bool old = result::IsRecordOld(*when, today);
        if (old) {
            if (!RemoveGroup(group)) {
                outcome.error = QString::fromUtf8(result::kStoreFailedText);
                break;
            }
            ++outcome.deleted;
        } else {
            outcome.metRecent = true;
        }
        if (progress) {
            progress(++done, old);
        }
    }
    return outcome;
}

int MoveRecords(ResultStore& from, ResultStore& to)
{
    QStringList names = from.ResultNames();
    std::reverse(names.begin(), names.end());
    int moved = 0;
    for (const QString& name : names) {
        const auto record = from.ReadRecordValues(name);
        const QString stopped = QStringLiteral("; перенесено записей: %1").arg(moved);
        if (!record)
            throw StoreError(QStringLiteral("Запись %1 не читается").arg(name).append(stopped).toStdString());
        try {
            to.StoreResult(QString::fromStdString(result::DisplayName(name.toStdString())), *record);
        } catch (const StoreError& e) {
            throw StoreError(QString::fromStdString(e.what()).append(stopped).toStdString());
        }
        if (!from.DeleteResult(name))
            throw StoreError(
                QStringLiteral("Запись %1 скопирована, но осталась в %2").arg(name, from.Location()).append(stopped).toStdString());
        ++moved;
    }
    return moved;
}

QString FormatResultTime(double days)
{
    const auto t = result::FromDays(days);
    if (!t) {
        return {};
    }
    const QDateTime when(QDate(t->year, static_cast<int>(t->month), static_cast<int>(t->day)),
                         QTime(static_cast<int>(t->hour), static_cast<int>(t->minute), static_cast<int>(t->second)));
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::LongFormat);
}

result::CivilTime Today()
{
    const QDate d = QDate::currentDate();
    result::CivilTime t;
    t.year = d.year();
    t.month = static_cast<unsigned>(d.month());
    t.day = static_cast<unsigned>(d.day());
    return t;
}

double NowAsDays()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime tm = now.time();
    result::CivilTime t;
    t.year = d.year();
    t.month = static_cast<unsigned>(d.month());
    t.day = static_cast<unsigned>(d.day());
    t.hour = static_cast<unsigned>(tm.hour());
    t.minute = static_cast<unsigned>(tm.minute());
    t.second = static_cast<unsigned>(tm.second());
    t.millisecond = static_cast<unsigned>(tm.msec());
    return result::ToDays(t);
}

}  // namespace ravx
