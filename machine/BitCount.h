// The number of one bits of a byte, by table: without a popcount instruction
// in the target, std::popcount is a library call, and the controller counts
// the return lines at every step.
#pragma once

#include <array>
#include <cstdint>

namespace ravx {

inline constexpr std::array<uint8_t, 256> kByteBits = [] {
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v)
        for (int b = 0; b < 8; ++b)
            t[v] = static_cast<uint8_t>(t[v] + ((v >> b) & 1));
    return t;
}();

inline int ByteBits(uint8_t v) { return kByteBits[v]; }

}  // namespace ravx
