// The output half of the controller: the display clear, the outputs with
// blanking, right entry and drawing through the character generators.
#include "controller/Timer.h"
#include "controller/Timer_chars.h"
#include "machine/_Asm_text.h"

namespace ravx {

void TRavx::ClearStep()
{
    DisplayRam[DisplayPos & 0x0F] = ClearCode();
    ShowOzui(DisplayPos);
    host_.displayRamChanged();
    if (ClearCountdown > 0)
        --ClearCountdown;
    if (ClearCountdown == 0) {
        Clearing = false;
        SetCW6();
    }
}

void TRavx::ComputeOutputs(uint8_t position)
{
    const uint8_t blank = ClearCode();
    const uint8_t entry = DisplayRam[position & 0x0F];
    OutA = (BlankA ? blank : entry) & 0xF0;
    OutB = (BlankB ? blank : entry) & 0x0F;
    panel_.OutBC = bin4(OutB);
    panel_.OUTAC = bin4(OutA >> 4);
}

uint8_t TRavx::IndicatorColumn() const { return ColumnOf(DisplayPos); }

uint8_t TRavx::ColumnOf(uint8_t position) const
{
    if (!RightEntry)
        return position;
    // The character written last stands in column N - 1 - offset; an offset
    // beyond the last column is taken modulo N.
    const int n = DisplayWidth();
    int column = ((position - RamAddress) % n + n) % n;
    if (EntryOffset != 0)
        column = ((column - EntryOffset) % n + n) % n;
    return static_cast<uint8_t>(column);
}

void TRavx::RefreshDisplayPosition()
{
    ComputeOutputs(DisplayPos);
    if (!DisplayFrozen)
        DrawIndicator(IndicatorColumn());
}

void TRavx::DrawIndicator(uint8_t column)
{
    column &= 0x0F;
    const uint8_t v = static_cast<uint8_t>(OutA + OutB);
    auto& cells = panel_.Indicator;
    switch (ConnectedGenerator) {
    case 1:
    case 2: {
        const uint8_t g = ConnectedGenerator == 1 ? Zg1[v] : Zg2[v];
        panel_.ZGOutL = bin8(g);
        cells[0][column] = SegmentCell(g);
        break;
    }
    case 3:
        if (!(RightEntry && !WriteEnableA)) {
            const uint8_t g = Zg3[OutA >> 4];
            panel_.ZGOutL = bin8(g);
            panel_.ZGOutL.append("-3");
            cells[0][column] = SegmentCell(g);
        }
        if (!(RightEntry && !WriteEnableB)) {
            const uint8_t h = Zg4[OutB & 0x0F];
            panel_.ZGOutL1 = bin8(h);
            panel_.ZGOutL1.append("-4");
            cells[1][column] = SegmentCell(h);
        }
        break;
    default:  // no generator: the display byte is the seven-segment code
        cells[0][column] = SegmentCell(v);
        break;
    }
}

}  // namespace ravx
