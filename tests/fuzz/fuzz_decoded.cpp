// Arbitrary statement texts from arbitrary machine states, run from the text
// and from the decoded form: any difference in the machine state or in the
// bus and host calls is a finding. Input: 16 bytes of registers and flags,
// then the statement.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tests/machine/Differential.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr std::size_t kHead = 16;
    if (size < kHead)
        return 0;
    static ravx::MachineState base = [] {
        ravx::MachineState m;
        m.Reset();
        for (int a = 0; a < ravx::kRamCells; ++a)
            m.Ram[a] = static_cast<uint16_t>(a * 0x9E37u);
        return m;
    }();
    ravx::MachineState m = base;
    auto word = [&](std::size_t at) { return static_cast<uint16_t>(data[at] | data[at + 1] << 8); };
    m.AX = word(0), m.BX = word(2), m.CX = word(4), m.DX = word(6), m.DI = word(8), m.SI = word(10);
    m.SP = data[12] == 0xFF && data[13] == 0xFF ? 0xFFFF : data[12];  // a full stack is SP = 65535
    m.ZF = data[13] & 1, m.SF = data[13] & 2, m.PF = data[13] & 4, m.IF = data[13] & 8;
    m.RefreshFlags();
    m.InterruptAddress = word(14) % 500;
    const std::string_view statement(reinterpret_cast<const char*>(data + kHead), size - kHead);
    if (!ravx::differential::Compare(statement, m).empty())
        std::abort();
    return 0;
}
