// What the processor reaches on its I/O bus. The device behind it decodes
// its own addresses and owns its interrupt line; the interpreter only passes
// the port number and the accumulator along.
#pragma once

#include <cstdint>

namespace ravx {

// The registers a device may answer at: its data port and the port above it
// (commands on a write, the status word on a read).
enum class PortRegister : uint8_t { None, Data, Command };

class PortDevice {
public:
    // The register the device answers at `port`, or None: then IN and OUT
    // do not reach it at all.
    virtual PortRegister DecodePort(uint16_t port) const = 0;
    // A read; `al` is the accumulator before it, which a read that fails
    // (an empty FIFO) hands back unchanged.
    virtual uint8_t ReadPort(PortRegister reg, uint8_t al) = 0;
    virtual void WritePort(PortRegister reg, uint8_t value) = 0;
    // The RESET statement.
    virtual void Reset() = 0;
    // Interrupt entry has been performed (the INTCALL statement).
    virtual void AcknowledgeInterrupt() = 0;

protected:
    ~PortDevice() = default;
};

// A bus with nothing on it: IN and OUT reach no device and fail nothing.
class NoDevice final : public PortDevice {
public:
    PortRegister DecodePort(uint16_t) const override { return PortRegister::None; }
    uint8_t ReadPort(PortRegister, uint8_t al) override { return al; }
    void WritePort(PortRegister, uint8_t) override {}
    void Reset() override {}
    void AcknowledgeInterrupt() override {}
};

}  // namespace ravx
