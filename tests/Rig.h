// A simulator with a host that records what it is asked to show.
#pragma once

#include <string_view>
#include <vector>

#include "mainwindow/Simulator.h"

namespace ravx::test {

class Rig : public Host {
public:
    Rig() : sim(*this)
    {
        sim.ravx.Seed(1);
        sim.ravx.PortBase = 0x2A;
        sim.ResetKey();
    }

    void reportError(uint8_t code) override { errors.push_back(code); }
    void beep() override { ++beeps; }
    void fillDialogListEnabled(bool enabled, int uses) override
    {
        listEnabled = enabled;
        segmentUses = uses;
    }

    // Executes one statement and returns its error code.
    uint8_t exec(std::string_view text)
    {
        errors.clear();
        sim.interp.Execute(text);
        return sim.m.ErrorCode;
    }
    // Loads statements into rows 0, 1, ...
    void load(std::initializer_list<std::string_view> rows)
    {
        int a = 0;
        for (std::string_view r : rows)
            sim.program.rows[a++].statement = std::string(r);
    }

    std::vector<uint8_t> errors;
    int beeps = 0;
    bool listEnabled = true;
    int segmentUses = 0;
    Simulator sim;
    MachineState& m = sim.m;
    TRavx& c = sim.ravx;
    FrontPanel& p = sim.panel;
};

}  // namespace ravx::test
