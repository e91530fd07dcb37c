// The step driver: one step, the automatic run with its stop rules, and the
// reset command, over the one machine state, controller and program it owns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controller/FrontPanel.h"
#include "controller/Timer.h"
#include "machine/Host.h"
#include "machine/_Asm.h"
#include "mainwindow/Program.h"
#include "mainwindow/Settings.h"

namespace ravx {

enum class RunStop { Steps, Breakpoint, Error, Stopped };

enum class PanelRegister { AX, BX, CX, DX, DI, SI, SP, IP };
// The text of a register's value label ("1234 064 AL" in octal mode).
std::string RegisterText(const MachineState& m, PanelRegister r, RegisterMode mode);

class Simulator {
public:
    explicit Simulator(Host& host);
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // One step. Returns false when an error was reported: by the statement
    // (IP then stays on it and the controller is not clocked) or by the
    // controller's cycle.
    bool Step();
    // The automatic run: the first step is always made; then it stops when
    // the row at the new IP has a breakpoint, a step fails, the run flag is
    // cleared, or maxSteps steps were made. `steps` receives their number.
    // `afterStep`, when given, is called after every step (the application
    // refreshes its panels there).
    RunStop Run(uint64_t maxSteps, uint64_t* steps = nullptr, const std::function<void()>& afterStep = {});
    // The reset command of the main window.
    void ResetKey();
    // Stops a running automatic run at the end of its current step (Esc).
    void StopRun() { runFlag_ = false; }
    bool Running() const { return runFlag_; }

    Host& host() { return host_; }

    MachineState m;
    FrontPanel panel;
    TRavx ravx;
    Interpreter interp;
    Program program;
    Settings settings;

private:
    void initialise();

    Host& host_;
    bool runFlag_ = false;
};

}  // namespace ravx
