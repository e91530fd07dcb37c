// ravx-run: runs a program headless for teachers, tests and benchmarks.
#include <QCoreApplication>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "tools/ravx-run/Check.h"
#include "tools/ravx-run/Results.h"
#include "tools/ravx-run/Runner.h"

namespace {

// Every command's options, for --help and a call without arguments.
std::string Help()
{
    return std::string(ravx::kRunUsage) + "\n" + ravx::CheckUsage() + "\n" + ravx::kResultsUsage +
           "\n  --help                 print this text\n";
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << Help();
        return 0;
    }
    if (args.empty()) {
        std::cerr << "ravx-run: no program given\n" << Help();
        return 2;
    }
    if (ravx::IsCheckCommand(args)) {
        // the task file lives beside the executable, as for the application
        std::error_code ec;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        const auto folder = ec ? std::filesystem::path(argv[0]).parent_path() : self.parent_path();
        return ravx::RunCheckCommand(args, (folder / "ravx.zad").string(), std::cout, std::cerr);
    }
    if (ravx::IsResultsCommand(args)) {
        const QCoreApplication app(argc, argv);  // Qt SQL loads its drivers through it
        return ravx::RunResultsCommand(args, std::cout, std::cerr);
    }
    try {
        const ravx::RunOptions options = ravx::ParseRunOptions(args);
        ravx::Runner runner(options);
        const ravx::RunResult r = runner.Run();
        runner.WriteOutputs();
        std::cout << (options.json ? runner.Json(r) : runner.Summary(r));
        return 0;
    } catch (const ravx::RunnerError& e) {
        std::cerr << "ravx-run: " << e.what() << "\n";
        return 2;
    }
}
