// The processor: its state record, the statement executor with the operand
// evaluator, the number readers and the error routine.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "machine/Host.h"
#include "machine/Ports.h"

namespace ravx {

// Flags word bits (operand name AF).
constexpr uint16_t kFlagZF = 2;
constexpr uint16_t kFlagSF = 4;
constexpr uint16_t kFlagPF = 16;
constexpr uint16_t kFlagIF = 64;

constexpr uint16_t kRamLast = 3069;          // highest data RAM address
constexpr uint16_t kRamWritableLast = 2046;  // highest address an instruction may store to
constexpr int kRamCells = kRamLast + 1;
constexpr int kStackSlots = 256;
constexpr uint16_t kStackEmpty = 255;
constexpr uint16_t kRowLimit = 499;  // statement rows 000..1F2; bound of go-to and ППОП address
constexpr uint16_t kDefaultInterruptAddress = 100;

struct MachineState {
    uint16_t AX = 0, BX = 0, CX = 0, DX = 0;
    uint16_t DI = 0, SI = 0;
    uint16_t AF = 0;  // the flags word, always recomposed from the four flags
    uint16_t IP = 0;
    uint16_t SP = 0;  // index of the next free stack slot
    bool ZF = false, SF = false, PF = false, IF = false;
    std::array<uint16_t, kRamCells> Ram{};
    std::array<uint16_t, kStackSlots> Stack{};
    uint16_t InterruptAddress = 0;
    uint8_t ErrorCode = 0;
    uint16_t LastMemAddress = 0;
    uint16_t ErrorCounter = 0;

    friend bool operator==(const MachineState&, const MachineState&) = default;

    // Recomposes the flags word from the four flags.
    void RefreshFlags()
    {
        AF = static_cast<uint16_t>((SF ? kFlagSF : 0) | (ZF ? kFlagZF : 0) | (PF ? kFlagPF : 0) | (IF ? kFlagIF : 0));
    }
    // Registers and flags to their reset values; memory, stack contents and
    // the interrupt routine address stay.
    void Reset();
};

// The error routine: sets the error code, counts the showing of the error
// window and hands the code to the host, which shows the window and returns
// when it is closed.
void ReportError(MachineState& m, Host& host, uint8_t code);

// ---- number readers ----------------------------------------------------

struct NumberResult {
    uint16_t value = 0;
    uint8_t code = 0;       // 0, or the error number (2 bad digit, 1 or the given overflow code)
    bool negative = false;  // a decimal text with "-": never counts as a word
};

// Readers of the digits alone (the caller strips or never had the suffix).
NumberResult ReadBinary(std::string_view digits, uint32_t max);
NumberResult ReadHex(std::string_view digits, uint32_t max);
NumberResult ReadOctal(std::string_view digits, uint32_t max, uint8_t overflowCode = 1);
NumberResult ReadDecimal(std::string_view text, uint32_t max);
// A number as written in a statement: the last character chooses the base
// (B, H, O), anything else means a signed decimal integer.
NumberResult ReadNumber(std::string_view text, uint32_t max);

// ---- the statement executor ---------------------------------------------

// A statement split into its parts; the views point into the caller's buffer.
struct ParsedStatement {
    std::string_view mnemonic, op1, op2;
};
constexpr std::size_t kStatementBuffer = 255 * 4 + 1;
// Normalises a statement (upper-case Latin letters, blanks dropped except the
// separator after the mnemonic, cut to 255 characters) and splits it.
ParsedStatement SplitStatement(std::string_view text, char (&buf)[kStatementBuffer]);

struct Operand {
    uint16_t value = 0;
    bool memory = false;
    bool immediate = false;
    bool word = false;
};

struct SimpleOperand;
struct DecodedOperand;
enum class Op : uint8_t;
struct DecodedStatement;

// Runs statements against the machine state and the device on the I/O bus.
// Errors of the student's program are reported through the error routine and
// left in MachineState::ErrorCode; the executor never throws for them.
class Interpreter {
public:
    Interpreter(MachineState& m, PortDevice& ports, Host& host) : m_(m), ports_(ports), host_(host) {}

    // The statement read from its text: the definition of what it does.
    void Execute(std::string_view text);
    // The same statement from its decoded form (machine/_Asm_decoded.h).
    void Execute(const DecodedStatement& statement);
    Operand Evaluate(std::string_view t, uint16_t max);
    Operand Evaluate(const DecodedOperand& o, uint16_t max);

private:
    bool failed() const { return m_.ErrorCode != 0; }
    void report(uint8_t code) { ReportError(m_, host_, code); }
    void clearFlags()
    {
        m_.PF = m_.ZF = m_.SF = false;
        m_.RefreshFlags();
    }

    Operand Evaluate(const SimpleOperand& o, uint16_t max);
    template <class O>
    void dispatch(Op op, std::string_view mnemonic, const O& op1, const O& op2, const O& one, const O& af);
    // Bracket expressions: checks the terms and computes the address.
    bool bracketAddress(std::string_view t, uint16_t& address);
    bool bracketAddress(const DecodedOperand& o, uint16_t& address);
    uint16_t readCell(uint16_t address);
    bool storeWord(uint16_t address, uint16_t value);
    bool storeBytes(uint16_t address, uint16_t value, bool word);
    bool push(uint16_t value);
    bool pop(uint16_t& value);

    // The instructions, for an operand given as text (std::string_view) or
    // decoded (DecodedOperand); both are instantiated where they are defined.
    // instructions (_Asm_data.cpp)
    template <class O> void Mov(const O& d, const O& s);
    template <class O> void AddSub(const O& d, const O& s, bool subtract);
    template <class O> void Cmp(const O& a, const O& b);
    template <class O> void Test(const O& a, const O& b);
    template <class O> void Logic(std::string_view mnemonic, const O& d, const O& s);
    void Xlat();
    // instructions (_Asm_control.cpp)
    template <class O> void Jmp(const O& t);
    template <class O> void Jcc(std::string_view mnemonic, const O& t);
    template <class O> void Loop(const O& t);
    template <class O> void Call(const O& x);
    bool CallBuiltin(std::string_view name);
    void Ret();
    template <class O> void Push(const O& x);
    template <class O> void Pop(const O& x);
    void IntCall();
    void IRet();
    template <class O> void In(const O& d, const O& p);
    template <class O> void Out(const O& p, const O& s);
    void InToAl();  // the IN of the built-in procedures: data port into AL
    template <class O> bool selectPort(const O& p, const O& reg, PortRegister& target);

    MachineState& m_;
    PortDevice& ports_;
    Host& host_;
};

}  // namespace ravx
