#include "controller/Timer_chars.h"

#include <array>

namespace ravx {

const CharRow kCharTable[kCharRows] = {
    {0x00, " ", 040},  {0x06, "1", 061},  {0x07, "7", 067},  {0x08, "_", 0137}, {0x0E, "J", 0112}, {0x0F, "]", 0135},
    {0x18, "l", 0154}, {0x20, "'", 047},  {0x30, "I", 0111}, {0x31, "Г", 0307}, {0x37, "П", 0320}, {0x38, "L", 0114},
    {0x39, "C", 0103}, {0x3E, "U", 0125}, {0x3F, "0", 060},  {0x40, "-", 055},  {0x44, "^", 0136}, {0x48, "=", 075},
    {0x4F, "3", 063},  {0x50, "г", 0247}, {0x54, "п", 0260}, {0x5B, "2", 062},  {0x5C, "o", 0117}, {0x5E, "d", 0140},
    {0x66, "4", 064},  {0x6D, "5", 065},  {0x6F, "9", 071},  {0x71, "F", 0106}, {0x73, "P", 0120}, {0x76, "H", 0110},
    {0x77, "A", 0101}, {0x79, "E", 0105}, {0x7C, "b", 0142}, {0x7D, "6", 066},  {0x7F, "8", 070},  {0x80, ".", 054},
    {0xFF, "@", 0100}, {kCatchAllCode, "#", -1},
};

namespace {
constexpr uint8_t kCatchAllRow = kCharRows - 1;

// The row and the cell per code: built once, so that drawing a cell at every
// step is one copy.
struct CodeIndex {
    std::array<uint8_t, 256> row{};
    std::array<IndicatorCell, 256> cell{};
    CodeIndex()
    {
        row.fill(kCatchAllRow);
        for (uint8_t i = 0; i < kCatchAllRow; ++i)
            row[kCharTable[i].code] = i;
        for (unsigned c = 0; c < 256; ++c)
            cell[c] = kCharTable[row[c]].character;
    }
};
const CodeIndex kIndex;
}  // namespace

std::string_view SegmentChar(uint8_t code) { return kIndex.cell[code].view(); }
const IndicatorCell& SegmentCell(uint8_t code) { return kIndex.cell[code]; }

std::optional<uint8_t> SegmentCode(std::string_view character)
{
    for (int i = 0; i < kCatchAllRow; ++i)
        if (kCharTable[i].character == character)
            return kCharTable[i].code;
    return std::nullopt;
}

}  // namespace ravx
