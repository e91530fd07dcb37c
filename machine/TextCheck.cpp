#include "machine/TextCheck.h"

#include <array>
#include <memory>

#include "machine/Host.h"
#include "machine/Ports.h"
#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"

namespace ravx {

namespace {

bool IsTextKind(uint8_t code)
{
    switch (code) {
    case kErrTooBig:
    case kErrNumberFormat:
    case kErrIndexRegister:
    case kErrMemToMem:
    case kErrIoRegister:
    case kErrOperandTypes:
    case kErrUnknownCommand:
    case kErrNoDestination:
    case kErrUnknownDestination:
    case kErrMissingOperand: return true;
    default: return false;
    }
}

bool IsAddressKind(uint8_t code) { return code == kErrRamBound || code == kErrReadOnly; }

// Three machines far apart: all zero with an empty stack; middling values
// (addresses inside the RAM, half the stack, every flag set); all ones (every
// address outside the RAM, a full stack). Made once.
const std::array<MachineState, 3>& Probes()
{
    static const std::unique_ptr<std::array<MachineState, 3>> probes = [] {
        auto p = std::make_unique<std::array<MachineState, 3>>();
        (*p)[0].Reset();
        MachineState& mid = (*p)[1];
        mid.Reset();
        mid.AX = mid.BX = mid.CX = mid.DX = mid.DI = mid.SI = 0x0101;
        mid.ZF = mid.SF = mid.PF = mid.IF = true;
        mid.RefreshFlags();
        mid.Ram.fill(0x0101);
        mid.Stack.fill(0x0101);
        mid.SP = static_cast<uint16_t>(kStackSlots / 2);
        MachineState& high = (*p)[2];
        high.Reset();
        high.AX = high.BX = high.CX = high.DX = high.DI = high.SI = 0xFFFF;
        high.Ram.fill(0xFFFF);
        high.Stack.fill(0xFFFF);
        high.SP = 0;
        return p;
    }();
    return *probes;
}

}  // namespace

uint8_t TextDecidedError(std::string_view statement)
{
    if (statement.find_first_not_of(' ') == std::string_view::npos)
        return 0;
    NoDevice bus;
    NullHost host;
    std::array<uint8_t, 3> codes{};
    for (std::size_t i = 0; i < codes.size(); ++i) {
        MachineState m = Probes()[i];
        Interpreter(m, bus, host).Execute(statement);
        codes[i] = m.ErrorCode;
        if (IsTextKind(codes[i]))
            return codes[i];
    }
    if (IsAddressKind(codes[0]) && codes[1] == codes[0] && codes[2] == codes[0])
        return codes[0];
    return 0;
}

}  // namespace ravx
