#include "tools/ravx-run/Results.h"

#include <termios.h>
#include <unistd.h>

#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>

#include "mainwindow/FileError.h"
#include "mainwindow/SafeSave.h"
#include "tools/ravx-run/Csv.h"
#include "training/ResultStore.h"
#include "training/ServerResultStore.h"
#include "training/TeacherAccess.h"
#include "training/TestResult.h"

namespace ravx {

const char* const kResultsUsage =
    "usage: ravx-run --results [--csv FILE] | --results-purge | --results-import FILE.ini\n"
    "       ravx-run --results-setup --student-role ROLE | --set-teacher-password\n"
    "  --results              list the entry test's records of the lab's store, newest\n"
    "                         first, under their stored names (\"name~\"); with\n"
    "                         --csv FILE also as CSV\n"
    "  --results-purge        delete the records older than ten days\n"
    "  --results-import FILE.ini  move the records of another store file into this store\n"
    "  --results-setup --student-role ROLE\n"
    "                         on the lab's server, as the teacher's role: make the\n"
    "                         table and its store function, let ROLE store records\n"
    "                         and nothing else (a second run changes nothing)\n"
    "  --set-teacher-password read the teacher's password twice (terminal or\n"
    "                         standard input), write its salted hash as\n"
    "                         teacher-password = … into the configuration file\n"
    "                         (RAVX_CONF, else /etc/ravx/ravx.conf)\n";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 2;

struct Row {
    std::string name, group, time, total, good, bad, verdict, host;
};

// ISO date and time, so a table sorts and a spreadsheet reads it.
std::string IsoTime(double days)
{
    const auto t = result::FromDays(days);
    if (!t)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u", t->year, t->month, t->day, t->hour,
                  t->minute, t->second);
    return text;
}

// A table cell: tabs and line breaks in a name would break the columns.
std::string Cell(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s;
}

int Fail(std::ostream& err, const std::string& line)
{
    err << "ravx-run: " << line << "\n";
    return kExitError;
}

// Moves every record of the store file `from` into `to` (MoveRecords): a
// second run after a broken one moves nothing twice.
int Import(const std::string& from, ResultStore& to, std::ostream& out, std::ostream& err)
{
    const QFileInfo source(QString::fromStdString(from));
    if (!source.isFile())
        return Fail(err, "cannot read " + from);
    if (source.canonicalFilePath() == QFileInfo(to.Location()).canonicalFilePath())
        return Fail(err, from + " is the store itself");
    IniResultStore store(source.absoluteFilePath());
    if (const QString problem = store.Problem(); !problem.isEmpty())
        return Fail(err, problem.toStdString());
    int moved = 0;
    try {
        moved = MoveRecords(store, to);
    } catch (const StoreError& e) {
        return Fail(err, e.what());
    }
    if (const QString notice = to.Notice(); !notice.isEmpty())  // the server went away meanwhile
        return Fail(err, notice.toStdString());
    out << "moved " << moved << " records from " << from << " to " << to.Location().toStdString() << "\n";
    return kExitOk;
}

// The table of every record, each under its stored name ("name~" for a
// second take), and the same as CSV.
int List(ResultStore& store, const QStringList& names, const std::string& csv, std::ostream& out, std::ostream& err)
{
    std::vector<Row> rows;
    for (const QString& key : names) {
        const StoredEntry entry = store.ReadResult(key);
        Row row;
        row.name = key.toStdString();
        row.group = entry.group.toStdString();
        row.host = entry.host.toStdString();
        if (entry.decoded) {
            const result::Counters& c = entry.decoded->counters;
            row.time = IsoTime(entry.decoded->days);
            row.total = std::to_string(c.total);
            row.good = std::to_string(c.good);
            row.bad = std::to_string(c.bad);
            row.verdict = result::MakeEntryTexts(c).verdict;
        } else {
            row.verdict = "unreadable: " + entry.error.toStdString();
        }
        rows.push_back(row);
    }
    if (const QString notice = store.Notice(); !notice.isEmpty())  // lost while reading
        return Fail(err, notice.toStdString());
    out << "name\tgroup\ttime\ttotal\tgood\tbad\tverdict\thost\n";
    for (const Row& r : rows)
        out << Cell(r.name) << '\t' << Cell(r.group) << '\t' << r.time << '\t' << r.total << '\t' << r.good << '\t'
            << r.bad << '\t' << Cell(r.verdict) << '\t' << Cell(r.host) << '\n';
    if (!csv.empty()) {
        std::string text = "name,group,time,total,good,bad,verdict,host\r\n";
        for (const Row& r : rows)
            text += CsvField(r.name) + ',' + CsvField(r.group) + ',' + r.time + ',' + r.total + ',' + r.good + ',' +
                    r.bad + ',' + CsvField(r.verdict) + ',' + CsvField(r.host) + "\r\n";
        try {
            SaveReplacing(csv, [&text](std::ostream& o) { o << text; });
        } catch (const FileError& e) {
            return Fail(err, "cannot write " + csv + ": " + e.what());
        }
    }
    return kExitOk;
}

int SetUp(ResultStore& store, const std::string& studentRole, std::ostream& out, std::ostream& err)
{
    auto* server = dynamic_cast<ServerResultStore*>(&store);
    if (!server)
        return Fail(err, "--results-setup needs the lab's server: RAVX_RESULTS or results = postgresql://… in " +
                             LabConfigPath().toStdString());
    const SetUpOutcome outcome = server->SetUpStudentRole(QString::fromStdString(studentRole));
    if (!outcome.error.isEmpty())
        return Fail(err, outcome.error.toStdString());
    for (const QString& change : outcome.changes)
        out << change.toStdString() << "\n";
    out << studentRole << " may store records and read none: " << store.Location().toStdString()
        << (outcome.changes.isEmpty() ? " (nothing changed)" : "") << "\n";
    return kExitOk;
}

// One line from the terminal without echo, or from standard input when that
// is no terminal (a script or a test).
std::optional<std::string> ReadPassword(std::istream& in, std::ostream& err, const char* prompt)
{
    const bool terminal = &in == &std::cin && ::isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        err << prompt << std::flush;
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(in, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        err << "\n";
    }
    if (!read)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int SetTeacherPassword(std::istream& in, std::ostream& out, std::ostream& err)
{
    const auto first = ReadPassword(in, err, "Пароль преподавателя: ");
    const auto second = first ? ReadPassword(in, err, "Ещё раз: ") : std::nullopt;
    if (!first || !second || first->empty())
        return Fail(err, "no password given (it is read twice)");
    if (*first != *second)
        return Fail(err, "the two passwords differ; nothing written");
    const QString path = LabConfigPath();
    if (const QString why = WriteTeacherPassword(path, HashTeacherPassword(QString::fromStdString(*first)));
        !why.isEmpty())
        return Fail(err, "cannot write " + path.toStdString() + ": " + why.toStdString());
    out << kTeacherPasswordSetting << " written to " << path.toStdString() << "\n";
    return kExitOk;
}

}  // namespace

bool IsResultsCommand(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a == "--results" || a == "--results-purge" || a == "--results-import" || a == "--results-setup" ||
            a == "--set-teacher-password")
            return true;
    return false;
}

int RunResultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunResultsCommand(args, std::cin, out, err);
}

int RunResultsCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    bool list = false, purge = false, setUp = false, setPassword = false;
    std::string csv, importFrom, studentRole;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--results")
            list = true;
        else if (args[i] == "--results-purge")
            purge = true;
        else if (args[i] == "--results-setup")
            setUp = true;
        else if (args[i] == "--set-teacher-password")
            setPassword = true;
        else if (args[i] == "--csv" && i + 1 < args.size())
            csv = args[++i];
        else if (args[i] == "--results-import" && i + 1 < args.size() && importFrom.empty())
            importFrom = args[++i];
        else if (args[i] == "--student-role" && i + 1 < args.size() && studentRole.empty())
            studentRole = args[++i];
        else
            return Fail(err, "unknown option for the results: " + args[i]);
    }
    if (int(list) + int(purge) + int(!importFrom.empty()) + int(setUp) + int(setPassword) != 1)
        return Fail(err,
                    "give one of --results [--csv FILE], --results-purge, --results-import FILE.ini, "
                    "--results-setup --student-role ROLE, --set-teacher-password");
    if (!list && !csv.empty())
        return Fail(err, "--csv goes with --results");
    if (setUp != !studentRole.empty())
        return Fail(err, "--results-setup and --student-role ROLE go together");
    if (setPassword)
        return SetTeacherPassword(in, out, err);

    // the teacher asks for the configured store: its stand-in will not do
    const std::unique_ptr<ResultStore> opened = OpenResultStore(ServerStandIn::None);
    ResultStore& store = *opened;
    if (const QString notice = store.Notice(); !notice.isEmpty())
        return Fail(err, notice.toStdString());
    if (const QString problem = store.Problem(); !problem.isEmpty())
        return Fail(err, problem.toStdString());
    if (setUp)
        return SetUp(store, studentRole, out, err);
    if (!importFrom.empty())
        return Import(importFrom, store, out, err);
    const QStringList names = store.ResultNames();  // a server lost here fails the purge or the table below

    if (purge) {
        const PurgeOutcome outcome = store.PurgeOld(names, Today());
        if (!outcome.error.isEmpty())
            return Fail(err, outcome.error.toStdString());
        out << "deleted " << outcome.deleted << " of " << names.size() << " records from "
            << store.Location().toStdString() << "\n";
        return kExitOk;
    }
    return List(store, names, csv, out, err);
}

}  // namespace ravx
