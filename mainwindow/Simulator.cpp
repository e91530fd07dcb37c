#include "Simulator.h"

#include <bit>
#include <cstring>

#include "../controller/Timer_chars.h"
#include "../machine/_Asm_text.h"

namespace ravx {

std::string RowAddressText(int address)
{
    const ShortText t = hex4(static_cast<unsigned>(address));
    return std::string(t.view().substr(1));
}

std::string CentredStatement(std::string_view statement)
{
    std::size_t chars = 0;
    for (char c : statement)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++chars;
    const std::size_t pad = chars < 21 ? (21 - chars) / 2 : 0;
    return std::string(pad, ' ') + std::string(statement);
}

std::string RegisterText(const MachineState& m, PanelRegister r, RegisterMode mode)
{
    static const char* const kLowNames[] = {" AL", " BL", " CL", " DL"};
    uint16_t v = 0;
    switch (r) {
    case PanelRegister::AX: v = m.AX; break;
    case PanelRegister::BX: v = m.BX; break;
    case PanelRegister::CX: v = m.CX; break;
    case PanelRegister::DX: v = m.DX; break;
    case PanelRegister::DI: v = m.DI; break;
    case PanelRegister::SI: v = m.SI; break;
    case PanelRegister::SP: v = static_cast<uint16_t>(2u * m.SP); break;
    case PanelRegister::IP: v = m.IP; break;
    }
    std::string t = hex4(v).str();
    const int index = static_cast<int>(r);
    if (index <= static_cast<int>(PanelRegister::DX) && mode != RegisterMode::None) {
        t += ' ';
        t += (mode == RegisterMode::Octal ? oct3(v & 0xFF) : bin8(v & 0xFF)).view();
        t += kLowNames[index];
    }
    return t;
}

Simulator::Simulator(Host& host) : ravx(m, panel, host), interp(m, ravx, panel, host), host_(host) { initialise(); }

void Simulator::initialise()
{
    // settings at start: octal strobe input on, no generator, no code generator
    panel.OctalStrobe = true;
    panel.GeneratorChoice = 0;
    panel.NumZGL = "Номер знакогенератора:0";
    panel.CodeGeneratorChecked = false;
    ravx.ConnectedGenerator = 0;
    ravx.CodeGeneratorOn = false;
    m.InterruptAddress = kDefaultInterruptAddress;
    ravx.Zg1.fill(0);
    ravx.Zg2.fill(0);
    ravx.Zg3.fill(0);
    ravx.Zg4.fill(0);
    ravx.Kg.fill(0);
    panel.DGridRows = 1;
    ResetKey();
    ravx.PortBase = 0x29;  // replaced by the settings dialog at the first showing
    m.SP = kStackEmpty;
    m.IF = true;
    m.RefreshFlags();
    program.ClearBreakpoints();
    for (auto& row : panel.Matrix)
        row.fill('1');
}

void Simulator::SetMatrixCell(int row, int column, bool pressed)
{
    if (row >= 0 && row < kMatrixSize && column >= 0 && column < kMatrixSize)
        panel.Matrix[row][column] = pressed ? '0' : '1';
}

void Simulator::ClickCtrl()
{
    panel.CtrlChecked = !panel.CtrlChecked;
    if (ravx.ModeStrobed && !panel.CtrlChecked)
        ravx.StrobePending = true;
}

void Simulator::PreviewCell(int row, int column)
{
    if (ravx.ModeStrobed) {
        panel.MGridNum = "";
        return;
    }
    unsigned code = static_cast<unsigned>(column + 8 * row);
    if (panel.ShiftChecked)
        code += 0x40;
    if (panel.CtrlChecked)
        code += 0x80;
    panel.MGridNum = oct3(code);
}

void Simulator::SetOctalEntry(std::string_view text)
{
    Label t;
    for (char c : text)
        if (c >= '0' && c <= '7' && t.size() < 3)
            t.append(std::string_view(&c, 1));
    panel.STRInp = t;
}

void Simulator::ApplyGeneratorSettings(int choice, bool codeGenerator)
{
    if (choice < 0 || choice > 3)
        choice = 0;
    panel.GeneratorChoice = choice;
    ravx.ConnectedGenerator = static_cast<uint8_t>(choice);
    panel.NumZGL = "Номер знакогенератора:";
    panel.NumZGL.append(dec(static_cast<unsigned>(choice)).view());
    panel.DGridRows = choice == 3 ? 2 : 1;
    panel.ZGOutL1Visible = choice == 3;
    panel.CodeGeneratorChecked = codeGenerator;
    ravx.CodeGeneratorOn = codeGenerator;
    panel.KodL = codeGenerator ? "ZZZZZZZZ" : "Отключен";
}

int Simulator::ScannedRow(uint8_t scanValue) const
{
    if (ravx.ModeStrobed)
        return 0;
    if (ravx.DecodedScan)
        return scanValue == 1 ? 0 : scanValue == 2 ? 1 : scanValue == 4 ? 2 : 3;
    return scanValue & 7;
}

void Simulator::sampleReturnLines()
{
    const uint8_t scan = ravx.ScanValue();
    panel.S30C = bin4(ravx.DecodedScan ? static_cast<uint8_t>(~scan) : scan);
    const int row = ScannedRow(scan);
    if (!ravx.ModeStrobed)
        panel.MatrixSelectedRow = row;
    // cells hold '1' (0x31) or '0' (0x30): gather the eight low bits at once
    uint64_t cells;
    std::memcpy(&cells, panel.Matrix[row].data(), sizeof cells);
    static_assert(std::endian::native == std::endian::little, "cell c is byte c of the word");
    uint8_t r = static_cast<uint8_t>(((cells & 0x0101010101010101ULL) * 0x0102040810204080ULL) >> 56);
    if (ravx.ModeStrobed) {
        // complemented and bit-reversed: column 0 becomes bit 7, a pressed cell a 1
        const uint8_t inv = static_cast<uint8_t>(~r);
        r = 0;
        for (int c = 0; c < 8; ++c)
            if (inv & (1u << c))
                r |= static_cast<uint8_t>(0x80u >> c);
    }
    ravx.ReturnLines = ravx.ModeSensor ? static_cast<uint8_t>(~r) : r;
    panel.RetC = bin8(r);
}

bool Simulator::Step()
{
    host_.processEvents();

    // pins before the statement
    panel.CS = "1";
    panel.CWLabVisible = false;
    if (ravx.CodeGeneratorOn)
        panel.KodL = "ZZZZZZZZ";
    if (ravx.DisplayFrozen) {
        ravx.DisplayFrozen = false;
        panel.BDC = ravx.BlankA && ravx.BlankB ? "0" : "1";
    }
    panel.D = "ZZZZZZZZ";

    const bool interrupt = ravx.IntLine && m.IF && !(ravx.ModeSensor && ravx.SensorIntInService);
    const std::string_view text = interrupt ? std::string_view("INTCALL") : program.StatementAt(m.IP);

    if (ravx.ModeSensor)
        panel.C[7] = "  .";
    if (!ravx.Clearing)
        panel.C[6].setAt(5, '.');
    if (panel.PSWLab.at(2) == '1')
        panel.PSWLab.setAt(2, '0');

    interp.Execute(text);

    panel.Sthv = hex2(ravx.FifoReadPtr);
    panel.ReadPointTop = 13 * ravx.FifoReadPtr + 3;
    panel.WritePointTop = 13 * ravx.FifoWritePtr + 3;
    if (m.ErrorCode != 0)
        return false;

    ++m.IP;
    sampleReturnLines();
    ravx.Tick();
    ravx.ScanCounter = static_cast<uint16_t>(ravx.ScanCounter + kScanStep);
    if (ravx.ScanCounter >= kScanWrap)
        ravx.ScanCounter = 0;
    // the controller's cycle can report too (a strobed value above 377 octal)
    return m.ErrorCode == 0;
}

RunStop Simulator::Run(uint64_t maxSteps, uint64_t* steps, const std::function<void()>& afterStep)
{
    uint64_t n = 0;
    RunStop why = RunStop::Steps;
    runFlag_ = true;
    while (n < maxSteps) {
        const bool ok = Step();
        ++n;
        if (afterStep)
            afterStep();
        if (!ok) {
            why = RunStop::Error;
            break;
        }
        if (program.BreakpointAt(m.IP)) {
            why = RunStop::Breakpoint;
            break;
        }
        if (!runFlag_) {
            why = RunStop::Stopped;
            break;
        }
    }
    runFlag_ = false;
    if (steps)
        *steps = n;
    return why;
}

void Simulator::ResetKey()
{
    host_.fillDialogListEnabled(true, 0);  // ends the segment entry mode
    panel.IncLab = "";
    panel.Sthv = "00";
    panel.Stg = "00";
    panel.Label20 = "0";
    panel.SevenVisible = true;
    panel.FourVisible = false;

    m.ErrorCounter = 0;
    ravx.EndInterruptSeen = false;
    runFlag_ = false;

    ravx.MOZUFill();
    ravx.Reset();
    ravx.ClearSensorRam();
    ravx.MOZUFill();

    panel.MatrixRows = 8;
    panel.MatrixVisible = true;
    panel.STRInpVisible = false;
    panel.D = "ZZZZZZZZ";
    panel.CS = "1";

    m.Reset();
    ravx.Reset();
    panel.S30C = "0000";

    panel.MatrixSelectedRow = 0;
    for (auto& row : panel.Matrix)
        row.fill('1');

    ravx.SetCW0();  // the display RAM labels were rewritten by the controller's Reset
    ravx.SetCW1();
    ravx.SetCW3();
    ravx.SetCW4();
    ravx.SetCW2();
    ravx.SetCW5();
    ravx.SetCW6();
    ravx.SetCW7();
    if (!ravx.Clearing)
        panel.C[6].setAt(5, '.');

    // the indicator rows straight from the display RAM, without generators
    for (int c = 0; c < kDisplayPositions; ++c) {
        const uint8_t e = ravx.DisplayRam[c];
        if (panel.GeneratorChoice == 3) {
            panel.Indicator[0][c] = SegmentChar(e >> 4);
            panel.Indicator[1][c] = SegmentChar(e & 0x0F);
        } else {
            panel.Indicator[0][c] = SegmentChar(e);
        }
    }
    ravx.ShowStatus();
}

}  // namespace ravx
