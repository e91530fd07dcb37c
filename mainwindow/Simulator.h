// The step driver: one step, the automatic run with its stop rules, and the
// reset command, over the one machine state, controller and program it owns.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controller/FrontPanel.h"
#include "controller/Timer.h"
#include "machine/Host.h"
#include "machine/_Asm.h"
#include "machine/_Asm_decoded.h"
#include "mainwindow/History.h"
#include "mainwindow/Program.h"
#include "mainwindow/Settings.h"

namespace ravx {

enum class RunStop { Steps, Breakpoint, Error, Stopped, Target };

enum class PanelRegister { AX, BX, CX, DX, DI, SI, SP, IP };
// The text of a register's value label ("1234 064 AL" in octal mode).
std::string RegisterText(const MachineState& m, PanelRegister r, RegisterMode mode);

// Passes the core's calls on to the front end, or keeps them back while a
// step back replays steps that were already shown.
class HostRelay : public Host {
public:
    explicit HostRelay(Host& to) : to_(to) {}
    bool muted = false;
    // Moves on whenever code outside the core may have run: the decoded rows
    // checked against their texts in an earlier epoch are checked again.
    uint64_t epoch = 1;  // never wraps
    void reportError(uint8_t code) override
    {
        if (!muted) {
            to_.reportError(code);  // a modal window: the program can be edited meanwhile
            ++epoch;
        }
    }
    bool processEvents() override
    {
        if (muted || !to_.processEvents())
            return false;
        ++epoch;
        return true;
    }
    void beep() override
    {
        if (!muted)
            to_.beep();
    }
    void stackChanged() override
    {
        if (!muted)
            to_.stackChanged();
    }
    void dataRamChanged() override
    {
        if (!muted)
            to_.dataRamChanged();
    }
    void displayRamChanged() override
    {
        if (!muted)
            to_.displayRamChanged();
    }
    void fillDialogListEnabled(bool enabled, int uses) override
    {
        if (!muted)
            to_.fillDialogListEnabled(enabled, uses);
    }

private:
    Host& to_;
};

class Simulator {
    // first, since the models below report through it
    HostRelay relay_;

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
    // refreshes its panels there); it returns whether it let anything run
    // that may have changed the program, the machine or the panel's inputs
    // (window events), which the run then takes into account. With
    // `targetRow` (0 and up) the run also stops when IP reaches that row
    // ("Выполнить до курсора").
    RunStop Run(uint64_t maxSteps, uint64_t* steps = nullptr, const std::function<bool()>& afterStep = {},
                int targetRow = -1);
    // The reset command of the main window.
    void ResetKey();
    // Stops a running automatic run at the end of its current step (Esc).
    void StopRun() { runFlag_ = false; }
    bool Running() const { return runFlag_; }

    // ---- "Шаг назад" ----
    // Back to the state before the last step: machine, controller, panel
    // texts; the student's hands (matrix, Ctrl, Shift, octal box) stay, and
    // so does the error counter (only reset clears it). False when there is
    // nothing to go back to.
    bool StepBack();
    bool CanStepBack() const { return history_.Depth() > 0; }
    uint64_t HistoryDepth() const { return history_.Depth(); }
    // The history ends when the state is changed outside a step: reset (done
    // here), a program or firmware loaded, a fill dialog, the settings, an
    // edit of the program.
    void EndHistory() { history_.Clear(); }
    // Recording costs the fast run a little; the runner does without it.
    void SetHistoryEnabled(bool on)
    {
        historyOn_ = on;
        history_.Clear();
    }

    Host& host() { return host_; }
    // The row at IP when the last step began, and the text it executed
    // (that row's statement, or "INTCALL"); valid until the program changes.
    uint16_t LastRow() const { return lastRow_; }
    std::string_view LastStatement() const { return lastStatement_; }
    // Whether the last step was an interrupt entry through the INT line (a
    // row whose text is "INTCALL" is not one).
    bool LastStepEnteredInterrupt() const { return lastInterrupt_; }

    // Rows run from their decoded form, made when a row's text is new and
    // kept until it changes; off, every step reads the row's text again (the
    // definition the tests compare the decoded form with).
    void SetDecodedExecution(bool on) { decodedOn_ = on; }

    // The program's statements and comments as last opened or saved (empty
    // at start): leaving rows that differ asks whether to save them.
    void MarkProgramSaved();
    bool ProgramChangedSinceSaved() const;

    MachineState m;
    FrontPanel panel;
    TRavx ravx;
    Interpreter interp;
    Program program;
    Settings settings;

private:
    void initialise();
    bool step();
    bool stepBody();
    StateSnapshot snapshot() const;
    void restore(const StateSnapshot& s);

    // The decoded form of a row, the text it was made from, and the epoch
    // of the relay in which the row's text was last found to be that text.
    struct DecodedRow {
        std::string source;
        uint64_t checkedIn = 0;
        DecodedStatement decoded;
    };
    const DecodedStatement& decodedRow(uint16_t address);

    Host& host_;
    bool decodedOn_ = true;
    std::array<std::unique_ptr<DecodedRow>, kStatementRows> decodedRows_;
    bool runFlag_ = false;
    bool historyOn_ = true;
    uint16_t lastRow_ = 0;
    bool lastInterrupt_ = false;
    std::string_view lastStatement_;
    History history_;
    std::array<std::pair<std::string, std::string>, kProgramRows> savedRows_;
};

}  // namespace ravx
