#include "tools/ravx-run/Results.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "mainwindow/FileError.h"
#include "mainwindow/SafeSave.h"
#include "training/ResultStore.h"
#include "training/TestResult.h"
#include "tools/ravx-run/Csv.h"

namespace ravx {

const char* const kResultsUsage =
    "usage: ravx-run --results [--csv FILE] | --results-purge | --results-import FILE.ini\n"
    "  --results              list the entry test's records of the lab's store, newest\n"
    "                         first; with --csv FILE also as CSV\n"
    "  --results-purge        delete the records older than ten days\n"
    "  --results-import FILE.ini  move the records of another store file into this store\n";

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

}  // namespace

bool IsResultsCommand(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a == "--results" || a == "--results-purge" || a == "--results-import")
            return true;
    return false;
}

int RunResultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool list = false, purge = false;
    std::string csv, importFrom;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--results")
            list = true;
        else if (args[i] == "--results-purge")
            purge = true;
        else if (args[i] == "--csv" && i + 1 < args.size())
            csv = args[++i];
        else if (args[i] == "--results-import" && i + 1 < args.size() && importFrom.empty())
            importFrom = args[++i];
        else
            return Fail(err, "unknown option for the results: " + args[i]);
    }
    if (int(list) + int(purge) + int(!importFrom.empty()) != 1)
        return Fail(err, "give one of --results [--csv FILE], --results-purge, --results-import FILE.ini");
    if (!list && !csv.empty())
        return Fail(err, "--csv goes with --results");

    // the teacher asks for the configured store: its stand-in will not do
    const std::unique_ptr<ResultStore> opened = OpenResultStore(ServerStandIn::None);
    ResultStore& store = *opened;
    if (const QString notice = store.Notice(); !notice.isEmpty())
        return Fail(err, notice.toStdString());
    if (const QString problem = store.Problem(); !problem.isEmpty())
        return Fail(err, problem.toStdString());
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

    std::vector<Row> rows;
    for (const QString& key : names) {
        const StoredEntry entry = store.ReadResult(key);
        Row row;
        row.name = result::DisplayName(key.toStdString());
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

}  // namespace ravx
