// ravx-run: runs a program headless for teachers, tests and benchmarks.
#include <iostream>

#include "tools/ravx-run/Results.h"
#include "tools/ravx-run/Runner.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (ravx::IsResultsCommand(args))
        return ravx::RunResultsCommand(args, std::cout, std::cerr);
    try {
        const ravx::RunOptions options = ravx::ParseRunOptions(args);
        ravx::Runner runner(options);
        const ravx::RunResult r = runner.Run();
        runner.WriteOutputs();
        std::cout << (options.json ? runner.Json(r) : runner.Summary(r));
        return 0;
    } catch (const ravx::RunnerError& e) {
        std::cerr << "ravx-run: " << e.what() << "\n";
        if (args.empty())
            std::cerr << ravx::kRunUsage;
        return 2;
    }
}
