// Statements per second of the step driver, side by side: each row run from
// its decoded form (as the application and the runner do) and read again from
// its text at every step (the definition the decoded form is tested against).
#include <benchmark/benchmark.h>

#include "mainwindow/Simulator.h"

namespace {

using namespace ravx;

class BenchHost : public Host {
public:
    void reportError(uint8_t) override { ++errors; }
    int errors = 0;
};

// A simulator with the program loaded and reset, port 2A.
struct Machine {
    Machine(std::initializer_list<const char*> rows, bool decoded) : sim(host)
    {
        sim.SetDecodedExecution(decoded);
        sim.SetHistoryEnabled(false);  // as the runner and the fast run
        int a = 0;
        for (const char* r : rows)
            sim.program.rows[a++].statement = r;
        sim.ravx.Seed(1);
        sim.ravx.PortBase = 0x2A;
        sim.ResetKey();
    }
    BenchHost host;
    Simulator sim;
};

void runSteps(benchmark::State& state, Machine& mc)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(mc.sim.Step());
    if (mc.host.errors != 0)
        state.SkipWithError("the program reported an error");
    state.SetItemsProcessed(state.iterations());
}

void BM_RegisterLoop(benchmark::State& state, bool decoded)
{
    Machine mc({"mov cx,0", "add ax,1", "add bx,ax", "xor dx,bx", "loop 1", "jmp 0"}, decoded);
    runSteps(state, mc);
}
BENCHMARK_CAPTURE(BM_RegisterLoop, text, false);
BENCHMARK_CAPTURE(BM_RegisterLoop, decoded, true);

void BM_DisplayLoop(benchmark::State& state, bool decoded)
{
    // CW4 with auto-increment, then the display loop of the exercise
    Machine mc({"mov al,90h", "out 2bh,al", "mov cx,0", "add ax,1", "out 2ah,al", "loop 3", "jmp 2"}, decoded);
    runSteps(state, mc);
}
BENCHMARK_CAPTURE(BM_DisplayLoop, text, false);
BENCHMARK_CAPTURE(BM_DisplayLoop, decoded, true);

// The floor: normalising and splitting the same statements, nothing else.
void BM_BareReparse(benchmark::State& state)
{
    const char* rows[] = {"add ax,1", "out 2ah,al", "loop 3"};
    char buf[kStatementBuffer];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SplitStatement(rows[i], buf));
        i = i == 2 ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareReparse);

}  // namespace

BENCHMARK_MAIN();
