// The texts the controller writes into the main window's labels: status,
// command words, the FIFO list and its marks, the display RAM, the shape of
// the matrix and indicator panels.
#include "controller/Timer.h"
#include "controller/Timer_chars.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {
constexpr char kCwLabTexts[8][24] = {"Загрузка CW0", "Загрузка CW1", "Загрузка CW2", "Загрузка CW3",
                                     "Загрузка CW4", "Загрузка CW5", "Загрузка CW6", "Загрузка CW7"};
inline char bit(bool b) { return b ? '1' : '0'; }

// CW3 and CW4 show the same fields: auto-increment and the RAM address.
Label addressWordText(bool autoIncrement, uint8_t ramAddress)
{
    const char s[3] = {' ', ' ', bit(autoIncrement)};
    Label t(std::string_view(s, 3));
    t.append(" ");
    t.append(bin4(ramAddress).view());
    return t;
}
}  // namespace

void TRavx::showCwLab(int n) { panel_.CWLab = kCwLabTexts[n]; }

// ^BD is low while both halves are blanked.
void TRavx::updateBd() { panel_.BDC = BlankA && BlankB ? "0" : "1"; }

void TRavx::showRga() { panel_.RgAC = hex2(RamAddress); }

void TRavx::showFifoMarks()
{
    panel_.ReadPointTop = FrontPanel::FifoMarkTop(FifoReadPtr);
    panel_.WritePointTop = FrontPanel::FifoMarkTop(FifoWritePtr);
}

void TRavx::ShowStatus()
{
    // the eight status bits, most significant first, one character each
    uint8_t bits = static_cast<uint8_t>((Clearing || (!WriteEnableA && !WriteEnableB)) << 7);
    if (ModeSensor)
        bits |= static_cast<uint8_t>(IntLine << 6);
    else
        bits |= static_cast<uint8_t>((ModeRollover && SpecialErrorMode && ErrorFlag) << 6 | (FifoCount >= 8) << 5 |
                                     UnderrunFlag << 4 | (FifoCount & 0x0F));
    panel_.PSWLab = bin8(bits);
}

void TRavx::SetCW(int n)
{
    switch (n) {
    case 0: return SetCW0();
    case 1: return SetCW1();
    case 2: return SetCW2();
    case 3: return SetCW3();
    case 4: return SetCW4();
    case 5: return SetCW5();
    case 6: return SetCW6();
    default: return SetCW7();
    }
}

void TRavx::SetCW0()
{
    const uint8_t mode = Mode();
    const char s[8] = {' ', bit(RightEntry), bit(Display16), ' ', bit(mode & 2), bit(mode & 1), ' ', bit(DecodedScan)};
    panel_.C[0] = std::string_view(s, 8);
}

void TRavx::SetCW1()
{
    Label t = "   ";
    t.append(binN(Prescaler, 5).view());
    panel_.C[1] = t;
}

void TRavx::SetCW2()
{
    if (ModeSensor) {
        Label t = "  ";
        const char ai = bit(AutoIncrement);
        t.append(std::string_view(&ai, 1));
        t.append("  ");
        t.append(binN(RamAddress, 3).view());
        panel_.C[2] = t;
        panel_.C[3] = "  . ....";
        panel_.C[4] = "  . ....";
    } else {
        panel_.C[2] = "  .  ...";
    }
    panel_.Cw2CaptionBlue = true;
    panel_.Cw3CaptionBlue = false;
}

void TRavx::SetCW3()
{
    panel_.C[3] = addressWordText(AutoIncrement, RamAddress);
    if (ModeSensor) {
        panel_.C[2] = "  .  ...";
        panel_.C[4] = "  . ....";
    }
    panel_.Cw3CaptionBlue = true;
    panel_.Cw2CaptionBlue = false;
}

void TRavx::SetCW4()
{
    panel_.C[4] = addressWordText(AutoIncrement, RamAddress);
    if (ModeSensor) {
        panel_.C[2] = "  .  ...";
        panel_.C[3] = "  . ....";
    }
}

void TRavx::SetCW5()
{
    const char s[6] = {' ', bit(!WriteEnableA), bit(!WriteEnableB), ' ', bit(BlankA), bit(BlankB)};
    Label t = "  ";
    t.append(std::string_view(s, 6));
    panel_.C[5] = t;
}

void TRavx::SetCW6()
{
    const uint8_t w = LastClearWord;
    char s[8] = {bit(Clearing),
                 ' ',
                 bit(w & kCw6ClearCodeHigh),
                 bit(w & kCw6ClearCodeLow),
                 ' ',
                 bit(w & kCw6ClearFifo),
                 ' ',
                 bit(w & kCw6ClearAll)};
    if (!Clearing) {
        s[7] = '.';
        if (!SpecialErrorMode)
            s[5] = '.';
    }
    panel_.C[6] = std::string_view(s, 8);
}

void TRavx::SetCW7()
{
    if (!ModeSensor)
        panel_.C[7] = SpecialErrorMode ? "  1" : "  0";
}

void TRavx::MOZUFill()
{
    for (int n = 0; n < kFifoSize; ++n) {
        Label t = dec(static_cast<unsigned>(n)).view();
        t.append(" ");
        t.append(oct3(SensorRam[n]).view());
        t.append(":");
        t.append(hex2(SensorRam[n]).view());
        panel_.Mozu[n] = t;
    }
    showFifoMarks();
}

void TRavx::ShowOzui(uint8_t position)
{
    auto show = [this](unsigned i) { panel_.Ozu[i] = hex2(i) + TextWord(": ") + oct3(DisplayRam[i]); };
    if (position == 255) {
        for (unsigned i = 0; i < kDisplayPositions; ++i)
            show(i);
    } else {
        show(position & 0x0Fu);
    }
}

void TRavx::ShowDisplayRamOnIndicators()
{
    for (int c = 0; c < kDisplayPositions; ++c) {
        const uint8_t e = DisplayRam[c];
        if (ConnectedGenerator == 3) {
            panel_.Indicator[0][c] = SegmentCell(e >> 4);
            panel_.Indicator[1][c] = SegmentCell(e & 0x0F);
        } else {
            panel_.Indicator[0][c] = SegmentCell(e);
        }
    }
}

// CW0 reshapes the matrix, the indicator row and the modifier boxes.
void TRavx::reshapePanel()
{
    FrontPanel& p = panel_;
    p.DGridCols = Display16 ? 16 : 8;
    if (DecodedScan) {
        p.MatrixRows = 4;
        p.DGridCols = 4;
        p.SevenVisible = false;
        p.FourVisible = true;
    } else {
        p.MatrixRows = 8;
        p.SevenVisible = true;
        p.FourVisible = false;
    }
    p.CtrlCaption = "Ctrl";
    p.CtrlEnabled = !ModeSensor;
    p.ShiftEnabled = !ModeSensor;
    p.MatrixVisible = true;
    p.STRInpVisible = false;
    if (ModeStrobed) {
        p.SevenVisible = false;
        p.FourVisible = false;
        p.ShiftEnabled = false;
        p.CtrlCaption = "^STB";
        p.Label20 = "7";
        if (p.OctalStrobe) {
            p.STRInpVisible = true;
            p.MatrixVisible = false;
        } else {
            p.MatrixRows = 1;
        }
    }
}

}  // namespace ravx
