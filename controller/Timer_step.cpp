// The controller's moments within one step of the driver, its share of the
// reset command, and the front panel inputs it reads: the input matrix, the
// modifier boxes, the octal entry box and the generator settings.
#include <bit>
#include <cstring>

#include "controller/Timer.h"
#include "machine/_Asm_text.h"

namespace ravx {

void TRavx::BeginStep(uint64_t epoch)
{
    // The full mark of the status comes down here and back with the cycle:
    // an error window within the step sees it down.
    if (idleIn(epoch) && !pinsMoved_ && panel_.PSWLab.at(2) != '1')
        return;
    pinsMoved_ = false;
    // the pins go back to rest
    panel_.CS = "1";
    panel_.CWLabVisible = false;
    if (CodeGeneratorOn)
        panel_.KodL = "ZZZZZZZZ";
    if (DisplayFrozen) {
        DisplayFrozen = false;
        updateBd();
    }
    panel_.D = "ZZZZZZZZ";
    // marks that only last one step
    if (ModeSensor)
        panel_.C[7] = "  .";
    if (!Clearing)
        panel_.C[6].setAt(5, '.');
    if (panel_.PSWLab.at(2) == '1')
        panel_.PSWLab.setAt(2, '0');
}

void TRavx::EndStatement(uint64_t epoch)
{
    if (idleIn(epoch) && !fifoMarksMoved_)
        return;
    fifoMarksMoved_ = false;
    panel_.Sthv = hex2(FifoReadPtr);
    showFifoMarks();
}

void TRavx::Clock(uint64_t epoch)
{
    if (idleIn(epoch)) {
        idleClock();
    } else {
        sampleReturnLines();
        Tick();
        pinsMoved_ = fifoMarksMoved_ = true;
        // The cycle just run left the state where the next one only moves on.
        idleIn_ = epoch != 0 && idle() ? epoch : 0;
    }
    ScanCounter = static_cast<uint16_t>(ScanCounter + kScanStep);
    if (ScanCounter >= kScanWrap)
        ScanCounter = 0;
}

bool TRavx::idle() const
{
    if (ModeSensor || ModeStrobed || Clearing || DisplayFrozen || DebounceCount != 0 || RolloverHold)
        return false;
    // what sampling a released row gives: a key let go within the cycle
    // (auto-release) was still sampled down
    if (ReturnLines != 0xFF || SingleKey || MultiKey || panel_.RetC.view() != "11111111")
        return false;
    for (const auto& row : panel_.Matrix) {
        uint64_t cells;
        std::memcpy(&cells, row.data(), sizeof cells);
        if (cells != 0x3131313131313131ULL)  // a cell other than '1': a key is down
            return false;
    }
    return true;
}

// The cycle on an idle controller. Every row returns all lines released, as
// the last sampling did, so the return lines, their label and the key counts
// keep their values; the debounce has nothing to do; the INT line already
// follows the FIFO, which nothing but a port access changes. Left: the scan
// position with its labels, the display refresh, and the status, whose full
// mark the step's start took down.
void TRavx::idleClock()
{
    const uint8_t scan = ScanValue();
    panel_.S30C = bin4(DecodedScan ? static_cast<uint8_t>(~scan) : scan);
    panel_.MatrixSelectedRow = SampledRow(scan);
    ScanRow = ScanRowOf(scan, DecodedScan);
    DisplayPos = !Display16 || DecodedScan ? ScanRow : scan;
    RefreshDisplayPosition();
    ShowStatus();
}

void TRavx::sampleReturnLines()
{
    const uint8_t scan = ScanValue();
    panel_.S30C = bin4(DecodedScan ? static_cast<uint8_t>(~scan) : scan);
    const int row = SampledRow(scan);
    if (!ModeStrobed)
        panel_.MatrixSelectedRow = row;
    // cells hold '1' (0x31) or '0' (0x30): gather the eight low bits at once
    uint64_t cells;
    std::memcpy(&cells, panel_.Matrix[row].data(), sizeof cells);
    static_assert(std::endian::native == std::endian::little, "cell c is byte c of the word");
    uint8_t r = static_cast<uint8_t>(((cells & 0x0101010101010101ULL) * 0x0102040810204080ULL) >> 56);
    if (ModeStrobed) {
        // complemented and bit-reversed: column 0 becomes bit 7, a pressed cell a 1
        const uint8_t inv = static_cast<uint8_t>(~r);
        r = 0;
        for (int c = 0; c < 8; ++c)
            if (inv & (1u << c))
                r |= static_cast<uint8_t>(0x80u >> c);
    }
    ReturnLines = ModeSensor ? static_cast<uint8_t>(~r) : r;
    panel_.RetC = bin8(r);
}

void TRavx::ResetCommand()
{
    touched();
    host_.fillDialogListEnabled(true, 0);  // ends the segment entry mode
    panel_.IncLab = "";
    panel_.Sthv = "00";
    panel_.Stg = "00";
    panel_.Label20 = "0";
    panel_.SevenVisible = true;
    panel_.FourVisible = false;
    EndInterruptSeen = false;

    MOZUFill();
    Reset();
    ClearSensorRam();
    MOZUFill();

    panel_.MatrixRows = 8;
    panel_.MatrixVisible = true;
    panel_.STRInpVisible = false;
    panel_.D = "ZZZZZZZZ";
    panel_.CS = "1";

    Reset();
    // the modifier boxes left captioned "^STB" or disabled by strobed input
    // or the sensor matrix follow the mode the controller is back in
    reshapePanel();
    panel_.S30C = "0000";
    panel_.MatrixSelectedRow = 0;
    for (auto& row : panel_.Matrix)
        row.fill('1');

    SetCW0();  // the display RAM labels were rewritten by Reset
    SetCW1();
    SetCW3();
    SetCW4();
    SetCW2();
    SetCW5();
    SetCW6();
    SetCW7();
    if (!Clearing)
        panel_.C[6].setAt(5, '.');
    ShowDisplayRamOnIndicators();
    ShowStatus();
}

// ---- the front panel's inputs ----------------------------------------------

void TRavx::SetMatrixCell(int row, int column, bool pressed)
{
    handsMoved();
    if (row >= 0 && row < kMatrixSize && column >= 0 && column < kMatrixSize)
        panel_.Matrix[row][column] = pressed ? '0' : '1';
}

void TRavx::ClickCtrl()
{
    handsMoved();
    panel_.CtrlChecked = !panel_.CtrlChecked;
    if (ModeStrobed && !panel_.CtrlChecked)
        StrobePending = true;
}

void TRavx::PreviewCell(int row, int column)
{
    handsMoved();
    if (ModeStrobed) {
        panel_.MGridNum = "";
        return;
    }
    panel_.MGridNum = oct3(KeyCode(row, column, panel_.ShiftChecked, panel_.CtrlChecked));
}

void TRavx::SetOctalEntry(std::string_view text)
{
    handsMoved();
    Label t;
    for (char c : text)
        if (c >= '0' && c <= '7' && t.size() < 3)
            t.append(std::string_view(&c, 1));
    panel_.STRInp = t;
}

void TRavx::ApplyGeneratorSettings(int choice, bool codeGenerator)
{
    touched();
    if (choice < 0 || choice > 3)
        choice = 0;
    ConnectedGenerator = static_cast<uint8_t>(choice);
    panel_.NumZGL = "Номер знакогенератора:";
    panel_.NumZGL.append(dec(static_cast<unsigned>(choice)).view());
    panel_.DGridRows = choice == 3 ? 2 : 1;
    panel_.ZGOutL1Visible = choice == 3;
    CodeGeneratorOn = codeGenerator;
    panel_.KodL = codeGenerator ? "ZZZZZZZZ" : "Отключен";
}

}  // namespace ravx
