// The keyboard/display controller: its port side with the command words, the
// per-step cycle, its moments within a step, and the front panel inputs it
// reads. The state itself is the plain record RavxState; TRavx adds the
// behaviour and its links to the processor's error routine, the front panel
// and the host.
#pragma once

#include <functional>
#include <random>
#include <string_view>

#include "controller/FrontPanel.h"
#include "controller/Timer_state.h"
#include "machine/Host.h"
#include "machine/Ports.h"

namespace ravx {

struct MachineState;

class TRavx : public RavxState, public PortDevice {
public:
    TRavx(MachineState& m, FrontPanel& panel, Host& host) : m_(m), panel_(panel), host_(host) {}
    TRavx(const TRavx&) = delete;
    TRavx& operator=(const TRavx&) = delete;

    const RavxState& State() const { return *this; }

    // ---- the processor's side (IN, OUT, RESET, INTCALL) -------------------
    PortRegister DecodePort(uint16_t port) const override;
    uint8_t ReadPort(PortRegister reg, uint8_t al) override;
    void WritePort(PortRegister reg, uint8_t value) override;
    void Reset() override;
    void AcknowledgeInterrupt() override;

    // ---- the controller's moments in one step, in the driver's order -----
    // Pins and labels before the statement. With the driver's `epoch` (see
    // Clock), an idle controller whose pins nothing moved since is left be.
    void BeginStep(uint64_t epoch = 0);
    // The indicator column that shows display RAM position `position` now
    // (right entry turns the row as characters are written).
    uint8_t ColumnOf(uint8_t position) const;
    // Whether INT asks for interrupt entry (the processor's IF decides too).
    bool InterruptRequested() const { return IntLine && !(ModeSensor && SensorIntInService); }
    // After the statement, also a failed one: "ARD:" and the FIFO marks.
    void EndStatement(uint64_t epoch = 0);
    // After a statement that succeeded: sample the scanned row of the input
    // matrix, run the cycle and move the scan on by one position. `epoch`
    // names a stretch in which nothing but the statements ran (the step
    // driver's count, never 0): while the controller stays idle within it,
    // the cycle only moves the scan on and refreshes the display and status.
    void Clock(uint64_t epoch = 0);
    // The controller's share of the reset command.
    void ResetCommand();

    // ---- the front panel's inputs ------------------------------------------
    // A matrix cell pressed ('0') or released ('1').
    void SetMatrixCell(int row, int column, bool pressed);
    // A click on the "Ctrl" box; in strobed mode ("^STB") a click that leaves
    // it unchecked sends a strobe.
    void ClickCtrl();
    void SetShift(bool checked)
    {
        handsMoved();
        panel_.ShiftChecked = checked;
    }
    // The preview code under the matrix: the key code the cell would give
    // (emptied in strobed mode).
    void PreviewCell(int row, int column);
    // The octal entry box: at most three characters, only 0..7 are kept.
    void SetOctalEntry(std::string_view text);
    // The generator settings as the settings dialog applies them.
    void ApplyGeneratorSettings(int choice, bool codeGenerator);
    // The row of the input matrix sampled at a scan value (row 0 in strobed mode).
    int SampledRow(uint8_t scan) const { return ModeStrobed ? 0 : ScanRowOf(scan, DecodedScan); }

    // ---- operations --------------------------------------------------------
    void ClearSensorRam() { SensorRam.fill(0); }
    void Tick();
    void ShowStatus();
    void SetCW0();
    void SetCW1();
    void SetCW2();
    void SetCW3();
    void SetCW4();
    void SetCW5();
    void SetCW6();
    void SetCW7();
    void SetCW(int n);
    // Rewrites the FIFO list and moves the R/W marks.
    void MOZUFill();
    // Rewrites one display RAM label, or all 16 with 255.
    void ShowOzui(uint8_t position);
    // The indicator rows straight from the display RAM, without generators.
    void ShowDisplayRamOnIndicators();
    // Sets OutA/OutB for a display RAM position, blanking applied.
    void ComputeOutputs(uint8_t position);
    // Draws one indicator column from OutA/OutB through the connected generator.
    void DrawIndicator(uint8_t column);
    // The FIFO write-enable rule.
    void UpdateFifoWriteEnable();

    // The random source of the display RAM at reset.
    void Seed(uint32_t seed) { rng_.seed(seed); }
    // Counts the changes the student's hands made through the inputs above
    // (the controller's own changes within a step do not count): the
    // history writes the hands down only when it moved.
    uint32_t HandsVersion = 0;
    // Told of every port access (a read with the byte it returns), when set:
    // the runner's trace.
    std::function<void(PortRegister reg, bool write, uint8_t value)> PortWatch;
    // The random source as a value, so a saved state can be restored whole.
    const std::mt19937& Random() const { return rng_; }
    void SetRandom(const std::mt19937& random) { rng_ = random; }

private:
    void handsMoved()
    {
        ++HandsVersion;
        idleIn_ = 0;
    }
    // A port access, reset or interrupt entry: the controller may be busy,
    // and the pins and the FIFO marks want setting again.
    void touched()
    {
        idleIn_ = 0;
        pinsMoved_ = fifoMarksMoved_ = true;
    }
    bool idleIn(uint64_t epoch) const { return epoch != 0 && idleIn_ == epoch; }
    // The one place that drives INT: the line and its label. A falling line
    // also ends a sensor interrupt in service, at every place it falls.
    void setIntLine(bool level);
    void commandWrite();
    void dataWrite();
    uint8_t statusRead();
    uint8_t dataRead(uint8_t al);
    void handleCw0();
    void reshapePanel();
    void handleCw6Clears();
    void handleCw6Frozen();
    void applyMode(uint8_t mode);
    void clearFifo();
    void showCwLab(int n);
    void updateBd();
    void showRga();
    void showFifoMarks();
    void sampleReturnLines();
    // Idle: no key, nothing counting, clearing, frozen or held, and not a
    // mode that scans the matrix into memory. The whole cycle then changes
    // nothing but what the scan position selects.
    bool idle() const;
    void idleClock();
    void reportError(uint8_t code);
    // the input half of the cycle (Timer_input.cpp)
    void CountKeys();
    void Debounce();
    void StoreKey();
    void SensorScan();
    void TakeStrobe();
    void UpdateInt();
    // the output half of the cycle (Timer_display.cpp)
    void ClearStep();
    uint8_t IndicatorColumn() const;
    void RefreshDisplayPosition();

    MachineState& m_;
    FrontPanel& panel_;
    Host& host_;
    // The epoch in which a whole cycle found the controller idle, 0 when
    // anything since may have changed that.
    uint64_t idleIn_ = 0;
    // Whether anything may have changed what the step's start or the end of
    // its statement sets, since they last ran.
    bool pinsMoved_ = true;
    bool fifoMarksMoved_ = true;
    std::mt19937 rng_{std::random_device{}()};
};

}  // namespace ravx
