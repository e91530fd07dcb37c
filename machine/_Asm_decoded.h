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

// The operand names of the instructions, for both forms of an operand.
inline WordReg wordRegOf(const DecodedOperand& o) { return o.bracket ? WordReg::None : o.plain.word; }
inline ByteReg byteRegOf(const DecodedOperand& o) { return o.bracket ? ByteReg::None : o.plain.byte; }
inline WordReg indirectRegOf(const DecodedOperand& o) { return o.indirect; }
inline std::string_view textOf(const DecodedOperand& o) { return o.text; }
inline std::string_view textOf(std::string_view t) { return t; }
inline bool isBracket(const DecodedOperand& o) { return o.bracket; }
inline bool isBracket(std::string_view t) { return !t.empty() && t[0] == '['; }

}  // namespace ravx
