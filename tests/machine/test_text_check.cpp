// The error a statement's text decides before it runs (the grid's mark): the
// text's own errors are found, the state's never are, and a marked row
// reports the same error when it executes.
#include <gtest/gtest.h>

#include "machine/Host.h"
#include "machine/Ports.h"
#include "machine/TextCheck.h"
#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"

namespace ravx {
namespace {

TEST(TextCheck, TheTextsOwnErrorsAndNoneOfTheState)
{
    struct Case {
        const char* text;
        uint8_t code;
    };
    const Case cases[] = {
        {"mvo ax,1", kErrUnknownCommand},
        {"mov ax,", kErrNumberFormat},
        {"mov al,300", kErrTooBig},
        {"mov al,di", kErrOperandTypes},
        {"add al,300", kErrOperandTypes},
        {"mov ax,098o", kErrNumberFormat},
        {"mov al,[ax+1]", kErrIndexRegister},
        {"mov [bx],[si]", kErrMemToMem},
        {"in bl,2ah", kErrIoRegister},
        {"mov 21h,al", kErrUnknownDestination},
        {"add 5,al", kErrNoDestination},
        {"test al", kErrMissingOperand},
        {"jz 5x", kErrNumberFormat},
        {"push 5x", kErrNumberFormat},
        {"mov [5000],ax", kErrRamBound},  // a constant address: every state
        {"mov [2050],ax", kErrReadOnly},
        // nothing the text decides
        {"", 0},
        {"   ", 0},
        {"mov ax,1", 0},
        {"MOV AX , 1", 0},
        {"pop ax", 0},         // an empty stack is the state's
        {"in al,2ah", 0},      // so is an empty FIFO
        {"mov al,[bx]", 0},    // and an address in a register
        {"call clearmem", 0},  // and a procedure's range
        {"jmp 600", 0},
        {"iret", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextDecidedError(c.text), c.code) << '"' << c.text << '"';
}

// A row the grid marks reports that error when it runs, from a reset machine.
TEST(TextCheck, AMarkedRowFailsWithItsMarkWhenItRuns)
{
    NoDevice bus;
    NullHost host;
    for (const char* text : {"mvo ax,1", "mov ax,", "mov al,300", "mov al,di", "mov al,[ax+1]", "mov [bx],[si]",
                             "in bl,2ah", "mov 21h,al", "add 5,al", "test al", "jz 5x", "mov [5000],ax"}) {
        MachineState m;
        m.Reset();
        Interpreter(m, bus, host).Execute(text);
        EXPECT_EQ(m.ErrorCode, TextDecidedError(text)) << text;
        EXPECT_NE(m.ErrorCode, 0) << text;
    }
}

}  // namespace
}  // namespace ravx
