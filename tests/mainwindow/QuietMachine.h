// A simulator whose host shows nothing: for tests of the file commands,
// which need a whole machine but no windows.
#pragma once

#include <cstdint>

#include "mainwindow/Simulator.h"

namespace ravx::filetest {

class QuietMachine : public Host {
public:
    explicit QuietMachine(uint32_t seed) : sim(*this) { sim.ravx.Seed(seed); }
    void reportError(uint8_t) override {}
    Simulator sim;
};

}  // namespace ravx::filetest
