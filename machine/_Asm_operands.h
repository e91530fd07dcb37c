// Operand names as they appear in a normalised statement.
#pragma once

#include <cstdint>
#include <string_view>

#include "machine/_Asm.h"

namespace ravx {

enum class WordReg : uint8_t { AX, BX, CX, DX, DI, SI, AF, None };
enum class ByteReg : uint8_t { AL, BL, CL, DL, AH, BH, CH, DH, None };

inline WordReg wordRegOf(std::string_view t)
{
    if (t.size() != 2)
        return WordReg::None;
    const char a = t[0], b = t[1];
    if (b == 'X') {
        switch (a) {
        case 'A': return WordReg::AX;
        case 'B': return WordReg::BX;
        case 'C': return WordReg::CX;
        case 'D': return WordReg::DX;
        default: return WordReg::None;
        }
    }
    if (b == 'I') {
        if (a == 'D')
            return WordReg::DI;
        if (a == 'S')
            return WordReg::SI;
    }
    if (a == 'A' && b == 'F')
        return WordReg::AF;
    return WordReg::None;
}

inline ByteReg byteRegOf(std::string_view t)
{
    if (t.size() != 2)
        return ByteReg::None;
    int base;
    switch (t[0]) {
    case 'A': base = 0; break;
    case 'B': base = 1; break;
    case 'C': base = 2; break;
    case 'D': base = 3; break;
    default: return ByteReg::None;
    }
    if (t[1] == 'L')
        return static_cast<ByteReg>(base);
    if (t[1] == 'H')
        return static_cast<ByteReg>(base + 4);
    return ByteReg::None;
}

inline bool isHigh(ByteReg r) { return static_cast<int>(r) >= 4 && r != ByteReg::None; }

inline uint16_t& wordRef(MachineState& m, WordReg r)
{
    switch (r) {
    case WordReg::AX: return m.AX;
    case WordReg::BX: return m.BX;
    case WordReg::CX: return m.CX;
    case WordReg::DX: return m.DX;
    case WordReg::DI: return m.DI;
    case WordReg::SI: return m.SI;
    default: return m.AF;
    }
}

// The word register that holds a byte register.
inline uint16_t& baseOf(MachineState& m, ByteReg r)
{
    switch (static_cast<int>(r) & 3) {
    case 0: return m.AX;
    case 1: return m.BX;
    case 2: return m.CX;
    default: return m.DX;
    }
}

inline uint8_t getByte(MachineState& m, ByteReg r)
{
    const uint16_t w = baseOf(m, r);
    return static_cast<uint8_t>(isHigh(r) ? w >> 8 : w & 0xFF);
}

inline void setByte(MachineState& m, ByteReg r, uint8_t v)
{
    uint16_t& w = baseOf(m, r);
    w = isHigh(r) ? static_cast<uint16_t>((w & 0x00FF) | (v << 8)) : static_cast<uint16_t>((w & 0xFF00) | v);
}

// "[AX]" .. "[SI]": register-indirect memory operands.
inline WordReg indirectRegOf(std::string_view t)
{
    if (t.size() != 4 || t[0] != '[' || t[3] != ']')
        return WordReg::None;
    const WordReg r = wordRegOf(t.substr(1, 2));
    return r == WordReg::AF ? WordReg::None : r;
}

}  // namespace ravx
