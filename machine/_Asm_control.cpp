// Control flow, stack, interrupt and I/O instructions, and the built-in
// procedures of CALL. Jumps set IP to the target minus one: the driver adds
// one after every statement that ends without error.
#include <bit>

#include "machine/BitCount.h"
#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"
#include "machine/_Asm_decoded.h"
#include "machine/_Asm_operands.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {
uint16_t bitCount(uint16_t v) { return static_cast<uint16_t>(ByteBits(static_cast<uint8_t>(v))); }
}  // namespace

template <class O>
void Interpreter::Jmp(const O& t)
{
    const Operand v = Evaluate(t, 0xFFFF);
    if (failed())
        return;
    m_.IP = static_cast<uint16_t>(v.value - 1);
    clearFlags();
}

template <class O>
void Interpreter::Jcc(std::string_view mn, const O& t)
{
    const Operand v = Evaluate(t, 0xFFFF);
    if (failed())
        return;
    const char second = mn.size() > 1 ? mn[1] : '\0';
    bool jump;
    switch (second) {
    case 'E':
    case 'Z': jump = m_.ZF; break;
    case 'A': jump = !m_.SF && !m_.ZF; break;
    case 'B': jump = m_.SF; break;
    case 'N': {
        const char third = mn.size() > 2 ? mn[2] : '\0';
        if (third == 'A')
            jump = m_.SF || m_.ZF;
        else if (third == 'B')
            jump = !m_.SF || m_.ZF;
        else if (third == 'E' || third == 'Z')
            jump = !m_.ZF;
        else
            jump = false;
        break;
    }
    default: return;  // not a condition this processor knows: no jump, flags kept
    }
    if (jump)
        m_.IP = static_cast<uint16_t>(v.value - 1);
    clearFlags();
}

template <class O>
void Interpreter::Loop(const O& t)
{
    if (textOf(t).empty())
        return report(kErrMissingOperand);
    const Operand v = Evaluate(t, 0xFFFF);
    if (failed())
        return;
    --m_.CX;
    if (m_.CX != 0)
        m_.IP = static_cast<uint16_t>(v.value - 1);
}

template <class O>
void Interpreter::Call(const O& x)
{
    if (CallBuiltin(textOf(x)))
        return;
    const Operand v = Evaluate(x, 0xFFFF);
    if (failed())
        return;
    if (!push(m_.IP))
        return;
    m_.IP = static_cast<uint16_t>(v.value - 1);
    clearFlags();
}

void Interpreter::InToAl()
{
    setByte(m_, ByteReg::AL, ports_.ReadPort(PortRegister::Data, static_cast<uint8_t>(m_.AX)));
    clearFlags();
}

bool Interpreter::CallBuiltin(std::string_view name)
{
    // Ranges are checked against the last RAM address with unwrapped sums.
    const unsigned di = m_.DI, si = m_.SI, cx = m_.CX;
    if (name == "BEEP") {
        host_.beep();
    } else if (name == "CLEARMEM") {
        if (di + cx > kRamLast)
            return report(kErrProcedure), true;
        for (unsigned i = 0; i < cx; ++i)
            m_.Ram[di + i] = 0;
        m_.DI = static_cast<uint16_t>(di + cx - 1);
        m_.CX = 0;
        host_.dataRamChanged();
    } else if (name == "COPY_OZU") {
        if (di + cx > kRamLast || si + cx > kRamLast)
            return report(kErrProcedure), true;
        for (unsigned i = 0; i < cx; ++i) {
            m_.Ram[di + i] = m_.Ram[m_.SI];
            ++m_.SI;
        }
        m_.DI = static_cast<uint16_t>(di + cx - 1);
        m_.CX = 0;
        host_.dataRamChanged();
    } else if (name == "COMPS") {
        if (di > kRamLast || si > kRamLast)
            return report(kErrProcedure), true;
        m_.BX = m_.Ram[di] ^ m_.Ram[si];
        m_.DX = bitCount(m_.BX);
    } else if (name == "COMPARE") {
        if (di + cx > kRamLast || si + cx > kRamLast)
            return report(kErrProcedure), true;
        m_.AX = 0;
        for (unsigned i = 0; i < cx; ++i) {
            const uint16_t d = m_.Ram[di + i] ^ m_.Ram[si + i];
            if (m_.BX == 1)
                m_.AX = static_cast<uint16_t>(m_.AX + bitCount(d));
            else if (d != 0)
                ++m_.AX;
        }
        m_.DI = static_cast<uint16_t>(di + cx);
        m_.SI = static_cast<uint16_t>(si + cx);
        m_.CX = 0;
    } else if (name == "INTTOSTR") {
        const ShortText digits = dec(m_.AX);
        m_.CX = static_cast<uint16_t>(digits.size());
        if (di + digits.size() > kRamLast)
            return report(kErrProcedure), true;
        for (std::size_t i = 0; i < digits.size(); ++i)
            m_.Ram[di + i] = static_cast<uint16_t>(digits.at(i) - '0');
        host_.dataRamChanged();
    } else if (name == "COPY_MOZU") {
        if (di + cx > kRamLast)
            return report(kErrProcedure), true;
        m_.AX = 0;
        for (unsigned i = 0; i < cx; ++i) {
            InToAl();
            m_.Ram[m_.DI] = m_.AX;
            ++m_.DI;
        }
        host_.dataRamChanged();
    } else if (name == "COPY_ALLMOZU") {
        if (di + 7 > kRamLast)
            return report(kErrProcedure), true;
        for (int i = 0; i < 8; ++i) {
            m_.AX = 0;
            InToAl();
            m_.Ram[m_.DI] = m_.AX;
            ++m_.DI;
        }
        host_.dataRamChanged();
    } else if (name == "GET_KOL_DAT") {
        m_.AX = bitCount(m_.AX);
    } else {
        return false;
    }
    return true;
}

void Interpreter::Ret()
{
    uint16_t v;
    if (!pop(v))
        return;
    m_.IP = v;
    clearFlags();
}

template <class O>
void Interpreter::Push(const O& x)
{
    if (textOf(x) == "ALL") {
        for (const WordReg r :
             {WordReg::AX, WordReg::BX, WordReg::CX, WordReg::DX, WordReg::DI, WordReg::SI, WordReg::AF}) {
            if (!push(wordRef(m_, r)))
                return;
            clearFlags();
        }
        return;
    }
    const Operand v = Evaluate(x, 0xFFFF);
    if (failed() || !push(v.value))
        return;
    clearFlags();
}

template <class O>
void Interpreter::Pop(const O& x)
{
    if (m_.SP == kStackEmpty)
        return report(kErrStackEmpty);
    if (textOf(x) == "ALL") {
        for (const WordReg r :
             {WordReg::AF, WordReg::SI, WordReg::DI, WordReg::DX, WordReg::CX, WordReg::BX, WordReg::AX}) {
            uint16_t v;
            if (!pop(v))
                return;
            wordRef(m_, r) = v;
            clearFlags();
        }
        return;
    }
    uint16_t v;
    if (!pop(v))
        return;
    const WordReg r = wordRegOf(x);
    if (r != WordReg::None)
        wordRef(m_, r) = v;  // AF does not survive the flags refresh below
    clearFlags();
}

void Interpreter::IntCall()
{
    if (!push(static_cast<uint16_t>(m_.IP - 1)) || !push(m_.AF))
        return;
    m_.IF = false;
    m_.RefreshFlags();
    m_.IP = static_cast<uint16_t>(m_.InterruptAddress - 1);
    ports_.AcknowledgeInterrupt();
}

void Interpreter::IRet()
{
    uint16_t flags, ip;
    if (!pop(flags))
        return;
    m_.AF = flags;
    if (!pop(ip))
        return;
    m_.IP = ip;
    m_.IF = true;
    clearFlags();
}

// The port of IN and OUT: evaluated first, then the register must be AL.
// `target` receives the register of the device at that port, if any.
template <class O>
bool Interpreter::selectPort(const O& p, const O& reg, PortRegister& target)
{
    const Operand port = Evaluate(p, 0xFFFF);
    if (failed())
        return false;
    if (textOf(reg) != "AL") {
        report(kErrIoRegister);
        return false;
    }
    target = ports_.DecodePort(port.value);
    return true;
}

template <class O>
void Interpreter::In(const O& d, const O& p)
{
    PortRegister target;
    if (!selectPort(p, d, target))
        return;
    if (target != PortRegister::None)
        setByte(m_, ByteReg::AL, ports_.ReadPort(target, static_cast<uint8_t>(m_.AX)));
    clearFlags();
}

template <class O>
void Interpreter::Out(const O& p, const O& s)
{
    PortRegister target;
    if (!selectPort(p, s, target))
        return;
    if (target != PortRegister::None)
        ports_.WritePort(target, static_cast<uint8_t>(m_.AX));
    clearFlags();
}

// Both forms of an operand.
#define RAVX_CONTROL_INSTRUCTIONS(O)                                          \
    template void Interpreter::Jmp<O>(const O&);                              \
    template void Interpreter::Jcc<O>(std::string_view, const O&);            \
    template void Interpreter::Loop<O>(const O&);                             \
    template void Interpreter::Call<O>(const O&);                             \
    template void Interpreter::Push<O>(const O&);                             \
    template void Interpreter::Pop<O>(const O&);                              \
    template void Interpreter::In<O>(const O&, const O&);                     \
    template void Interpreter::Out<O>(const O&, const O&);                    \
    template bool Interpreter::selectPort<O>(const O&, const O&, PortRegister&);
RAVX_CONTROL_INSTRUCTIONS(std::string_view)
RAVX_CONTROL_INSTRUCTIONS(DecodedOperand)
#undef RAVX_CONTROL_INSTRUCTIONS

}  // namespace ravx
