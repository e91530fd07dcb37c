#include "controller/MOZU_model.h"

#include "machine/_Asm_text.h"

namespace ravx {
namespace {
constexpr unsigned kHighHalf = 0xF0;
constexpr unsigned kLowHalf = 0x0F;
constexpr unsigned kHalfShift = 4;
constexpr const char* kHeads[kMozuColumns] = {"N", "7.4", "3.0", "7.0"};
}  // namespace

std::string MozuHead(int column) { return column >= 0 && column < kMozuColumns ? kHeads[column] : std::string(); }

std::string MozuCell(int entry, uint8_t value, int column, bool hex)
{
    const unsigned high = (value & kHighHalf) >> kHalfShift;
    const unsigned low = value & kLowHalf;
    switch (column) {
    case kMozuEntry: return std::string(hex2(static_cast<unsigned>(entry)).view());
    // the high half in place: its digit followed by "0"
    case kMozuHigh: return std::string(hex ? hex2(value & kHighHalf).view() : octal(high).view());
    case kMozuLow: return std::string(hex ? hex2(low).view() : octal(low).view());
    case kMozuByte: return std::string(hex ? hex2(value).view() : octal(value).view());
    default: return std::string();
    }
}

}  // namespace ravx
