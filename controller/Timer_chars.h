// The character table: seven-segment codes, the character the indicator rows
// show for them and their КОИ8 codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "machine/FixedText.h"

namespace ravx {

// One cell of an indicator row: one character.
using IndicatorCell = FixedText<8>;

struct CharRow {
    uint8_t code;
    std::string_view character;  // UTF-8
    int koi8;                    // -1 for the catch-all row
};

constexpr int kCharRows = 38;
// The code of the last row, "#", which stands for any code not in the table:
// the viewer refuses to draw it.
constexpr uint8_t kCatchAllCode = 0x8D;

// The rows in their order; the last ("#") stands for any other code.
extern const CharRow kCharTable[kCharRows];

// The character shown for a seven-segment code ("#" when there is none).
std::string_view SegmentChar(uint8_t code);
// The same as a cell, ready to be copied into an indicator row.
const IndicatorCell& SegmentCell(uint8_t code);
// The code shown as the given character, for a click on an indicator cell.
std::optional<uint8_t> SegmentCode(std::string_view character);

}  // namespace ravx
