// The results store. Has its own main: run with "--store-child FILE ID" it is
// one of the processes of the concurrency test instead.
#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <set>
#include <string>
#include <vector>

#include "tests/mainwindow/TempDir.h"
#include "tests/training/Children.h"
#include "training/ResultStore.h"
#include "training/TeacherAccess.h"

namespace ravx {
namespace {

constexpr const char* kChildFlag = "--store-child";
constexpr int kChildren = 4;
constexpr int kRecordsPerChild = 10;
const char* gSelf = nullptr;

result::RecordValues Values(uint8_t total, uint8_t good, uint8_t bad, const std::string& group, double days = 46000.5)
{
    std::mt19937 random(total * 131 + good * 7 + bad);
    return result::MakeRecord(days, group, {total, good, bad}, random);
}

QString Path(const filetest::TempDir& dir) { return QString::fromStdString(dir.File("results.ini")); }

TEST(Store, ThreeTakesUnderOneName)
{
    filetest::TempDir dir;
    IniResultStore store(Path(dir));
    const QString name = QStringLiteral("Ученик");
    EXPECT_EQ(store.StoreResult(name, Values(5, 3, 0, "1")), name);
    EXPECT_EQ(store.StoreResult(name, Values(5, 2, 0, "1")), name + "~");
    EXPECT_EQ(store.StoreResult(name, Values(5, 4, 1, "1")), name + "~~");
    const QStringList names = IniResultStore(Path(dir)).ResultNames();
    EXPECT_EQ(names, (QStringList{name + "~~", name + "~", name}));
    for (const QString& n : names) {
        EXPECT_EQ(QString::fromStdString(result::DisplayName(n.toStdString())), name);
    }
}

TEST(Store, RecordReadsBackInAnotherStoreObject)
{
    filetest::TempDir dir;
    const auto values = Values(6, 4, 1, "Группа 3/2", 46086.75);
    IniResultStore(Path(dir)).StoreResult(QStringLiteral("Петров \\ 2 / 3%"), values);

    IniResultStore store(Path(dir));
    ASSERT_EQ(store.ResultNames(), QStringList{QStringLiteral("Петров \\ 2 / 3%")});
    const StoredEntry entry = store.ReadResult(QStringLiteral("Петров \\ 2 / 3%"));
    ASSERT_TRUE(entry.decoded) << entry.error.toStdString();
    EXPECT_EQ(entry.group, QStringLiteral("Группа 3/2"));
    EXPECT_EQ(entry.decoded->counters.total, 6);
    EXPECT_EQ(entry.decoded->counters.good, 4);
    EXPECT_EQ(entry.decoded->counters.bad, 1);
    EXPECT_DOUBLE_EQ(entry.decoded->days, 46086.75);
    // "Date" is kept plain beside the scrambled copy
    store.StoreResult(QStringLiteral("Петров"), values);
    const auto date = store.ReadBinary(QStringLiteral("SOFTWARE\\RAVX\\Петров"), kValueDate);
    ASSERT_TRUE(date);
    EXPECT_EQ(*date, QByteArray(reinterpret_cast<const char*>(values.date.data()), 8));
}

TEST(Store, MissingOrWrongValuesKeepWhatWasReadBefore)
{
    filetest::TempDir dir;
    IniResultStore store(Path(dir));
    const QString key = QStringLiteral("SOFTWARE\\RAVX\\Сидоров");
    ASSERT_TRUE(store.WriteBinary(key, kValueData0, QByteArray(8, '\1')));
    StoredEntry entry = store.ReadResult(QStringLiteral("Сидоров"));
    EXPECT_EQ(entry.error, QStringLiteral("Failed to get data for 'Key'"));
    EXPECT_TRUE(entry.group.isEmpty());

    ASSERT_TRUE(store.WriteString(key, kValueGroup, QStringLiteral("5")));
    ASSERT_TRUE(store.WriteString(key, kValueData1, QStringLiteral("не двоичное")));
    entry = store.ReadResult(QStringLiteral("Сидоров"));
    EXPECT_EQ(entry.error, QStringLiteral("Failed to get data for 'Data1'"));
    EXPECT_EQ(entry.group, QStringLiteral("5"));
    EXPECT_FALSE(entry.decoded);

    ASSERT_TRUE(store.WriteBinary(key, kValueData1, QByteArray(7, '\0')));
    EXPECT_FALSE(store.ReadResult(QStringLiteral("Сидоров")).decoded);
    EXPECT_FALSE(store.ReadResult(QStringLiteral("Нет такого")).error.isEmpty());
}

TEST(Store, PurgeDeletesOnlyOldRecords)
{
    filetest::TempDir dir;
    IniResultStore store(Path(dir));
    store.StoreResult("old", Values(5, 3, 0, "1", result::ToDays({2026, 3, 5, 10})));
    store.StoreResult("fresh", Values(5, 3, 0, "1", result::ToDays({2026, 3, 25, 10})));
    store.StoreResult("lastyear", Values(5, 3, 0, "1", result::ToDays({2025, 3, 30, 10})));
    std::vector<std::pair<int, bool>> steps;
    const QStringList names = store.ResultNames();
    ASSERT_EQ(names, (QStringList{"old", "lastyear", "fresh"}));  // the store lists by name
    const PurgeOutcome outcome =
        store.PurgeOld(names, {2026, 4, 2}, [&](int done, bool old) { steps.emplace_back(done, old); });
    EXPECT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.deleted, 2);
    EXPECT_TRUE(outcome.metRecent);
    EXPECT_EQ(steps, (std::vector<std::pair<int, bool>>{{1, true}, {2, true}, {3, false}}));
    EXPECT_EQ(IniResultStore(Path(dir)).ResultNames(), QStringList{"fresh"});
}

TEST(Store, RegistryLikeKeys)
{
    filetest::TempDir dir;
    IniResultStore store(Path(dir));
    const QString a = QStringLiteral("SOFTWARE\\RAVX\\a");
    EXPECT_FALSE(store.KeyExists(a));
    EXPECT_FALSE(store.DeleteKey(a));
    ASSERT_TRUE(store.WriteString(a, "Key", "x"));
    ASSERT_TRUE(store.WriteBinary(QStringLiteral("SOFTWARE\\RAVX\\b"), "Data0", QByteArray("\0\1\2", 3)));
    EXPECT_TRUE(store.KeyExists(a));
    EXPECT_EQ(store.SubKeys(QStringLiteral("SOFTWARE\\RAVX")), (QStringList{"a", "b"}));
    EXPECT_EQ(store.ReadBinary(QStringLiteral("SOFTWARE\\RAVX\\b"), "Data0"), QByteArray("\0\1\2", 3));
    EXPECT_FALSE(store.ReadBinary(a, "Key"));  // a string is not binary
    EXPECT_TRUE(store.DeleteKey(a));
    EXPECT_FALSE(IniResultStore(Path(dir)).KeyExists(a));
}

TEST(Store, CorruptFileIsReportedAndKeptAsItIs)
{
    filetest::TempDir dir;
    const QString path = Path(dir);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray garbage("[SOFTWARE\\RAVX\\x]\nData0=@ByteArray(\n=\n\xff\xfe[[[\n");
    file.write(garbage);
    file.close();

    IniResultStore store(path);
    EXPECT_FALSE(store.Problem().isEmpty());
    try {
        store.StoreResult("Ученик", Values(5, 3, 0, "1"));
        ADD_FAILURE() << "stored into a damaged file";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), result::kStoreFailedText);
    }
    EXPECT_FALSE(store.WriteString("SOFTWARE\\RAVX\\y", "Key", "1"));
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), garbage);
}

TEST(Store, UnwritableFolderFailsWithTheTextForTheStudent)
{
    filetest::TempDir dir;
    IniResultStore store(QString::fromStdString(dir.File("no-such-folder/results.ini")));
    EXPECT_THROW(store.StoreResult("Ученик", Values(5, 3, 0, "1")), StoreError);
}

TEST(Store, DefaultPathFallsBackToTheUsersDataFolder)
{
    filetest::TempDir dir;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QByteArray configured = qgetenv("RAVX_RESULTS");
    qunsetenv("RAVX_RESULTS");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
    const QString path = IniResultStore::DefaultPath();
    const QString fallback = QString::fromStdString(dir.File("data/ravx/results.ini"));
    if (path == QLatin1String(kMachineWideResultsPath)) {
        // an installed lab machine: the shared file is the one to use
        EXPECT_TRUE(QFileInfo(QFileInfo(path).absolutePath()).isWritable());
    } else {
        EXPECT_EQ(path, fallback);
        IniResultStore store;
        EXPECT_EQ(store.FileName(), fallback);
        EXPECT_EQ(store.StoreResult("Ученик", Values(5, 3, 0, "1")), "Ученик");
        EXPECT_TRUE(QFile::exists(fallback));
    }
    qputenv("XDG_DATA_HOME", saved);
    if (!configured.isNull())
        qputenv("RAVX_RESULTS", configured);
}

// A lab or a test names its own file: RAVX_RESULTS wins, so a test never
// writes into a lab's results.
TEST(Store, TheConfiguredFileWins)
{
    filetest::TempDir dir;
    const QByteArray saved = qgetenv("RAVX_RESULTS");
    const QString own = QString::fromStdString(dir.File("own/results.ini"));
    qputenv("RAVX_RESULTS", own.toUtf8());
    EXPECT_EQ(IniResultStore::DefaultPath(), own);
    {
        IniResultStore store;
        EXPECT_EQ(store.FileName(), own);
        EXPECT_EQ(store.StoreResult("Ученик", Values(5, 3, 0, "1")), "Ученик");
    }
    EXPECT_TRUE(QFile::exists(own));
    qputenv("RAVX_RESULTS", "postgresql://lab/results");  // a server is no file
    EXPECT_NE(IniResultStore::DefaultPath(), QStringLiteral("postgresql://lab/results"));
    if (saved.isNull())
        qunsetenv("RAVX_RESULTS");
    else
        qputenv("RAVX_RESULTS", saved);

    const std::vector<std::pair<const char*, const char*>> confs = {
        {"results = /srv/lab/results.ini\n", "/srv/lab/results.ini"},
        {"# results = /old.ini\n  results=/a b/r.ini   # the lab's\n", "/a b/r.ini"},
        {"other = 1\nresults_x = /no.ini\n", ""},
        {"results = /first.ini\nresults = /second.ini\n", "/second.ini"},
        {"", ""},
    };
    for (const auto& [text, value] : confs)
        EXPECT_EQ(ConfSetting(QString::fromUtf8(text), QStringLiteral("results")), QString::fromUtf8(value)) << text;
}

// The teacher's password hash is the standard PBKDF2 with HMAC-SHA-256 (the
// first 32 bytes of the RFC 7914 vector), and nothing but a hash of that form
// is taken for one.
TEST(TeacherPassword, HashIsStandardSaltedAndChecked)
{
    const QByteArray expected = QByteArray::fromHex("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
    EXPECT_EQ(HashTeacherPassword(QStringLiteral("passwd"), "salt", 1),
              QStringLiteral("pbkdf2-sha256$1$c2FsdA==$") + QString::fromLatin1(expected.toBase64()));

    const QString a = HashTeacherPassword(QStringLiteral("Учитель-1"));
    const QString b = HashTeacherPassword(QStringLiteral("Учитель-1"));
    EXPECT_NE(a, b);  // a salt of its own each time
    EXPECT_TRUE(a.startsWith(QStringLiteral("pbkdf2-sha256$200000$"))) << a.toStdString();
    EXPECT_EQ(CheckTeacherPassword(b, QStringLiteral("Учитель-1")), true);
    EXPECT_EQ(CheckTeacherPassword(a, QStringLiteral("Учитель-2")), false);

    const QString good = HashTeacherPassword(QStringLiteral("x"), "0123456789abcdef", 2);
    const QStringList parts = good.split(QLatin1Char('$'));
    for (const QString& damaged :
         {QString(), QStringLiteral("x"), QStringLiteral("секрет"),
          QString(good).replace("pbkdf2-sha256", "pbkdf2-sha1"),
          QStringList{parts[0], QStringLiteral("0"), parts[2], parts[3]}.join('$'),
          QStringList{parts[0], QStringLiteral("2x"), parts[2], parts[3]}.join('$'),
          QStringList{parts[0], QStringLiteral("999999999"), parts[2], parts[3]}.join('$'),
          QStringList{parts[0], parts[1], QString(), parts[3]}.join('$'),
          QStringList{parts[0], parts[1], parts[2], parts[3].left(20)}.join('$'),
          QStringList{parts[0], parts[1], parts[2], QStringLiteral("!!") + parts[3].mid(2)}.join('$'), good + "$x"})
        EXPECT_FALSE(CheckTeacherPassword(damaged, QStringLiteral("x")).has_value()) << damaged.toStdString();
    EXPECT_EQ(CheckTeacherPassword(good, QStringLiteral("x")), true);
}

// Which gate F5 meets, from the configuration file that RAVX_CONF names and
// the environment.
TEST(TeacherPassword, TheGateTheLabConfigured)
{
    filetest::TempDir dir;
    const QString conf = QString::fromStdString(dir.File("ravx.conf"));
    const QString hash = HashTeacherPassword(QStringLiteral("p"), "0123456789abcdef", 3);
    const char* variables[] = {"RAVX_CONF", "RAVX_RESULTS", "RAVX_RESULTS_TEACHER"};
    std::vector<QByteArray> saved;
    for (const char* v : variables)
        saved.push_back(qgetenv(v));
    qputenv("RAVX_CONF", conf.toUtf8());
    using Kind = TeacherGate::Kind;
    const struct {
        QString file;
        const char* results;  // RAVX_RESULTS, "" for none
        const char* role;     // RAVX_RESULTS_TEACHER, "" for none
        Kind kind;
        const char* who;  // the role or the hash line
    } cases[] = {
        {QString(), "", "", Kind::Open, ""},
        {QStringLiteral("results = /srv/r.ini\n"), "", "", Kind::Open, ""},
        {QStringLiteral("teacher-password = ") + hash, "", "", Kind::Password, ""},
        {QStringLiteral("teacher-password = sha1$x"), "", "", Kind::Damaged, ""},
        {QStringLiteral("results = postgresql://s@lab/r\nresults-teacher = teacher\n"), "", "", Kind::ServerRole,
         "teacher"},
        {QStringLiteral("results = postgresql://s@lab/r\nresults-teacher = teacher\n"), "", "boss", Kind::ServerRole,
         "boss"},
        // a role only counts for a server; the hash then still does
        {QStringLiteral("results-teacher = teacher\nteacher-password = ") + hash, "", "", Kind::Password, ""},
        {QStringLiteral("results = /srv/r.ini\n"), "postgresql://s@lab/r", "boss", Kind::ServerRole, "boss"},
        {QStringLiteral("results = postgresql://s@lab/r\nresults-teacher = teacher\n"), "/tmp/r.ini", "", Kind::Open,
         ""},
    };
    for (const auto& c : cases) {
        QFile::remove(conf);
        if (!c.file.isNull()) {
            QFile f(conf);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.file.toUtf8());
        }
        for (const auto& [name, value] :
             {std::pair{"RAVX_RESULTS", c.results}, std::pair{"RAVX_RESULTS_TEACHER", c.role}})
            if (*value)
                qputenv(name, value);
            else
                qunsetenv(name);
        const TeacherGate gate = ConfiguredTeacherGate();
        EXPECT_EQ(gate.kind, c.kind) << c.file.toStdString() << c.results << c.role;
        if (c.kind == Kind::ServerRole) {
            EXPECT_EQ(gate.role.toStdString(), c.who);
        } else if (c.kind == Kind::Password) {
            EXPECT_EQ(gate.hash, hash);
        } else if (c.kind == Kind::Damaged) {
            EXPECT_TRUE(gate.problem.contains(conf)) << gate.problem.toStdString();
        }
    }
    for (std::size_t i = 0; i < saved.size(); ++i)
        if (saved[i].isNull())
            qunsetenv(variables[i]);
        else
            qputenv(variables[i], saved[i]);
}

int RunChild(const char* path, int id)
{
    IniResultStore store(QString::fromUtf8(path));
    for (int n = 0; n < kRecordsPerChild; ++n) {
        const std::string group = std::to_string(id) + "-" + std::to_string(n);
        store.StoreResult(QStringLiteral("Студент"),
                          Values(static_cast<uint8_t>(id), static_cast<uint8_t>(n), 0, group));
    }
    return 0;
}

TEST(Store, ProcessesStoringAtOnceLoseAndMixNothing)
{
    filetest::TempDir dir;
    const std::string path = dir.File("results.ini");
    ASSERT_TRUE(childtest::RunChildren(gSelf, kChildren, [&path](int id) {
        return std::vector<std::string>{kChildFlag, path, std::to_string(id)};
    }));
    IniResultStore store(QString::fromStdString(path));
    const QStringList names = store.ResultNames();
    ASSERT_EQ(names.size(), kChildren * kRecordsPerChild);
    std::set<std::string> groups;
    for (const QString& name : names) {
        EXPECT_EQ(name.count('~'), name.size() - QStringLiteral("Студент").size());
        const StoredEntry entry = store.ReadResult(name);
        ASSERT_TRUE(entry.decoded) << entry.error.toStdString();
        const auto& c = entry.decoded->counters;
        EXPECT_EQ(entry.group.toStdString(), std::to_string(c.total) + "-" + std::to_string(c.good));
        groups.insert(entry.group.toStdString());
    }
    EXPECT_EQ(groups.size(), static_cast<std::size_t>(kChildren * kRecordsPerChild));
}

}  // namespace
}  // namespace ravx

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == ravx::kChildFlag) {
        return ravx::RunChild(argv[2], std::atoi(argv[3]));
    }
    ravx::gSelf = argv[0];
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
