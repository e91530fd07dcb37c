// What the simulator fuzzers share: a host that accepts only the errors the
// fuzzed part may raise, and the invariants of the machine and controller.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "mainwindow/Simulator.h"

namespace ravx::fuzz {

class QuietHost : public Host {
public:
    explicit QuietHost(bool controllerOnly) : controllerOnly_(controllerOnly) {}
    void reportError(uint8_t code) override
    {
        // the controller alone raises only 14 (strobe) and 21 (empty FIFO)
        const bool allowed = controllerOnly_ ? code == 14 || code == 21 : code >= 1 && code <= 21;
        if (!allowed)
            std::abort();
    }

private:
    bool controllerOnly_;
};

// One simulator for the whole fuzzing run, seeded so that runs repeat.
inline Simulator& FuzzSimulator(QuietHost& host)
{
    static Simulator* sim = [&host] {
        auto* s = new Simulator(host);
        s->ravx.Seed(1);
        return s;
    }();
    return *sim;
}

inline void CheckInvariants(const Simulator& sim)
{
    const TRavx& c = sim.ravx;
    if (sim.m.SP > 255 && sim.m.SP != 0xFFFF)
        std::abort();
    if (c.ModeLockout + c.ModeRollover + c.ModeSensor + c.ModeStrobed != 1)
        std::abort();
    if (c.FifoReadPtr > 7 || c.FifoWritePtr > 7 || c.FifoCount > 8 || c.RamAddress > 15)
        std::abort();
    if (c.ScanCounter % 64 != 0 || c.ScanCounter >= 1024)
        std::abort();
    if (sim.panel.MatrixRows < 1 || sim.panel.MatrixRows > 8 || sim.panel.DGridCols > 16)
        std::abort();
}

}  // namespace ravx::fuzz
