// Data and arithmetic instructions. Operand widths are never declared: they
// follow from the register names and the evaluator's attributes.
#include <bit>

#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"
#include "machine/_Asm_decoded.h"
#include "machine/_Asm_operands.h"

namespace ravx {
namespace {

bool isShiftOrRotate(std::string_view mn) { return mn == "SHL" || mn == "SHR" || mn == "ROL" || mn == "ROR"; }

uint16_t rotate8(uint16_t x, unsigned n, bool left)
{
    const unsigned k = n % 8;
    const unsigned v = x & 0xFF;
    if (k == 0)
        return static_cast<uint16_t>(v);
    return static_cast<uint16_t>((left ? (v << k) | (v >> (8 - k)) : (v >> k) | (v << (8 - k))) & 0xFF);
}

uint16_t rotate16(uint16_t x, unsigned n, bool left)
{
    return left ? std::rotl(x, static_cast<int>(n % 16)) : std::rotr(x, static_cast<int>(n % 16));
}

}  // namespace

template <class O>
void Interpreter::Mov(const O& d, const O& s)
{
    const WordReg w = wordRegOf(d);
    if (w != WordReg::None && w != WordReg::AF) {
        const Operand v = Evaluate(s, 0xFFFF);
        if (failed())
            return;
        wordRef(m_, w) = v.value;
        clearFlags();
        return;
    }
    const ByteReg b = byteRegOf(d);
    if (b != ByteReg::None) {
        const Operand v = Evaluate(s, 0xFF);
        if (failed())
            return;
        if (v.word) {
            // a high byte loaded from a word is left alone without a message
            if (!isHigh(b))
                report(kErrOperandTypes);
            return;
        }
        setByte(m_, b, static_cast<uint8_t>(v.value));
        clearFlags();
        return;
    }
    if (isBracket(d)) {
        uint16_t address;
        const WordReg ind = indirectRegOf(d);
        if (ind != WordReg::None)
            address = wordRef(m_, ind);
        else if (!bracketAddress(d, address))
            return;
        const Operand v = Evaluate(s, 0xFFFF);
        if (failed())
            return;
        if (address > kRamLast)
            return report(kErrRamBound);
        if (address > kRamWritableLast)
            return report(kErrReadOnly);
        if (v.memory)
            return report(kErrMemToMem);
        if (!storeWord(address, v.value))
            return;
        clearFlags();
        return;
    }
    report(kErrUnknownDestination);
}

template <class O>
void Interpreter::AddSub(const O& d, const O& s, bool subtract)
{
    const Operand x = Evaluate(d, 0xFFFF);
    if (failed())
        return;
    const Operand y = Evaluate(s, 0xFFFF);
    if (failed())
        return;
    if (x.memory && y.memory)
        return report(kErrMemToMem);
    const uint16_t r = static_cast<uint16_t>(subtract ? x.value - y.value : x.value + y.value);

    if (x.memory) {
        if (!storeBytes(m_.LastMemAddress, r, y.word))
            return;
    } else if (const WordReg w = wordRegOf(d); w != WordReg::None && w != WordReg::AF) {
        if (!y.memory && !y.immediate && !y.word)  // a byte register into a word
            return report(kErrOperandTypes);
        wordRef(m_, w) = r;
    } else if (const ByteReg b = byteRegOf(d); b != ByteReg::None) {
        if (y.word)
            return report(kErrOperandTypes);
        setByte(m_, b, static_cast<uint8_t>(r));
    } else {
        return report(kErrNoDestination);
    }
    m_.ZF = r == 0;
    m_.SF = x.word ? r > 0x7FFF : r > 0x7F;
    m_.PF = (r & 1) == 0;
    m_.RefreshFlags();
}

template <class O>
void Interpreter::Cmp(const O& a, const O& b)
{
    const Operand x = Evaluate(a, 0xFFFF);
    if (failed())
        return;
    const Operand y = Evaluate(b, 0xFFFF);
    if (failed())
        return;
    const int d = static_cast<int>(x.value) - static_cast<int>(y.value);
    m_.ZF = d == 0;
    m_.SF = d < 0;
    m_.PF = d % 2 == 0;
    m_.RefreshFlags();
}

template <class O>
void Interpreter::Test(const O& a, const O& b)
{
    if (textOf(a).empty() || textOf(b).empty())
        return report(kErrMissingOperand);
    const Operand x = Evaluate(a, 0xFFFF);
    if (failed())
        return;
    const Operand y = Evaluate(b, 0xFFFF);
    if (failed())
        return;
    const uint16_t t = x.value & y.value;
    m_.ZF = t == 0;
    m_.SF = t > 0x7FFF;
    m_.RefreshFlags();
}

template <class O>
void Interpreter::Logic(std::string_view mn, const O& d, const O& s)
{
    const Operand x = Evaluate(d, 0xFFFF);
    if (failed() || x.memory || x.immediate)
        return;  // only registers are changed; other destinations end without effect
    const bool isNot = mn == "NOT";
    Operand y;
    if (!isNot) {
        y = Evaluate(s, 0xFFFF);
        if (failed())
            return;
        if (isShiftOrRotate(mn) && !y.immediate)
            return;  // the count must be a number
    }
    const ByteReg br = byteRegOf(d);
    const unsigned n = y.value;
    uint16_t b;
    if (mn == "AND")
        b = x.value & y.value;
    else if (mn == "OR")
        b = x.value | y.value;
    else if (mn == "XOR")
        b = x.value ^ y.value;
    else if (isNot)
        b = static_cast<uint16_t>(~x.value);
    else if (mn == "SHL")
        b = n % 32 >= 16 ? 0 : static_cast<uint16_t>(x.value << (n % 32));
    else if (mn == "SHR")
        b = n % 32 >= 16 ? 0 : static_cast<uint16_t>(x.value >> (n % 32));
    else  // ROL, ROR: within the byte for byte registers, over 16 bits otherwise
        b = br != ByteReg::None ? rotate8(x.value, n, mn == "ROL") : rotate16(x.value, n, mn == "ROL");

    m_.ZF = b == 0;
    m_.SF = (b & 0x8000) != 0;
    m_.PF = (b & 1) == 0;
    m_.RefreshFlags();

    const WordReg w = wordRegOf(d);
    if (w == WordReg::AX || w == WordReg::BX || w == WordReg::CX || w == WordReg::DX)
        wordRef(m_, w) = b;
    else if (br != ByteReg::None && (isNot || !y.word))
        setByte(m_, br, static_cast<uint8_t>(b));
}

void Interpreter::Xlat()
{
    const unsigned address = m_.BX + (m_.AX & 0xFFu);
    if (address > kRamLast)
        return report(kErrRamBound);
    setByte(m_, ByteReg::AL, static_cast<uint8_t>(m_.Ram[address]));
}

// Both forms of an operand.
#define RAVX_DATA_INSTRUCTIONS(O)                                  \
    template void Interpreter::Mov<O>(const O&, const O&);         \
    template void Interpreter::AddSub<O>(const O&, const O&, bool); \
    template void Interpreter::Cmp<O>(const O&, const O&);         \
    template void Interpreter::Test<O>(const O&, const O&);        \
    template void Interpreter::Logic<O>(std::string_view, const O&, const O&);
RAVX_DATA_INSTRUCTIONS(std::string_view)
RAVX_DATA_INSTRUCTIONS(DecodedOperand)
#undef RAVX_DATA_INSTRUCTIONS

}  // namespace ravx
