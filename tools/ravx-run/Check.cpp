#include "tools/ravx-run/Check.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"
#include "mainwindow/ProgramFile.h"
#include "mainwindow/SafeSave.h"
#include "mainwindow/TaskCheck.h"
#include "tools/ravx-run/CheckList.h"
#include "tools/ravx-run/Csv.h"
#include "training/Similarity.h"

namespace ravx {

namespace fs = std::filesystem;

namespace {

using training::TaskKind;

constexpr int kAllSolved = 0;
constexpr int kSomeNotSolved = 1;
constexpr int kUsageError = 2;

constexpr std::string_view kSolved = "решено";
constexpr std::string_view kNotSolved = "не решено";
constexpr std::string_view kNotRead = "не прочитано";

// Spreadsheet programs take a CSV for UTF-8 only when it starts with one.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCsvLineEnd = "\r\n";

// One student's file and the task it is checked against.
struct Entry {
    std::string shown;  // as the command line or the list names it
    std::string path;
    int task = 0;
    TaskKind kind = TaskKind::Standard;
};

struct Row {
    Entry entry;
    std::string_view verdict;
    std::string reason;
    bool read = false;                    // a whole program, run
    std::vector<std::string> statements;  // by row address, for --similar
};

struct Options {
    std::string task, list, csv, taskFile;
    bool similar = false;
    std::vector<std::string> files;
};

int Usage(std::ostream& err, const std::string& why)
{
    err << "ravx-run: " << why << "\n" << CheckUsage();
    return kUsageError;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err)
{
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into, const char* what) {
            if (i + 1 >= args.size()) {
                Usage(err, a + " needs " + what);
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == "--check") {
            if (!value(o.task, "N:KIND"))
                return std::nullopt;
        } else if (a == "--check-list") {
            if (!value(o.list, "a list file"))
                return std::nullopt;
        } else if (a == "--csv") {
            if (!value(o.csv, "a file name"))
                return std::nullopt;
        } else if (a == "--task-file") {
            if (!value(o.taskFile, "a file name"))
                return std::nullopt;
        } else if (a == "--similar") {
            o.similar = true;
        } else if (a.size() > 1 && a[0] == '-') {
            Usage(err, "unknown option " + a);
            return std::nullopt;
        } else {
            o.files.push_back(a);
        }
    }
    return o;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in = OpenInputFile(path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FileErrorFromErrno(EIO);
    return bytes;
}

// The files to check: the programs after --check N:KIND, or the list's.
std::optional<std::vector<Entry>> Entries(const Options& o, std::ostream& err)
{
    if (o.task.empty() == o.list.empty()) {
        Usage(err, "give either --check N:KIND or --check-list LIST.csv");
        return std::nullopt;
    }
    std::vector<Entry> entries;
    if (!o.task.empty()) {
        const auto colon = o.task.find(':');
        const auto number = TaskNumber(std::string_view(o.task).substr(0, colon));
        const auto kind = colon == std::string::npos ? std::nullopt : KindNamed(o.task.substr(colon + 1));
        if (!number || !kind) {
            Usage(err, "bad task \"" + o.task + "\": expected N:KIND with N 1..22");
            return std::nullopt;
        }
        if (o.files.empty()) {
            Usage(err, "no program given");
            return std::nullopt;
        }
        for (const std::string& f : o.files)
            entries.push_back({f, f, *number, *kind});
        return entries;
    }
    if (!o.files.empty()) {
        Usage(err, "with --check-list the programs come from the list, not the command line");
        return std::nullopt;
    }
    std::string text;
    try {
        text = ReadWholeFile(o.list);
    } catch (const FileError& e) {
        err << "ravx-run: cannot read the list " << o.list << ": " << e.what() << "\n";
        return std::nullopt;
    }
    const CheckList list = ParseCheckList(text);
    for (const std::string& e : list.errors)
        err << "ravx-run: " << o.list << ":" << e << "\n";
    if (!list.errors.empty())
        return std::nullopt;
    if (list.files.empty()) {
        err << "ravx-run: the list " << o.list << " names no file\n";
        return std::nullopt;
    }
    const fs::path folder = fs::path(o.list).parent_path();
    for (const ListedFile& f : list.files)
        entries.push_back({f.file, (folder / f.file).string(), f.task, f.kind});
    return entries;
}

// The task terms each entry needs, read from the task file once.
std::optional<std::map<std::pair<int, TaskKind>, training::TaskTerms>> ReadTerms(const std::vector<Entry>& entries,
                                                                                 const std::string& taskFile,
                                                                                 std::ostream& err)
{
    std::ifstream in(taskFile, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::map<std::pair<int, TaskKind>, training::TaskTerms> terms;
    for (const Entry& e : entries) {
        const auto key = std::pair(e.task, e.kind);
        if (terms.contains(key))
            continue;
        std::string problem;
        const auto read = in ? training::ReadTaskTerms(bytes, e.task, e.kind, &problem) : std::nullopt;
        if (!read) {
            err << "ravx-run: cannot read the task file " << taskFile << (problem.empty() ? "" : ": " + problem)
                << "\n";
            return std::nullopt;
        }
        terms.emplace(key, *read);
    }
    return terms;
}

// The file commands' messages are the old program's English ones; the
// teacher's table says it in Russian.
std::string ReadingProblem(const FileError& e)
{
    const std::string_view what = e.what();
    if (what == kErrorFileNotFound)
        return "файл не найден";
    if (what == kErrorAccessDenied)
        return "нет доступа к файлу";
    return "файл не читается: " + std::string(what);
}

std::vector<std::string> StatementsOf(const std::string& programBytes)
{
    std::istringstream in(programBytes);
    Program program;
    ReadProgramFile(in, program);
    std::vector<std::string> rows;
    for (int r = 0; r < kStatementRows; ++r)
        rows.push_back(program.rows[r].statement);
    return rows;
}

Row Examine(const Entry& entry, const training::TaskTerms& terms)
{
    Row row{entry, kNotRead, {}, false, {}};
    auto notRead = [&row](std::string reason) {
        row.reason = std::move(reason);
        return row;
    };
    std::string program;
    try {
        program = ReadWholeFile(entry.path);
    } catch (const FileError& e) {
        return notRead(ReadingProblem(e));
    }
    if (std::string problem = ProgramFileProblem(program); !problem.empty())
        return notRead(problem);

    const fs::path dump = fs::path(entry.path).replace_extension(".dmp");
    const std::string dumpName = "файл прошивки " + dump.filename().string();
    std::error_code ec;
    const bool withDump = fs::exists(dump, ec);
    if (withDump) {
        try {
            if (std::string problem = FirmwareFileProblem(ReadWholeFile(dump.string())); !problem.empty())
                return notRead(dumpName + ": " + problem);
        } catch (const FileError& e) {
            return notRead(dumpName + ": " + ReadingProblem(e));
        }
    }

    const training::ProgramLoader load = [&](Simulator& sim) {
        OpenProgram(sim, entry.path);
        if (withDump)
            LoadFirmware(sim, dump.string());
    };
    training::CheckVerdict v;
    try {
        v = training::CheckSolution(load, terms);
    } catch (const FileError& e) {  // changed on disk since it was looked at
        return notRead(ReadingProblem(e));
    }
    row.read = true;
    row.statements = StatementsOf(program);
    const std::string setup = training::SetupText(v.setup);
    if (v.solved) {
        row.verdict = kSolved;
        row.reason = "с настройкой: " + setup;
        return row;
    }
    row.verdict = kNotSolved;
    row.reason = v.reason + " [" + setup + "]";
    if (!withDump)
        row.reason += "; " + dumpName + " рядом нет";
    return row;
}

struct Tally {
    int solved = 0, notSolved = 0, notRead = 0;

    void Count(std::string_view verdict)
    {
        (verdict == kSolved ? solved : verdict == kNotSolved ? notSolved : notRead) += 1;
    }
    std::string Text() const
    {
        std::string text = "решено " + std::to_string(solved) + " из " + std::to_string(solved + notSolved + notRead);
        if (notSolved > 0)
            text += ", не решено " + std::to_string(notSolved);
        if (notRead > 0)
            text += ", не прочитано " + std::to_string(notRead);
        return text;
    }
};

void PrintTable(const std::vector<Row>& rows, bool list, std::ostream& out)
{
    std::map<std::pair<int, TaskKind>, Tally> tasks;
    Tally total;
    for (const Row& r : rows) {
        out << r.entry.shown << '\t';
        if (list)
            out << r.entry.task << '\t' << KindOptionName(r.entry.kind) << '\t';
        out << r.verdict << '\t' << r.reason << '\n';
        tasks[{r.entry.task, r.entry.kind}].Count(r.verdict);
        total.Count(r.verdict);
    }
    for (const auto& [task, tally] : tasks)
        out << "задание " << task.first << ", «" << training::kKindNames[static_cast<int>(task.second)]
            << "»: " << tally.Text() << '\n';
    if (list)
        out << "всего: " << total.Text() << '\n';
}

struct SimilarPair {
    const Row* a;
    const Row* b;
    training::StatementMatch match;
};

std::vector<SimilarPair> SimilarPairs(const std::vector<Row>& rows)
{
    std::vector<SimilarPair> pairs;
    for (auto a = rows.begin(); a != rows.end(); ++a) {
        for (auto b = std::next(a); b != rows.end(); ++b) {
            // a copy is of the same task in the same kind; programs of other tasks share the
            // lab's common opening (CW0, CW1, CW6 and its wait, CW4) and would only add noise
            if (!a->read || !b->read || a->entry.task != b->entry.task || a->entry.kind != b->entry.kind)
                continue;
            const training::StatementMatch m = training::MatchStatements(a->statements, b->statements);
            if (m.statementsA > 0 && m.statementsB > 0 && m.Percent() >= training::kSimilarPercent)
                pairs.push_back({&*a, &*b, m});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(), [](const SimilarPair& x, const SimilarPair& y) {
        return x.match.Percent() != y.match.Percent() ? x.match.Percent() > y.match.Percent()
                                                      : x.match.matching > y.match.matching;
    });
    return pairs;
}

std::string ShareText(const training::StatementMatch& m)
{
    return std::to_string(m.Percent()) + "% совпадающих операторов (совпали " + std::to_string(m.matching) +
           ", операторов " + std::to_string(m.statementsA) + " и " + std::to_string(m.statementsB) + ")";
}

void PrintSimilar(const std::vector<SimilarPair>& pairs, std::ostream& out)
{
    const std::string threshold = "от " + std::to_string(training::kSimilarPercent) + "% совпадающих операторов";
    if (pairs.empty()) {
        out << "похожих программ нет (" << threshold << ")\n";
        return;
    }
    out << "похожие программы (" << threshold << "):\n";
    for (const SimilarPair& p : pairs)
        out << p.a->entry.shown << '\t' << p.b->entry.shown << '\t' << ShareText(p.match) << '\n';
}

std::string TableCsv(const std::vector<Row>& rows, bool list)
{
    std::string text(kByteOrderMark);
    text += list ? "file,task,kind,verdict,reason" : "file,verdict,reason";
    text += kCsvLineEnd;
    for (const Row& r : rows) {
        text += CsvField(r.entry.shown) + ',';
        if (list)
            text += std::to_string(r.entry.task) + ',' + std::string(KindOptionName(r.entry.kind)) + ',';
        text += std::string(r.verdict) + ',' + CsvField(r.reason);
        text += kCsvLineEnd;
    }
    return text;
}

std::string SimilarCsv(const std::vector<SimilarPair>& pairs)
{
    std::string text(kByteOrderMark);
    text += "file_a,file_b,percent,matching,statements_a,statements_b";
    text += kCsvLineEnd;
    for (const SimilarPair& p : pairs) {
        text += CsvField(p.a->entry.shown) + ',' + CsvField(p.b->entry.shown) + ',' +
                std::to_string(p.match.Percent()) + ',' + std::to_string(p.match.matching) + ',' +
                std::to_string(p.match.statementsA) + ',' + std::to_string(p.match.statementsB);
        text += kCsvLineEnd;
    }
    return text;
}

bool WriteCsv(const std::string& path, const std::string& text, std::ostream& err)
{
    try {
        SaveReplacing(path, [&text](std::ostream& o) { o << text; });
        return true;
    } catch (const FileError& e) {
        err << "ravx-run: cannot write " << path << ": " << e.what() << "\n";
        return false;
    }
}

}  // namespace

std::string CheckUsage()
{
    return "usage: ravx-run --check N:KIND [--csv FILE] [--similar] [--task-file FILE] FILE.prg...\n"
           "       ravx-run --check-list LIST.csv [--csv FILE] [--similar] [--task-file FILE]\n"
           "  --check N:KIND         check every program against task N (1..22) in KIND:\n"
           "                         standard, game, game-psoo, strobe or analysis\n"
           "  --check-list LIST.csv  check each file of a class list against its own task;\n"
           "                         a line is FILE;TASK;KIND, FILE relative to the list\n"
           "  --csv FILE             write the table as CSV too (UTF-8 with a byte-order mark)\n"
           "  --similar              list the pairs of programs with at least " +
           std::to_string(training::kSimilarPercent) +
           "% matching\n"
           "                         statements; with --csv also into FILE-similar.csv\n"
           "  --task-file FILE       the task file (default: ravx.zad beside ravx-run)\n"
           "  exit status 0: every file solves its task; 1: some file does not or is not\n"
           "  read; 2: a usage error\n";
}

std::string SimilarCsvName(const std::string& csv)
{
    fs::path path(csv);
    const std::string extension = path.has_extension() ? path.extension().string() : ".csv";
    return path.replace_filename(path.stem().string() + "-similar" + extension).string();
}

bool IsCheckCommand(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a == "--check" || a == "--check-list" || a == "--similar" || a == "--task-file";
    });
}

int RunCheckCommand(const std::vector<std::string>& args, const std::string& defaultTaskFile, std::ostream& out,
                    std::ostream& err)
{
    auto options = ParseOptions(args, err);
    if (!options)
        return kUsageError;
    if (options->taskFile.empty())
        options->taskFile = defaultTaskFile;
    const auto entries = Entries(*options, err);
    if (!entries)
        return kUsageError;
    const auto terms = ReadTerms(*entries, options->taskFile, err);
    if (!terms)
        return kUsageError;

    std::vector<Row> rows;
    for (const Entry& e : *entries)
        rows.push_back(Examine(e, terms->at({e.task, e.kind})));
    const bool list = !options->list.empty();
    PrintTable(rows, list, out);
    std::vector<SimilarPair> similar;
    if (options->similar) {
        similar = SimilarPairs(rows);
        PrintSimilar(similar, out);
    }
    if (!options->csv.empty()) {
        if (!WriteCsv(options->csv, TableCsv(rows, list), err))
            return kUsageError;
        if (options->similar && !WriteCsv(SimilarCsvName(options->csv), SimilarCsv(similar), err))
            return kUsageError;
    }
    const bool allSolved = std::all_of(rows.begin(), rows.end(), [](const Row& r) { return r.verdict == kSolved; });
    return allSolved ? kAllSolved : kSomeNotSolved;
}

}  // namespace ravx
