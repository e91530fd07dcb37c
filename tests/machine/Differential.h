// Runs one statement twice from the same machine state: read from its text
// (the definition) and from its decoded form, each against a recording bus
// and host, and tells where the two differ. Shared by the table test and the
// fuzz target.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "machine/Host.h"
#include "machine/Ports.h"
#include "machine/_Asm.h"
#include "machine/_Asm_decoded.h"

namespace ravx::differential {

// Everything the interpreter tells the outside world, in order.
class Recorder final : public PortDevice, public Host {
public:
    PortRegister DecodePort(uint16_t port) const override
    {
        // 2Ah and 2Bh answer, as the controller at the first port does
        return port == 0x2A ? PortRegister::Data : port == 0x2B ? PortRegister::Command : PortRegister::None;
    }
    uint8_t ReadPort(PortRegister reg, uint8_t al) override
    {
        log.push_back(1000 + static_cast<int>(reg) * 256 + al);
        return static_cast<uint8_t>(++reads * 37 + al);
    }
    void WritePort(PortRegister reg, uint8_t value) override { log.push_back(2000 + static_cast<int>(reg) * 256 + value); }
    void Reset() override { log.push_back(3000); }
    void AcknowledgeInterrupt() override { log.push_back(3001); }
    void reportError(uint8_t code) override { log.push_back(4000 + code); }
    void beep() override { log.push_back(3002); }
    void stackChanged() override { log.push_back(3003); }
    void dataRamChanged() override { log.push_back(3004); }
    void displayRamChanged() override { log.push_back(3005); }

    std::vector<int> log;
    int reads = 0;
};

// Empty when both ways agree; otherwise what differed.
inline std::string Compare(std::string_view statement, const MachineState& start)
{
    MachineState byText = start, byForm = start;
    Recorder textBus, formBus;
    Interpreter(byText, textBus, textBus).Execute(statement);
    auto decoded = std::make_unique<DecodedStatement>();
    Decode(statement, *decoded);
    Interpreter(byForm, formBus, formBus).Execute(*decoded);
    std::string why;
    if (!(byText == byForm))
        why += "machine state differs (IP " + std::to_string(byText.IP) + "/" + std::to_string(byForm.IP) + ", AX " +
               std::to_string(byText.AX) + "/" + std::to_string(byForm.AX) + ", error " +
               std::to_string(byText.ErrorCode) + "/" + std::to_string(byForm.ErrorCode) + ") ";
    if (textBus.log != formBus.log)
        why += "bus and host calls differ";
    return why;
}

}  // namespace ravx::differential
