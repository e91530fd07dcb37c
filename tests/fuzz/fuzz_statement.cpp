// Feeds arbitrary statement texts to the executor, one per input line, and
// steps the machine in between so that the controller sees the results.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mainwindow/Simulator.h"

namespace {

class QuietHost : public ravx::Host {
public:
    void reportError(uint8_t code) override
    {
        if (code < 1 || code > 21)
            std::abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuietHost host;
    static ravx::Simulator* sim = [] {
        auto* s = new ravx::Simulator(host);
        s->ravx.Seed(1);
        return s;
    }();
    sim->ResetKey();
    sim->ravx.PortBase = 0x2A;
    for (auto& row : sim->program.rows)
        row.statement.clear();

    std::string_view in(reinterpret_cast<const char*>(data), size);
    int row = 0;
    while (!in.empty() && row < ravx::kStatementRows) {
        const std::size_t nl = in.find('\n');
        const std::string_view line = in.substr(0, nl);
        sim->interp.Execute(line);
        sim->program.rows[row++].statement = std::string(line);
        in = nl == std::string_view::npos ? std::string_view() : in.substr(nl + 1);
    }
    sim->ResetKey();
    for (int i = 0; i < 200; ++i)
        sim->Step();

    const auto& m = sim->m;
    const auto& c = sim->ravx;
    if (m.SP > 255 && m.SP != 0xFFFF)
        std::abort();
    if (c.FifoReadPtr > 7 || c.FifoWritePtr > 7 || c.FifoCount > 8 || c.RamAddress > 15)
        std::abort();
    if (c.ModeLockout + c.ModeRollover + c.ModeSensor + c.ModeStrobed != 1)
        std::abort();
    return 0;
}
