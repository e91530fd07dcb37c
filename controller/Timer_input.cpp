// The input half of the controller: key counting and debounce in the two
// keyboard modes, storing keys in the FIFO, the sensor matrix, strobed input
// and the INT output.
#include <bit>

#include "controller/Timer.h"
#include "machine/BitCount.h"
#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {
// The row before `row`: where a pass that began at `row` ends.
uint8_t previousRow(uint8_t row, bool decoded) { return row == 0 ? (decoded ? 3 : 7) : static_cast<uint8_t>(row - 1); }
}  // namespace

void TRavx::CountKeys()
{
    const int released = ByteBits(ReturnLines);
    SingleKey = released == 7;
    MultiKey = released <= 6;
    if (ModeRollover && SpecialErrorMode && (MultiKey || (DebounceCount != 0 && SingleKey && DebounceRow != ScanRow))) {
        setIntLine(true);
        ErrorFlag = true;
        ShowStatus();
    }
}

void TRavx::Debounce()
{
    // no key on the scanned row and nothing counting or held: nothing to do
    if (!SingleKey && !MultiKey && DebounceCount == 0 && !RolloverHold)
        return;
    const bool same = ScanRow == DebounceRow;
    const bool sameReturn = ReturnLines == DebounceReturn;
    const bool allowed = !(ErrorFlag && ModeLockout && MultiKey);
    const bool start = (SingleKey || MultiKey) && DebounceCount == 0 && allowed && !ModeSensor;
    const bool counting = DebounceCount == 1 || DebounceCount == 2;
    const bool stable = same && allowed && sameReturn;
    bool cancel = (counting && ModeLockout && !same && SingleKey) || (counting && same && !sameReturn) ||
                  (same && DebounceCount == 3) || (counting && ModeLockout && MultiKey);

    if (((stable && counting) || start) && !RolloverHold && !ModeStrobed) {
        if (!(ModeLockout && MultiKey))
            ++DebounceCount;
        panel_.CyclC = dec(DebounceCount);
        if (DebounceCount == 3) {
            if (SpecialErrorMode) {
                StoreKey();
                cancel = true;
            } else {
                panel_.CyclC.append("*");
            }
        }
        if (DebounceCount == 1) {
            DebounceRow = ScanRow;
            if (FifoWriteEnable)
                DebounceReturn = ReturnLines;
        }
    }
    if (cancel && !RolloverHold) {
        DebounceCount = 0;
        panel_.CyclC = "0";
    }
    if (DebounceCount == 3) {
        if (ModeRollover && !RolloverHold) {
            HoldRow = previousRow(ScanRow, DecodedScan);
            RolloverHold = true;
        }
        StoreKey();
        if (!RolloverHold) {
            DebounceCount = 0;
            panel_.CyclC = "0";
        }
    }
    if (RolloverHold && ScanRow == HoldRow) {
        RolloverHold = false;
        if (panel_.AutoRelease) {
            panel_.CtrlChecked = false;
            panel_.ShiftChecked = false;
        }
        DebounceCount = 0;
        panel_.CyclC = "0";
    }
}

void TRavx::StoreKey()
{
    const int passes = ModeRollover ? 8 : 1;
    for (int i = 0; i < passes; ++i) {
        UpdateFifoWriteEnable();
        const bool candidate = ModeRollover ? !((ReturnLines >> i) & 1) : ReturnLines != 0xFF;
        if (!candidate || !FifoWriteEnable)
            continue;
        const uint8_t slot = FifoWritePtr & 7;
        ++FifoWritePtr;
        ++FifoCount;
        panel_.STk = hex2(FifoCount);
        if (FifoWritePtr >= kFifoSize)
            FifoWritePtr = 0;
        panel_.Stg = hex2(FifoWritePtr);
        if (FifoCount > 7)
            ShowStatus();

        // the column: line i, or in 2-key lockout the highest active line
        const int column = ModeRollover ? i : 7 - std::countl_one(static_cast<uint8_t>(ReturnLines));
        SensorRam[slot] = KeyCode(ScanRow, column, panel_.ShiftChecked, panel_.CtrlChecked);
        MOZUFill();
    }
    auto& row = panel_.Matrix[ScanRow & 7];
    if (ModeRollover) {
        row.fill('1');
    } else if (panel_.AutoRelease) {
        row.fill('1');
        panel_.CtrlChecked = false;
        panel_.ShiftChecked = false;
    }
}

void TRavx::SensorScan()
{
    const uint8_t row = ScanRow & 7;
    const uint8_t diff = SensorRam[row] ^ ReturnLines;
    UpdateFifoWriteEnable();
    if (diff != 0 && !SensorChangePending && FifoWriteEnable) {
        SensorChangePending = true;
        DebounceRow = previousRow(ScanRow, DecodedScan);
    }
    if (FifoWriteEnable) {
        const int add = row == 0 ? ByteBits(static_cast<uint8_t>(diff)) : diff != 0;
        // the count field of the status holds at most 8
        FifoCount = static_cast<uint8_t>(FifoCount + add > kFifoSize ? kFifoSize : FifoCount + add);
        panel_.STk = hex2(FifoCount);
        SensorRam[row] = ReturnLines;
        MOZUFill();
    }
    if (ScanRow == DebounceRow && FifoCount != 0 && SensorChangePending) {
        setIntLine(true);
        FifoWriteEnable = false;
        SensorChangePending = false;
        SensorWriteReenable = false;
        ShowStatus();
    }
}

void TRavx::TakeStrobe()
{
    UpdateFifoWriteEnable();
    if (!FifoWriteEnable)
        return;  // a full FIFO: the strobe waits for a read to make room
    uint8_t value;
    if (panel_.OctalStrobe) {
        StrobePending = false;
        const std::string_view text = panel_.STRInp.view();
        const NumberResult n = text.empty() ? NumberResult{} : ReadOctal(text, 0xFF, kErrStrobeValue);
        if (n.code != 0) {
            reportError(n.code);
            return;
        }
        value = static_cast<uint8_t>(n.value);
        panel_.RetC = bin8(value);
    } else {
        value = ReturnLines;
    }
    SensorRam[FifoWritePtr & 7] = value;
    ++FifoCount;
    panel_.STk = hex2(FifoCount);
    StrobePending = false;
    FifoWritePtr = (FifoWritePtr + 1) & 7;
    panel_.Stg = hex2(FifoWritePtr);
    MOZUFill();
}

void TRavx::UpdateInt()
{
    if (FifoCount != 0 && !SensorChangePending)
        setIntLine(true);
    if ((ModeLockout || ModeStrobed || (ModeRollover && !ErrorFlag)) && FifoCount == 0)
        setIntLine(false);
}

}  // namespace ravx
