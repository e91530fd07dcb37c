// Statement executor and operand evaluator, and the decoder of a statement:
// a statement runs from its text or from its decoded form, through one
// dispatch and one set of instructions.
#include "machine/_Asm.h"

#include "machine/_Asm_decoded.h"
#include "machine/_Asm_errors.h"
#include "machine/_Asm_operands.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {

constexpr std::size_t kMaxStatementChars = 255;

// The first 255 characters of a UTF-8 text (ASCII in practice). A character
// takes at most four bytes, so even a run of stray continuation bytes cannot
// make the cut longer than the statement buffer.
std::string_view cutStatement(std::string_view text)
{
    if (text.size() <= kMaxStatementChars)
        return text;
    std::size_t chars = 0, tail = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsUtf8Continuation(text[i]) && tail < 3) {
            ++tail;
            continue;
        }
        if (chars == kMaxStatementChars)
            return text.substr(0, i);
        ++chars;
        tail = 0;
    }
    return text;
}

bool isIndexReg(std::string_view t) { return t == "BX" || t == "DI" || t == "SI"; }

// Splits a bracket's inner text at `sep`: every separator switches the side
// that receives the following characters, starting with the first term.
void splitTerms(std::string_view inner, char sep, char* a, std::size_t& na, char* b, std::size_t& nb)
{
    na = nb = 0;
    bool second = false;
    for (char c : inner) {
        if (c == sep)
            second = !second;
        else if (second)
            b[nb++] = c;
        else
            a[na++] = c;
    }
}

// The terms a bracket may combine: one of them an index register; beside BX
// only SI, DI or a number whose text sorts up to "9".
bool termsAllowed(std::string_view ta, std::string_view tb, bool plus)
{
    if (!plus)
        return isIndexReg(ta);
    bool ok = isIndexReg(ta) || isIndexReg(tb);
    if (ok && ta == "BX")
        ok = tb == "DI" || tb == "SI" || tb <= "9";
    if (ok && tb == "BX")
        ok = ta == "DI" || ta == "SI" || ta <= "9";
    return ok;
}

// The mnemonics, each as one word of its characters: a statement's
// mnemonic is found by comparing words, not texts.
struct Mnemonic {
    constexpr Mnemonic(std::string_view n, Op o) : name(n), op(o) {}
    TextWord name;
    Op op;
};
constexpr Mnemonic kMnemonics[] = {
    {"ADD", Op::Add},   {"AND", Op::And},     {"CMP", Op::Cmp},   {"CALL", Op::Call}, {"CLI", Op::Cli},
    {"DEC", Op::Dec},   {"IN", Op::In},       {"INC", Op::Inc},   {"IRET", Op::Iret}, {"INTCALL", Op::IntCall},
    {"JMP", Op::Jmp},   {"LOOP", Op::Loop},   {"MOV", Op::Mov},   {"NOT", Op::Not},   {"NOP", Op::Nop},
    {"OUT", Op::Out},   {"OR", Op::Or},       {"PUSH", Op::Push}, {"POP", Op::Pop},   {"PUSHF", Op::PushF},
    {"POPF", Op::PopF}, {"RESET", Op::Reset}, {"RET", Op::Ret},   {"ROL", Op::Rol},   {"ROR", Op::Ror},
    {"SUB", Op::Sub},   {"SHL", Op::Shl},     {"SHR", Op::Shr},   {"STI", Op::Sti},   {"TEST", Op::Test},
    {"XLAT", Op::Xlat}, {"XOR", Op::Xor},
};

// The instruction a mnemonic names; any other mnemonic that begins with J
// is a conditional jump.
Op opOf(std::string_view mnemonic)
{
    if (mnemonic.empty())
        return Op::Empty;
    if (mnemonic.size() <= TextWord::kMax) {
        const TextWord w(mnemonic);
        for (const Mnemonic& m : kMnemonics)
            if (m.name.bytes() == w.bytes() && m.name.size() == w.size())
                return m.op;
    }
    return mnemonic[0] == 'J' ? Op::Jcc : Op::Unknown;
}

void decodeSimple(std::string_view t, SimpleOperand& o)
{
    o.text = t;
    o.word = wordRegOf(t);
    o.byte = byteRegOf(t);
    if (o.word != WordReg::None) {
        o.kind = SimpleOperand::Kind::Word;
    } else if (o.byte != ByteReg::None) {
        o.kind = SimpleOperand::Kind::Byte;
    } else {
        o.kind = SimpleOperand::Kind::Number;
        o.asWord = ReadNumber(t, 0xFFFF);
        o.asByte = ReadNumber(t, 0xFF);
    }
}

// `terms` receives a bracket's two terms and moves past them.
void decodeOperand(std::string_view t, DecodedOperand& o, char*& terms)
{
    o = DecodedOperand{};
    o.text = t;
    if (!isBracket(t)) {
        decodeSimple(t, o.plain);
        return;
    }
    o.bracket = true;
    o.indirect = indirectRegOf(t);
    if (o.indirect != WordReg::None)
        return;
    if (t.size() < 2 || t.back() != ']') {
        o.bracketError = kErrNumberFormat;
        return;
    }
    const std::string_view inner = t.substr(1, t.size() - 2);
    o.plus = inner.find('+') != std::string_view::npos;
    if (o.plus || inner.find('-') != std::string_view::npos) {
        o.twoTerms = true;
        std::size_t na = 0, nb = 0;
        char* a = terms;
        char* b = terms + inner.size();
        splitTerms(inner, o.plus ? '+' : '-', a, na, b, nb);
        terms += 2 * inner.size();
        const std::string_view ta(a, na), tb(b, nb);
        if (!termsAllowed(ta, tb, o.plus)) {
            o.bracketError = kErrIndexRegister;
            return;
        }
        o.nested = isBracket(ta) || isBracket(tb);
        if (!o.nested) {
            decodeSimple(ta, o.a);
            decodeSimple(tb, o.b);
        }
        return;
    }
    o.nested = isBracket(inner);
    if (!o.nested)
        decodeSimple(inner, o.a);
}

}  // namespace

void Decode(std::string_view statement, DecodedStatement& into)
{
    const ParsedStatement p = SplitStatement(statement, into.text);
    into.mnemonic = p.mnemonic;
    into.op = opOf(p.mnemonic);
    char* terms = into.terms;
    decodeOperand(p.op1, into.op1, terms);
    decodeOperand(p.op2, into.op2, terms);
}

ParsedStatement SplitStatement(std::string_view text, char (&buf)[kStatementBuffer])
{
    text = cutStatement(text);
    constexpr std::size_t npos = std::string_view::npos;
    std::size_t n = 0, sep = npos, comma = npos;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ') {
            if (sep == npos) {
                sep = n;
                buf[n++] = ' ';
            }
            continue;
        }
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c == ',' && sep != npos && comma == npos)
            comma = n;
        buf[n++] = c;
    }
    ParsedStatement p;
    if (sep == npos) {
        p.mnemonic = std::string_view(buf, n);
        return p;
    }
    p.mnemonic = std::string_view(buf, sep);
    if (comma == npos) {
        p.op1 = std::string_view(buf + sep + 1, n - sep - 1);
    } else {
        p.op1 = std::string_view(buf + sep + 1, comma - sep - 1);
        p.op2 = std::string_view(buf + comma + 1, n - comma - 1);
    }
    return p;
}

void Interpreter::Execute(std::string_view text)
{
    m_.ErrorCode = 0;
    char buf[kStatementBuffer];
    const auto [mnemonic, op1, op2] = SplitStatement(text, buf);
    dispatch(opOf(mnemonic), mnemonic, op1, op2, std::string_view("1"), std::string_view("AF"));
}

namespace {
// The operands the dispatch adds: INC and DEC add or take 1, PUSHF and POPF
// move AF.
struct ImpliedOperands {
    DecodedOperand one, af;
    ImpliedOperands()
    {
        char* unused = nullptr;
        decodeOperand("1", one, unused);
        decodeOperand("AF", af, unused);
    }
};
const ImpliedOperands kImplied;
}  // namespace

void Interpreter::Execute(const DecodedStatement& d)
{
    m_.ErrorCode = 0;
    dispatch(d.op, d.mnemonic, d.op1, d.op2, kImplied.one, kImplied.af);
}

// One statement, whichever form its operands have; `one` and `af` are the
// operands INC, DEC, PUSHF and POPF add.
template <class O>
void Interpreter::dispatch(Op op, std::string_view mnemonic, const O& op1, const O& op2, const O& one, const O& af)
{
    switch (op) {
    case Op::Empty: return report(kErrNoCommand);
    case Op::Unknown: return report(kErrUnknownCommand);
    case Op::Add: return AddSub(op1, op2, false);
    case Op::Sub: return AddSub(op1, op2, true);
    case Op::Inc: return AddSub(op1, one, false);
    case Op::Dec: return AddSub(op1, one, true);
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Not:
    case Op::Shl:
    case Op::Shr:
    case Op::Rol:
    case Op::Ror: return Logic(mnemonic, op1, op2);
    case Op::Cmp: return Cmp(op1, op2);
    case Op::Test: return Test(op1, op2);
    case Op::Mov: return Mov(op1, op2);
    case Op::Xlat: return Xlat();
    case Op::Call: return Call(op1);
    case Op::Cli:
        m_.IF = false;
        m_.RefreshFlags();
        return;
    case Op::Sti:
        m_.IF = true;
        m_.RefreshFlags();
        return;
    case Op::In: return In(op1, op2);
    case Op::Out: return Out(op1, op2);
    case Op::Iret: return IRet();
    case Op::IntCall: return IntCall();
    case Op::Jmp: return Jmp(op1);
    case Op::Jcc: return Jcc(mnemonic, op1);
    case Op::Loop: return Loop(op1);
    case Op::Nop: return;
    case Op::Push: return Push(op1);
    case Op::Pop: return Pop(op1);
    case Op::PushF: return Push(af);
    case Op::PopF: return Pop(af);
    case Op::Reset: return ports_.Reset();
    case Op::Ret: return Ret();
    }
}

bool Interpreter::bracketAddress(const DecodedOperand& o, uint16_t& address)
{
    if (o.nested)
        return bracketAddress(o.text, address);
    if (o.bracketError != 0) {
        report(o.bracketError);
        return false;
    }
    const uint16_t x = Evaluate(o.a, 0xFFFF).value;
    if (failed())
        return false;
    if (!o.twoTerms) {
        address = x;
        return true;
    }
    const uint16_t y = Evaluate(o.b, 0xFFFF).value;
    if (failed())
        return false;
    address = static_cast<uint16_t>(o.plus ? x + y : x - y);
    return true;
}

Operand Interpreter::Evaluate(std::string_view t, uint16_t max)
{
    Operand r;
    m_.ErrorCode = 0;

    const WordReg w = wordRegOf(t);
    if (w != WordReg::None) {
        r.value = wordRef(m_, w);
        r.word = true;
        return r;
    }
    const ByteReg b = byteRegOf(t);
    if (b != ByteReg::None) {
        r.value = getByte(m_, b);
        return r;
    }
    if (!t.empty() && t[0] == '[') {
        r.memory = true;
        uint16_t address;
        const WordReg ind = indirectRegOf(t);
        if (ind != WordReg::None) {
            address = wordRef(m_, ind);
        } else if (!bracketAddress(t, address)) {
            return r;
        }
        m_.LastMemAddress = address;
        r.value = readCell(address);
        return r;
    }
    const NumberResult n = ReadNumber(t, max);
    if (n.code != 0) {
        report(n.code);
        return r;
    }
    r.value = n.value;
    r.immediate = true;
    r.word = !n.negative && n.value > 255;
    return r;
}

bool Interpreter::bracketAddress(std::string_view t, uint16_t& address)
{
    // A text without its closing bracket has no meaning; it is refused as a
    // malformed operand rather than read with its last character dropped.
    if (t.size() < 2 || t.back() != ']') {
        report(kErrNumberFormat);
        return false;
    }
    const std::string_view inner = t.substr(1, t.size() - 2);
    char a[kMaxStatementChars * 4], b[kMaxStatementChars * 4];
    std::size_t na = 0, nb = 0;

    const bool plus = inner.find('+') != std::string_view::npos;
    if (plus || inner.find('-') != std::string_view::npos) {
        splitTerms(inner, plus ? '+' : '-', a, na, b, nb);
        const std::string_view ta(a, na), tb(b, nb);
        if (!termsAllowed(ta, tb, plus)) {
            report(kErrIndexRegister);
            return false;
        }
        const uint16_t x = Evaluate(ta, 0xFFFF).value;
        if (failed())
            return false;
        const uint16_t y = Evaluate(tb, 0xFFFF).value;
        if (failed())
            return false;
        address = static_cast<uint16_t>(plus ? x + y : x - y);
        return true;
    }
    address = Evaluate(inner, 0xFFFF).value;
    return !failed();
}

uint16_t Interpreter::readCell(uint16_t address)
{
    if (address > kRamLast) {
        report(kErrRamBound);
        return 0;
    }
    return m_.Ram[address];
}

bool Interpreter::storeWord(uint16_t address, uint16_t value)
{
    if (address > kRamLast) {
        report(kErrRamBound);
        return false;
    }
    if (address > kRamWritableLast) {
        report(kErrReadOnly);
        return false;
    }
    m_.Ram[address] = value;
    host_.dataRamChanged();
    return true;
}

bool Interpreter::storeBytes(uint16_t address, uint16_t value, bool word)
{
    if (address > kRamLast) {
        report(kErrRamBound);
        return false;
    }
    if (address > kRamWritableLast) {
        report(kErrReadOnly);
        return false;
    }
    m_.Ram[address] = value & 0xFF;
    if (word)  // only the first cell is checked: at 2046 the high byte lands in 2047
        m_.Ram[address + 1u] = value >> 8;
    host_.dataRamChanged();
    return true;
}

bool Interpreter::push(uint16_t value)
{
    if (m_.SP > kStackEmpty) {
        report(kErrStackOverflow);
        return false;
    }
    m_.Stack[m_.SP] = value;
    --m_.SP;
    host_.stackChanged();
    return true;
}

bool Interpreter::pop(uint16_t& value)
{
    if (m_.SP == kStackEmpty) {
        report(kErrStackEmpty);
        return false;
    }
    ++m_.SP;
    value = m_.Stack[m_.SP];
    host_.stackChanged();
    return true;
}

}  // namespace ravx
