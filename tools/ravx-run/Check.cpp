#include "tools/ravx-run/Check.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

#include "machine/Host.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/SafeSave.h"
#include "tools/ravx-run/Csv.h"
#include "mainwindow/TaskCheck.h"

namespace ravx {

namespace {

using training::TaskKind;

constexpr int kAllSolved = 0;
constexpr int kSomeNotSolved = 1;
constexpr int kUsageOrFileError = 2;

constexpr std::array<std::pair<std::string_view, TaskKind>, training::kKindCount> kKinds = {{
    {"standard", TaskKind::Standard},
    {"game", TaskKind::Game},
    {"game-psoo", TaskKind::GameWithPsoo},
    {"strobe", TaskKind::Strobed},
    {"analysis", TaskKind::SensorAnalysis},
}};

constexpr const char* kUsage =
    "usage: ravx-run --check N:KIND [--csv FILE] [--task-file FILE] FILE.prg...\n"
    "  N     task number, 1..22\n"
    "  KIND  standard, game, game-psoo, strobe or analysis\n";

struct Row {
    std::string file, verdict, reason;
};

int Usage(std::ostream& err, const std::string& why)
{
    err << "ravx-run: " << why << "\n" << kUsage;
    return kUsageOrFileError;
}

// The .dmp beside a program: same folder, same name up to the extension.
std::string DumpBeside(const std::string& program)
{
    std::filesystem::path dump(program);
    dump.replace_extension(".dmp");
    return std::filesystem::exists(dump) ? dump.string() : std::string();
}

}  // namespace

bool IsCheckCommand(const std::vector<std::string>& args)
{
    return std::find(args.begin(), args.end(), "--check") != args.end();
}

int RunCheckCommand(const std::vector<std::string>& args, const std::string& defaultTaskFile, std::ostream& out,
                    std::ostream& err)
{
    std::string task, csv, taskFile = defaultTaskFile;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == "--check") {
            if (!value(task))
                return Usage(err, "--check needs N:KIND");
        } else if (a == "--csv") {
            if (!value(csv))
                return Usage(err, "--csv needs a file name");
        } else if (a == "--task-file") {
            if (!value(taskFile))
                return Usage(err, "--task-file needs a file name");
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(err, "unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    const auto colon = task.find(':');
    int number = 0;
    try {
        std::size_t used = 0;
        number = std::stoi(task.substr(0, colon), &used);
        if (used != colon)
            number = 0;
    } catch (const std::exception&) {
    }
    const auto kind = colon == std::string::npos
                          ? kKinds.end()
                          : std::find_if(kKinds.begin(), kKinds.end(),
                                         [&](const auto& k) { return k.first == task.substr(colon + 1); });
    if (number < 1 || number > training::kTaskCount || kind == kKinds.end())
        return Usage(err, "bad task \"" + task + "\": expected N:KIND with N 1..22");
    if (files.empty())
        return Usage(err, "no program given");

    std::ifstream in(taskFile, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string problem;
    const auto terms = in ? training::ReadTaskTerms(bytes, number, kind->second, &problem) : std::nullopt;
    if (!terms) {
        err << "ravx-run: cannot read the task file " << taskFile << (problem.empty() ? "" : ": " + problem) << "\n";
        return kUsageOrFileError;
    }

    std::vector<Row> rows;
    int solved = 0, notSolved = 0, unreadable = 0;
    for (const std::string& file : files) {
        const std::string dump = DumpBeside(file);
        const training::ProgramLoader load = [&](Simulator& sim) {
            OpenProgram(sim, file);
            if (!dump.empty())
                LoadFirmware(sim, dump);
        };
        // a file that cannot be read is reported once, before any run
        try {
            NullHost host;
            Simulator probe(host);
            load(probe);
        } catch (const FileError& e) {
            rows.push_back({file, "ошибка файла", e.what()});
            ++unreadable;
            continue;
        }
        const training::CheckVerdict v = training::CheckSolution(load, *terms);
        const std::string setup = training::SetupText(v.setup);
        if (v.solved) {
            rows.push_back({file, "решено", "с настройкой: " + setup});
            ++solved;
        } else {
            std::string reason = v.reason + " [" + setup + "]";
            if (dump.empty())
                reason += "; файла прошивки " + std::filesystem::path(file).replace_extension(".dmp").filename().string() +
                          " рядом нет";
            rows.push_back({file, "не решено", reason});
            ++notSolved;
        }
    }

    for (const Row& r : rows)
        out << r.file << '\t' << r.verdict << '\t' << r.reason << '\n';
    out << "задание " << number << ", «" << training::kKindNames[static_cast<int>(kind->second)] << "»: решено "
        << solved << " из " << files.size();
    if (notSolved > 0)
        out << ", не решено " << notSolved;
    if (unreadable > 0)
        out << ", не прочитано " << unreadable;
    out << '\n';
    if (!csv.empty()) {
        std::string text = "file,verdict,reason\r\n";
        for (const Row& r : rows)
            text += CsvField(r.file) + ',' + CsvField(r.verdict) + ',' + CsvField(r.reason) + "\r\n";
        try {
            SaveReplacing(csv, [&text](std::ostream& o) { o << text; });
        } catch (const FileError& e) {
            err << "ravx-run: cannot write " << csv << ": " << e.what() << "\n";
            return kUsageOrFileError;
        }
    }
    if (unreadable > 0)
        return kUsageOrFileError;
    return notSolved > 0 ? kSomeNotSolved : kAllSolved;
}

}  // namespace ravx
