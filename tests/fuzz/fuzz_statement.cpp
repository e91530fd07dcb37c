// Feeds arbitrary statement texts to the executor, one per input line, and
// steps the machine in between so that the controller sees the results.
#include <cstdint>
#include <string_view>

#include "tests/fuzz/FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ravx::fuzz::QuietHost host(false);
    ravx::Simulator* sim = &ravx::fuzz::FuzzSimulator(host);
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

    ravx::fuzz::CheckInvariants(*sim);
    return 0;
}
