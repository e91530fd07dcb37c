// ravx-run --results and --results-purge: the table, the CSV, the purge rule
// and the failures a teacher can meet, on a store of the test's own named by
// RAVX_RESULTS as a lab would name its file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include "tests/mainwindow/TempDir.h"
#include "tools/ravx-run/Results.h"
#include "training/ResultStore.h"
#include "training/TeacherAccess.h"

namespace ravx {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunCommand(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = RunResultsCommand(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class ResultsCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = qgetenv("RAVX_RESULTS");
        qputenv("RAVX_RESULTS", QByteArray::fromStdString(path));
    }
    void TearDown() override
    {
        if (saved_.isNull())
            qunsetenv("RAVX_RESULTS");
        else
            qputenv("RAVX_RESULTS", saved_);
    }
    void Store(const char* name, const char* group, result::Counters c, double days)
    {
        std::mt19937 random(7);
        QDir().mkpath(QString::fromStdString(dir.File("lab")));
        IniResultStore(QString::fromStdString(path))
            .StoreResult(QString::fromUtf8(name), result::MakeRecord(days, group, c, random));
    }

    filetest::TempDir dir;
    std::string path = dir.File("lab/results.ini");

private:
    QByteArray saved_;
};

TEST_F(ResultsCommand, ListsEveryRecordAndWritesTheCsv)
{
    const double today = NowAsDays();
    Store("Иванов", "ЭВМ-21", {6, 5, 1}, today - 30);  // a month old
    Store("Петров, Сидоров", "ЭВМ-22", {5, 1, 3}, today);
    const std::string csv = dir.File("results.csv");
    const Outcome r = RunCommand({"--results", "--csv", csv});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], "name\tgroup\ttime\ttotal\tgood\tbad\tverdict\thost");
    // newest first; the counters as numbers, the verdict as the window has it
    EXPECT_EQ(lines[1].rfind("Петров, Сидоров\tЭВМ-22\t", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("\t5\t1\t3\tТест не пройден\t"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\t6\t5\t1\tТест пройден\t"), std::string::npos) << lines[2];
    // the time in ISO form, a spreadsheet reads it
    EXPECT_TRUE(std::regex_search(lines[2], std::regex("\t\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\t"))) << lines[2];

    QFile file(QString::fromStdString(csv));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string text = file.readAll().toStdString();
    EXPECT_EQ(text.rfind("name,group,time,total,good,bad,verdict,host\r\n\"Петров, Сидоров\",ЭВМ-22,", 0), 0u) << text;
    EXPECT_EQ(Lines(text).size(), 3u);
}

TEST_F(ResultsCommand, PurgeKeepsTheRecentRecords)
{
    const double today = NowAsDays();
    Store("Иванов", "1", {5, 3, 0}, today - 30);
    Store("Петров", "1", {5, 3, 0}, today - 2);
    const Outcome purge = RunCommand({"--results-purge"});
    ASSERT_EQ(purge.status, 0) << purge.err;
    EXPECT_EQ(purge.out.rfind("deleted 1 of 2 records", 0), 0u) << purge.out;
    const auto lines = Lines(RunCommand({"--results"}).out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("Петров\t", 0), 0u);
}

// Another machine's file moves into the store: every record once, under its
// name with the "~" the store needs; a second run moves nothing.
TEST_F(ResultsCommand, ImportMovesEveryRecordOnce)
{
    const double today = NowAsDays();
    Store("Иванов", "ЭВМ-21", {6, 5, 1}, today);
    const std::string other = dir.File("machine2.ini");
    {
        IniResultStore second(QString::fromStdString(other));
        std::mt19937 random(3);
        second.StoreResult(QStringLiteral("Иванов"), result::MakeRecord(today - 1, "ЭВМ-22", {5, 4, 0}, random));
        second.StoreResult(QStringLiteral("Иванов"), result::MakeRecord(today, "ЭВМ-22", {5, 5, 0}, random));
        second.StoreResult(QStringLiteral("Петров"), result::MakeRecord(today, "ЭВМ-22", {5, 1, 2}, random));
    }
    const Outcome moved = RunCommand({"--results-import", other});
    ASSERT_EQ(moved.status, 0) << moved.err;
    EXPECT_EQ(moved.out.rfind("moved 3 records", 0), 0u) << moved.out;
    IniResultStore store(QString::fromStdString(path));
    QStringList names = store.ResultNames();
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Иванов"), QStringLiteral("Иванов~"), QStringLiteral("Иванов~~"),
                                  QStringLiteral("Петров")}));
    // the records keep their contents
    int good = 0;
    for (const QString& n : names)
        good += store.ReadResult(n).decoded->counters.good;
    EXPECT_EQ(good, 5 + 4 + 5 + 1);
    // the table lists each record under its stored name
    std::multiset<std::string> listed;
    for (const std::string& line : Lines(RunCommand({"--results"}).out))
        listed.insert(line.substr(0, line.find('\t')));
    EXPECT_EQ(listed, (std::multiset<std::string>{"name", "Иванов", "Иванов~", "Иванов~~", "Петров"}));
    EXPECT_TRUE(IniResultStore(QString::fromStdString(other)).ResultNames().isEmpty());
    EXPECT_EQ(RunCommand({"--results-import", other}).out.rfind("moved 0 records", 0), 0u);
    // the store itself, or no file, is refused
    EXPECT_EQ(RunCommand({"--results-import", path}).status, 2);
    EXPECT_EQ(RunCommand({"--results-import", dir.File("none.ini")}).status, 2);
}

TEST_F(ResultsCommand, FailuresGiveOneLineAndStatusTwo)
{
    // a damaged store
    QFile file(QString::fromStdString(path));
    QDir().mkpath(QString::fromStdString(dir.File("lab")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[SOFTWARE\\RAVX\\x]\nData0=@ByteArray(\n=\n\xff\xfe[[[\n");
    file.close();
    for (const auto& args : std::vector<std::vector<std::string>>{{"--results"},
                                                                  {"--results-purge"},
                                                                  {"--results", "--bogus"},
                                                                  {"--results", "--results-purge"},
                                                                  {"--results-purge", "--csv", "x.csv"},
                                                                  {"--results-import"}}) {
        const Outcome r = RunCommand(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

// --set-teacher-password: the password read twice, its salted hash written
// into the configuration file that RAVX_CONF names, the other lines kept;
// never the password itself. A refused password writes nothing.
TEST_F(ResultsCommand, SetTeacherPasswordWritesOnlyASaltedHash)
{
    const QByteArray savedConf = qgetenv("RAVX_CONF");
    const std::string conf = dir.File("etc/ravx.conf");
    qputenv("RAVX_CONF", QByteArray::fromStdString(conf));
    const auto set = [](const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out, err;
        const int status = RunResultsCommand({"--set-teacher-password"}, in, out, err);
        return Outcome{status, out.str(), err.str()};
    };
    const auto read = [&conf] {
        QFile file(QString::fromStdString(conf));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const std::regex hashLine("^teacher-password = pbkdf2-sha256\\$200000\\$[A-Za-z0-9+/]{22}==\\$[A-Za-z0-9+/]{43}=$");

    // a new file, readable by the students' sessions
    Outcome r = set("Учитель-1\nУчитель-1\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "teacher-password written to " + conf + "\n");
    struct stat st {};
    ASSERT_EQ(::stat(conf.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    const QByteArray first = read();
    EXPECT_TRUE(std::regex_match(first.trimmed().toStdString(), hashLine)) << first.toStdString();

    // a lab's file: its lines stay, the old password lines give way to one
    QFile lab(QString::fromStdString(conf));
    ASSERT_TRUE(lab.open(QIODevice::WriteOnly));
    lab.write("results = /srv/lab/results.ini\n" + first + "# teacher-password = old\nteacher-password = other\n");
    lab.close();
    r = set("Учитель-1\r\nУчитель-1\r\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const QList<QByteArray> lines = read().split('\n');
    ASSERT_EQ(lines.size(), 4) << read().toStdString();  // three lines and the end
    EXPECT_EQ(lines[0], "results = /srv/lab/results.ini");
    EXPECT_TRUE(std::regex_match(lines[1].toStdString(), hashLine)) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "# teacher-password = old");
    EXPECT_NE(lines[1], first.trimmed());  // the same password, another salt
    EXPECT_FALSE(read().contains("Учитель"));
    const QString hash = ConfSetting(QString::fromUtf8(read()), QStringLiteral("teacher-password"));
    EXPECT_EQ(CheckTeacherPassword(hash, QStringLiteral("Учитель-1")), true);
    EXPECT_EQ(CheckTeacherPassword(hash, QStringLiteral("Учитель-2")), false);

    const QByteArray before = read();
    for (const char* refused : {"", "\n\n", "Учитель-1\n", "Учитель-1\nУчитель-2\n"}) {
        r = set(refused);
        EXPECT_EQ(r.status, 2) << refused;
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(read(), before);
    if (savedConf.isNull())
        qunsetenv("RAVX_CONF");
    else
        qputenv("RAVX_CONF", savedConf);
}

}  // namespace
}  // namespace ravx
