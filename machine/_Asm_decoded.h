// The decoded form of a statement: what its text alone decides, worked out
// once when the text is new, so that running the row does not read the text
// again. Executing it does exactly what executing the text does; the text
// path stays the definition and the tests compare the two.
#pragma once

#include <cstdint>
#include <string_view>

#include "machine/_Asm.h"
#include "machine/_Asm_operands.h"

namespace ravx {

// One operand without brackets (or a bracket's term): a register, or a number
// as ReadNumber reads it (an error included) for the two limits the
// instructions use.
struct SimpleOperand {
    enum class Kind : uint8_t { Word, Byte, Number };
    std::string_view text;
    Kind kind = Kind::Number;
    WordReg word = WordReg::None;
    ByteReg byte = ByteReg::None;
    NumberResult asWord;  // ReadNumber(text, 0xFFFF)
    NumberResult asByte;  // ReadNumber(text, 0xFF)
};

// An operand as it stands in the statement.
struct DecodedOperand {
    std::string_view text;
    SimpleOperand plain;  // the operand itself when it has no bracket
    bool bracket = false;
    // bracket operands
    WordReg indirect = WordReg::None;  // "[BX]"
    uint8_t bracketError = 0;          // decided by the text: 2 unclosed, 3 terms
    bool twoTerms = false, plus = false;
    SimpleOperand a, b;  // the terms, or the inner operand in `a`
    bool nested = false;  // a term is a bracket again: evaluated from the text
};

enum class Op : uint8_t {
    Empty, Unknown, Add, And, Cmp, Call, Cli, Dec, In, Inc, Iret, IntCall, Jmp, Jcc, Loop, Mov, Not, Nop, Out,
    Or, Push, Pop, PushF, PopF, Reset, Ret, Rol, Ror, Sub, Shl, Shr, Sti, Test, Xlat, Xor,
};

// A decoded statement refers into its own buffers: it is filled in place and
// never copied.
struct DecodedStatement {
    DecodedStatement() = default;
    DecodedStatement(const DecodedStatement&) = delete;
    DecodedStatement& operator=(const DecodedStatement&) = delete;

    Op op = Op::Empty;
    std::string_view mnemonic;
    DecodedOperand op1, op2;
    char text[kStatementBuffer];   // the normalised statement
    char terms[2 * kStatementBuffer];  // the bracket terms, which are not contiguous in it
};

// Decodes `statement` into `into`.
void Decode(std::string_view statement, DecodedStatement& into);

// Evaluating a decoded operand: defined here so that the instructions, in
// their own files, inline it.
// The operands are built whole: a result assembled member by member and
// then returned in a register costs a store-forwarding stall on every use.
inline Operand Interpreter::Evaluate(const SimpleOperand& o, uint16_t max)
{
    m_.ErrorCode = 0;
    switch (o.kind) {
    case SimpleOperand::Kind::Word: return Operand{wordRef(m_, o.word), false, false, true};
    case SimpleOperand::Kind::Byte: return Operand{getByte(m_, o.byte), false, false, false};
    case SimpleOperand::Kind::Number: break;
    }
    const NumberResult& n = max == 0xFFFF ? o.asWord : max == 0xFF ? o.asByte : ReadNumber(o.text, max);
    if (n.code != 0) {
        report(n.code);
        return Operand{};
    }
    return Operand{n.value, false, true, !n.negative && n.value > 255};
}

inline Operand Interpreter::Evaluate(const DecodedOperand& o, uint16_t max)
{
    if (!o.bracket)
        return Evaluate(o.plain, max);
    m_.ErrorCode = 0;
    uint16_t address;
    if (o.indirect != WordReg::None) {
        address = wordRef(m_, o.indirect);
    } else if (!bracketAddress(o, address)) {
        return Operand{0, true, false, false};
    }
    m_.LastMemAddress = address;
    return Operand{readCell(address), true, false, false};
}

// The operand names of the instructions, for both forms of an operand.
inline WordReg wordRegOf(const DecodedOperand& o) { return o.bracket ? WordReg::None : o.plain.word; }
inline ByteReg byteRegOf(const DecodedOperand& o) { return o.bracket ? ByteReg::None : o.plain.byte; }
inline WordReg indirectRegOf(const DecodedOperand& o) { return o.indirect; }
inline std::string_view textOf(const DecodedOperand& o) { return o.text; }
inline std::string_view textOf(std::string_view t) { return t; }
inline bool isBracket(const DecodedOperand& o) { return o.bracket; }
inline bool isBracket(std::string_view t) { return !t.empty() && t[0] == '['; }

}  // namespace ravx
