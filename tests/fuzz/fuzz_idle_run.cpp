// A program of controller statements and a script of the student's hands,
// both from the input, run twice: in runs, where an idle controller only
// moves its scan and display refresh on, and step by step, where every cycle
// is worked whole. Any difference in machine, controller or panel, after a
// run or at an error window, is a finding.
// Input: one byte of settings, one byte of row count, the rows (two bytes
// each), then actions of three bytes (steps to wait, action, argument).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/Simulator.h"

namespace {

using namespace ravx;

struct Action {
    uint64_t step;
    uint8_t kind, arg;
};

class Hands : public Host {
public:
    Hands() : sim(*this) { sim.ravx.Seed(1); }
    void reportError(uint8_t code) override
    {
        errors.push_back(code);
        seen.push_back(sim.panel);
    }
    bool processEvents() override
    {
        ++step;
        for (; next < script.size() && script[next].step == step; ++next) {
            const uint8_t a = script[next].arg;
            switch (script[next].kind % 4) {
            case 0: sim.ravx.SetMatrixCell((a >> 3) & 7, a & 7, a & 0x80); break;
            case 1: sim.ravx.ClickCtrl(); break;
            case 2: sim.ravx.SetShift(a & 1); break;
            default: sim.ravx.SetOctalEntry(std::to_string(a)); break;
            }
        }
        return false;
    }
    Simulator sim;
    std::vector<Action> script;
    std::size_t next = 0;
    uint64_t step = 0;
    std::vector<uint8_t> errors;
    std::vector<FrontPanel> seen;
};

std::string Row(uint8_t kind, uint8_t arg)
{
    switch (kind % 10) {
    case 0: return "mov al," + std::to_string(arg);
    case 1: return "out 2bh,al";
    case 2: return "out 2ah,al";
    case 3: return "in al,2ah";
    case 4: return "in al,2bh";
    case 5: return arg & 1 ? "sti" : "cli";
    case 6: return "nop";
    case 7: return "add bx,1";
    case 8: return "jmp " + std::to_string(arg % 24);
    default: return "mvo ax,1";  // an error window
    }
}

// The error windows are compared from `from` on: the earlier ones were.
bool Same(const Hands& a, const Hands& b, std::size_t from)
{
    if (!(a.sim.m == b.sim.m && a.sim.ravx.State() == b.sim.ravx.State() && a.sim.panel == b.sim.panel &&
          a.errors == b.errors))
        return false;
    for (std::size_t i = from; i < a.seen.size(); ++i)
        if (!(a.seen[i] == b.seen[i]))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t settings = data[0];
    const std::size_t rowCount = data[1] % 24 + 1;
    std::size_t at = 2;
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < rowCount && at + 1 < size; ++r, at += 2)
        rows.push_back(Row(data[at], data[at + 1]));
    std::vector<Action> script;
    uint64_t step = 0;
    for (; at + 2 < size; at += 3) {
        step += 1 + data[at] % 64;
        script.push_back({step, data[at + 1], data[at + 2]});
    }

    auto prepare = [&](Hands& h) {
        for (std::size_t a = 0; a < rows.size(); ++a)
            h.sim.program.rows[a].statement = rows[a];
        h.sim.program.rows[rows.size()].statement = "jmp 0";
        h.sim.program.rows[100].statement = "in al,2ah";
        h.sim.program.rows[101].statement = "iret";
        h.sim.ravx.PortBase = 0x2A;
        h.sim.ResetKey();
        h.sim.ravx.ApplyGeneratorSettings(settings & 3, settings & 4);
        for (int i = 0; i < 256; ++i)
            h.sim.ravx.Zg1[i] = h.sim.ravx.Zg2[i] = h.sim.ravx.Kg[i] = static_cast<uint8_t>(i * 37 + settings);
        for (int i = 0; i < 16; ++i)
            h.sim.ravx.Zg3[i] = h.sim.ravx.Zg4[i] = static_cast<uint8_t>(i * 11);
        h.sim.panel.AutoRelease = settings & 8;
        h.sim.panel.OctalStrobe = settings & 16;
        h.script = script;
    };
    auto run = std::make_unique<Hands>();
    auto steps = std::make_unique<Hands>();
    prepare(*run);
    prepare(*steps);
    const uint64_t total = step + 64;
    std::size_t checked = 0;
    for (uint64_t done = 0, chunk = 1; done < total; chunk = chunk * 7 % 97 + 1) {
        uint64_t n = 0;
        const bool failed = run->sim.Run(chunk, &n) == RunStop::Error;
        for (uint64_t i = 0; i < n; ++i)
            steps->sim.Step();
        done += n;
        if (failed && run->sim.m.ErrorCode != 0) {  // past the faulty row
            ++run->sim.m.IP;
            ++steps->sim.m.IP;
        }
        if (!Same(*run, *steps, checked))
            std::abort();
        checked = run->seen.size();
    }
    return 0;
}
