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

// Through the automatic run, as the runner and the fast run drive it.
void runSteps(benchmark::State& state, Machine& mc)
{
    constexpr uint64_t kBatch = 1000;
    uint64_t steps = 0;
    for (auto _ : state) {
        uint64_t n = 0;
        benchmark::DoNotOptimize(mc.sim.Run(kBatch, &n));
        steps += n;
    }
    if (mc.host.errors != 0 || steps != kBatch * state.iterations())
        state.SkipWithError("the program reported an error");
    state.SetItemsProcessed(static_cast<int64_t>(steps));
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

// The baseline: a lean interpreter that reads each statement from its text
// again at every step, on bare registers and a display RAM, without the
// controller's cycle or any panel. Same program as the display loop.
struct LeanMachine {
    uint16_t ax = 0, bx = 0, cx = 0, dx = 0, ip = 0;
    uint8_t ram[16] = {}, address = 0;
    bool autoIncrement = false;

    uint16_t* wordRegister(std::string_view r)
    {
        if (r.size() != 2 || r[1] != 'X')
            return nullptr;
        switch (r[0]) {
        case 'A': return &ax;
        case 'B': return &bx;
        case 'C': return &cx;
        case 'D': return &dx;
        default: return nullptr;
        }
    }
    // false on an error
    bool step(std::string_view text)
    {
        char buf[kStatementBuffer];
        const ParsedStatement p = SplitStatement(text, buf);
        const std::string_view mn = p.mnemonic;
        ++ip;
        const bool add = mn == "ADD";
        if (add || mn == "MOV") {
            if (!add && p.op1 == "AL") {
                const NumberResult n = ReadNumber(p.op2, 0xFF);
                ax = static_cast<uint16_t>((ax & 0xFF00) | n.value);
                return n.code == 0;
            }
            uint16_t* r = wordRegister(p.op1);
            const NumberResult n = ReadNumber(p.op2, 0xFFFF);
            if (!r || n.code != 0)
                return false;
            *r = static_cast<uint16_t>(add ? *r + n.value : n.value);
            return true;
        }
        if (mn == "OUT") {
            const NumberResult port = ReadNumber(p.op1, 0xFFFF);
            if (port.code != 0 || p.op2 != "AL")
                return false;
            const uint8_t al = static_cast<uint8_t>(ax);
            if (port.value == 0x2B) {  // CW4: address and auto-increment
                address = al & 0x0F;
                autoIncrement = al & 0x10;
            } else if (port.value == 0x2A) {
                ram[address] = al;
                if (autoIncrement)
                    address = (address + 1) & 0x0F;
            }
            return true;
        }
        if (mn == "LOOP" || mn == "JMP") {
            const NumberResult n = ReadNumber(p.op1, 0xFFFF);
            if (n.code != 0)
                return false;
            if (mn == "JMP" || --cx != 0)
                ip = n.value;
            return true;
        }
        return false;
    }
};

void BM_LeanReparse(benchmark::State& state)
{
    const char* rows[] = {"mov al,90h", "out 2bh,al", "mov cx,0", "add ax,1", "out 2ah,al", "loop 3", "jmp 2"};
    LeanMachine lm;
    bool ok = true;
    for (auto _ : state) {
        ok &= lm.step(rows[lm.ip]);
        benchmark::DoNotOptimize(lm.ram);
    }
    if (!ok)
        state.SkipWithError("the program reported an error");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LeanReparse);

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
