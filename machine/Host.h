// What the core asks of its front end: the application answers with real
// windows, the runner and the tests by recording.
#pragma once

#include <cstdint>

namespace ravx {

class Host {
public:
    virtual ~Host() = default;
    // Shows the error window for the code; returns when it has been closed.
    virtual void reportError(uint8_t code) = 0;
    // Processes pending window events; called at the start of every step.
    // Returns whether it ran anything that may have changed more than the
    // controller's inputs (the application's windows can edit the program):
    // the step driver then compares the rows with their texts again.
    virtual bool processEvents() { return false; }
    // The system's default beep (built-in procedure BEEP).
    virtual void beep() {}
    // The stack, the data RAM or the display RAM changed: open views repaint.
    virtual void stackChanged() {}
    virtual void dataRamChanged() {}
    virtual void displayRamChanged() {}
    // The fill dialog's character list: enabled, or disabled with the segment
    // entry mode started for `uses` uses (strobed input mode).
    virtual void fillDialogListEnabled(bool /*enabled*/, int /*uses*/) {}
};

// A host that shows nothing; for callers that need no window.
class NullHost : public Host {
public:
    void reportError(uint8_t) override {}
};

}  // namespace ravx
