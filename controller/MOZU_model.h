// The display RAM view without its window: the texts of its grid, one row
// per display RAM entry split into its halves, in octal or hexadecimal.
#pragma once

#include <cstdint>
#include <string>

namespace ravx {

enum MozuColumn { kMozuEntry = 0, kMozuHigh, kMozuLow, kMozuByte, kMozuColumns };
// The heading row, one row per display RAM entry and an empty row under them.
constexpr int kMozuEntries = 16;
constexpr int kMozuRows = 1 + kMozuEntries + 1;

// The heading of a column: "N", "7.4", "3.0", "7.0".
std::string MozuHead(int column);
// The text of a column for the display RAM entry `entry` holding `value`:
// the entry number, bits 7..4, bits 3..0 and the whole byte. With `hex` the
// high half stays in place ("A0"), the low half and the byte are hex2; in
// octal the halves take two digits and the byte two or three.
std::string MozuCell(int entry, uint8_t value, int column, bool hex);

}  // namespace ravx
