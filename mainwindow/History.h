// The history behind "Шаг назад": the machine, the controller and the front
// panel are plain records, so the state before any recent step is a saved
// record plus a deterministic replay. Every kCheckpointInterval steps the
// whole state is saved; between two steps only what the student's hands
// changed (matrix, Ctrl, Shift, the octal box, a strobe) is written down.
// Stepping back restores the checkpoint before the wanted step and replays
// up to it, with the host silent. The error counter is no part of what goes
// back: it counts the error windows the student was shown.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "controller/FrontPanel.h"
#include "controller/Timer_state.h"
#include "machine/_Asm.h"

namespace ravx {

// What the student's hands set between steps: the step does not decide it,
// so a replay takes it from the record and a step back leaves it as it is.
struct PanelInputs {
    std::array<std::array<char, kMatrixSize>, kMatrixSize> Matrix{};
    bool CtrlChecked = false;
    bool ShiftChecked = false;
    Label STRInp;
    Label MGridNum;
    bool StrobePending = false;

    static PanelInputs Of(const FrontPanel& p, const RavxState& c)
    {
        return {p.Matrix, p.CtrlChecked, p.ShiftChecked, p.STRInp, p.MGridNum, c.StrobePending};
    }
    void ApplyTo(FrontPanel& p, RavxState& c) const
    {
        p.Matrix = Matrix;
        p.CtrlChecked = CtrlChecked;
        p.ShiftChecked = ShiftChecked;
        p.STRInp = STRInp;
        p.MGridNum = MGridNum;
        c.StrobePending = StrobePending;
    }
    friend bool operator==(const PanelInputs&, const PanelInputs&) = default;
};

// The whole state at the start of a step.
struct StateSnapshot {
    MachineState m;
    RavxState controller;
    FrontPanel panel;
    std::mt19937 random;
};

class History {
public:
    static constexpr uint64_t kCheckpointInterval = 1024;
    // Checkpoints kept: the oldest is dropped when a new one is taken, so at
    // least (kCheckpoints - 1) * kCheckpointInterval steps can be undone, in
    // about kCheckpoints * sizeof(StateSnapshot) bytes (some 270 KB) plus the
    // hands' changes in that span.
    static constexpr std::size_t kCheckpoints = 16;
    static constexpr uint64_t kGuaranteedDepth = (kCheckpoints - 1) * kCheckpointInterval;

    void Clear();
    // Steps that can be undone.
    uint64_t Depth() const;
    // The number of steps recorded since the history began.
    uint64_t Steps() const { return steps_; }

    // The step driver's calls around one step: before it with the count of
    // the hands' changes (`inputs` and `snapshot` are called only when the
    // hands moved or a checkpoint is due), after it.
    template <typename TakeInputs, typename TakeSnapshot>
    void BeforeStep(uint32_t handsVersion, TakeInputs&& inputs, TakeSnapshot&& snapshot)
    {
        if (steps_ % kCheckpointInterval == 0 || checkpoints_.empty())
            addCheckpoint(snapshot());
        if (handsVersion != handsVersion_ || !handsKnown_) {
            changes_.push_back({steps_, inputs()});
            handsVersion_ = handsVersion;
            handsKnown_ = true;
        }
    }
    void AfterStep() { ++steps_; }

    // The checkpoint to replay from for the state before step `target`
    // (0-based count of steps since the history began), and the hands'
    // changes recorded in [checkpoint, target). Null when it is too old.
    struct Replay {
        const StateSnapshot* from = nullptr;
        uint64_t fromStep = 0;
        std::vector<std::pair<uint64_t, PanelInputs>> changes;
    };
    Replay ReplayTo(uint64_t target) const;
    // Forgets everything from step `target` on: the steps after a step back
    // are a new future, starting with the hands as they are now.
    void TruncateTo(uint64_t target, const PanelInputs& inputs, uint32_t handsVersion);

private:
    struct Checkpoint {
        uint64_t step;
        StateSnapshot state;
    };
    void addCheckpoint(const StateSnapshot& s);

    std::deque<Checkpoint> checkpoints_;
    std::deque<std::pair<uint64_t, PanelInputs>> changes_;
    uint32_t handsVersion_ = 0;
    bool handsKnown_ = false;
    uint64_t steps_ = 0;
    uint64_t firstStep_ = 0;
};

}  // namespace ravx
