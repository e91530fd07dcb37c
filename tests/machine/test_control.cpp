// Control flow, stack, interrupt and I/O instructions and the built-in
// procedures.
#include <gtest/gtest.h>

#include "Rig.h"

namespace ravx::test {
namespace {

TEST(Jumps, TargetsAndConditions)
{
    Rig r;
    EXPECT_EQ(r.exec("jmp 0"), 0);
    EXPECT_EQ(r.m.IP, 0xFFFF);  // the driver's +1 makes 000 the next row
    EXPECT_EQ(r.exec("jmp 1f3h"), 0);
    EXPECT_EQ(r.m.IP, 0x1F2);

    struct Cond {
        const char* stmt;
        bool jumps;
    };
    // after cmp al,5 with AL = 7
    const Cond conds[] = {{"ja 20h", true},   {"jb 20h", false}, {"jnb 20h", true},  {"jne 20h", true},
                          {"je 20h", false},  {"jz 20h", false}, {"jna 20h", false}, {"jnz 20h", true},
                          {"jnx 20h", false}, {"jn 20h", false}};
    for (const auto& c : conds) {
        r.m.IP = 5;
        r.m.AX = 7;
        ASSERT_EQ(r.exec("cmp al,5"), 0);
        EXPECT_EQ(r.exec(c.stmt), 0) << c.stmt;
        EXPECT_EQ(r.m.IP, c.jumps ? 0x1F : 5) << c.stmt;
        EXPECT_EQ(r.m.AF, 64) << c.stmt;  // flags cleared, taken or not
    }
    // unknown conditions do nothing at all, but their target is still evaluated
    r.m.IP = 5;
    r.m.ZF = true;
    r.m.RefreshFlags();
    EXPECT_EQ(r.exec("jc 10"), 0);
    EXPECT_EQ(r.m.IP, 5);
    EXPECT_TRUE(r.m.ZF);
    EXPECT_EQ(r.exec("jc xyz"), 2);
    EXPECT_EQ(r.exec("jmp"), 2);
}

TEST(Loop, CountsDownCx)
{
    Rig r;
    r.m.CX = 1;
    r.m.IP = 9;
    EXPECT_EQ(r.exec("loop 3"), 0);
    EXPECT_EQ(r.m.CX, 0);
    EXPECT_EQ(r.m.IP, 9);
    r.m.CX = 0;  // 0 means 65536 turns
    EXPECT_EQ(r.exec("loop 3"), 0);
    EXPECT_EQ(r.m.CX, 0xFFFF);
    EXPECT_EQ(r.m.IP, 2);
    EXPECT_EQ(r.exec("loop"), 20);
    EXPECT_EQ(r.m.CX, 0xFFFF);
}

TEST(CallRet, ReturnsToTheRowAfterTheCall)
{
    Rig r;
    r.load({"nop", "nop", "nop", "nop", "nop", "call 20h"});
    r.sim.program.rows[0x20].statement = "ret";
    r.m.IP = 5;
    ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.m.IP, 0x20);
    EXPECT_EQ(r.m.Stack[255], 5);
    EXPECT_EQ(r.m.SP, 254);
    ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.m.IP, 6);
    EXPECT_EQ(r.m.SP, 255);
    EXPECT_EQ(r.exec("ret"), 16);  // empty stack
}

TEST(Stack, PushPopAndLimits)
{
    Rig r;
    r.m.AX = 1, r.m.BX = 2, r.m.CX = 3, r.m.DX = 4, r.m.DI = 5, r.m.SI = 6;
    r.m.ZF = true;
    r.m.RefreshFlags();
    EXPECT_EQ(r.exec("push all"), 0);
    EXPECT_EQ(r.m.Stack[255], 1);
    EXPECT_EQ(r.m.Stack[249], 64);  // the flags word was already cleared by the six pushes
    r.m.AX = r.m.BX = r.m.CX = r.m.DX = r.m.DI = r.m.SI = 0;
    EXPECT_EQ(r.exec("pop all"), 0);
    EXPECT_EQ(r.m.AX, 1);
    EXPECT_EQ(r.m.SI, 6);
    EXPECT_EQ(r.m.SP, 255);

    EXPECT_EQ(r.exec("push 1234h"), 0);
    EXPECT_EQ(r.exec("pop al"), 0);  // removed and dropped
    EXPECT_EQ(r.m.AX, 1);
    EXPECT_EQ(r.exec("pop ax"), 16);
    EXPECT_EQ(r.m.SP, 255);

    // POP AF: the popped word does not survive the flags refresh
    EXPECT_EQ(r.exec("push 0"), 0);
    EXPECT_EQ(r.exec("popf"), 0);
    EXPECT_EQ(r.m.AF, 64);
    EXPECT_TRUE(r.m.IF);

    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(r.exec("pushf"), 0) << i;
    EXPECT_EQ(r.m.SP, 0xFFFF);
    const auto stack = r.m.Stack;
    EXPECT_EQ(r.exec("push 1"), 15);
    EXPECT_EQ(r.m.Stack, stack);
    EXPECT_EQ(r.exec("call 5"), 15);  // a call on a full stack fails the same way
    EXPECT_EQ(r.exec("pop bx"), 0);   // and a full stack can be popped
    EXPECT_EQ(r.m.SP, 0);
}

TEST(Stack, PushAllStopsAtTheFirstError)
{
    Rig r;
    for (int i = 0; i < 253; ++i)
        ASSERT_EQ(r.exec("push 0"), 0);
    r.m.AX = 0xAAAA;
    EXPECT_EQ(r.exec("push all"), 15);
    EXPECT_EQ(r.m.Stack[2], 0xAAAA);  // the words already pushed stay
    EXPECT_EQ(r.m.SP, 0xFFFF);
    EXPECT_EQ(r.errors.size(), 1u);
}

TEST(Interrupt, IntcallAndIret)
{
    Rig r;
    r.m.IP = 0x0A;
    r.m.InterruptAddress = 0x64;
    r.m.ZF = true;
    r.m.RefreshFlags();
    EXPECT_EQ(r.exec("intcall"), 0);
    EXPECT_EQ(r.m.Stack[255], 9);
    EXPECT_EQ(r.m.Stack[254], 64 + 2);
    EXPECT_FALSE(r.m.IF);
    EXPECT_EQ(r.m.IP, 0x63);
    r.m.IP = 0x64;  // the driver's +1
    EXPECT_EQ(r.exec("iret"), 0);
    EXPECT_EQ(r.m.IP, 9);  // the interrupted row 00A runs next
    EXPECT_TRUE(r.m.IF);
    EXPECT_FALSE(r.m.ZF);
    EXPECT_EQ(r.m.AF, 64);
    EXPECT_EQ(r.exec("cli"), 0);
    EXPECT_EQ(r.m.AF, 0);
    EXPECT_EQ(r.exec("sti"), 0);
    EXPECT_EQ(r.m.AF, 64);
    EXPECT_EQ(r.exec("iret"), 16);
}

TEST(Interrupt, EntryReleasesKeysInRolloverWithSpecialErrorMode)
{
    Rig r;
    r.c.ModeLockout = false;
    r.c.ModeRollover = true;
    r.c.SpecialErrorMode = true;
    r.p.Matrix[3][4] = '0';
    r.p.CtrlChecked = r.p.ShiftChecked = true;
    EXPECT_EQ(r.exec("intcall"), 0);
    EXPECT_EQ(r.p.Matrix[3][4], '1');
    EXPECT_FALSE(r.p.CtrlChecked || r.p.ShiftChecked);

    r.p.Matrix[3][4] = '0';
    r.p.AutoRelease = false;
    EXPECT_EQ(r.exec("intcall"), 0);
    EXPECT_EQ(r.p.Matrix[3][4], '0');
}

TEST(InOut, PortsAndRegisters)
{
    Rig r;
    EXPECT_EQ(r.exec("in ax,2ah"), 7);
    EXPECT_EQ(r.exec("out 2ah,bl"), 7);
    EXPECT_EQ(r.exec("out xyz,al"), 2);  // the port is evaluated first
    r.m.AX = 0x1234;
    r.m.ZF = true;
    r.m.RefreshFlags();
    EXPECT_EQ(r.exec("in al,23h"), 0);  // not the controller: AL unchanged, flags cleared
    EXPECT_EQ(r.m.AX, 0x1234);
    EXPECT_EQ(r.m.AF, 64);
    r.m.DX = 0x2B;
    EXPECT_EQ(r.exec("in al,dx"), 0);  // status port
    EXPECT_EQ(r.m.AX, 0x1210);
    EXPECT_TRUE(r.c.CommandAccess);
    r.m.AX = 0x0090;  // CW4 with auto-increment, address 0
    EXPECT_EQ(r.exec("out 2bh,al"), 0);
    r.m.AX = 0x3F;
    EXPECT_EQ(r.exec("out 2ah,al"), 0);
    EXPECT_EQ(r.c.DisplayRam[0], 0x3F);
    EXPECT_EQ(r.c.RamAddress, 1);
    EXPECT_FALSE(r.c.PortWriteActive);
}

TEST(InOut, EmptyFifoReadReportsAndContinues)
{
    Rig r;
    r.m.AX = 0x1234;
    EXPECT_EQ(r.exec("in al,2ah"), 0);  // error 21 is shown, then the code is set back
    EXPECT_EQ(r.errors, std::vector<uint8_t>{21});
    EXPECT_EQ(r.m.ErrorCounter, 1);
    EXPECT_EQ(r.m.AX, 0x1234);
    EXPECT_EQ(r.p.PSWLab.view(), "00010000");
}

TEST(Builtins, MemoryProcedures)
{
    Rig r;
    for (int a = 0; a < 40; ++a)
        r.m.Ram[a] = static_cast<uint16_t>(a + 1);
    r.m.DI = 10, r.m.CX = 5;
    EXPECT_EQ(r.exec("call clearmem"), 0);
    for (int a = 10; a < 15; ++a)
        EXPECT_EQ(r.m.Ram[a], 0);
    EXPECT_EQ(r.m.Ram[15], 16);
    EXPECT_EQ(r.m.DI, 14);
    EXPECT_EQ(r.m.CX, 0);
    EXPECT_EQ(r.m.SP, 255);  // built-ins do not use the stack

    r.m.DI = 3065, r.m.CX = 5;
    EXPECT_EQ(r.exec("call clearmem"), 17);
    EXPECT_EQ(r.m.DI, 3065);
    r.m.DI = 65535, r.m.CX = 2;  // no wrap-around in the range check
    EXPECT_EQ(r.exec("call clearmem"), 17);

    r.m.DI = 30, r.m.SI = 0, r.m.CX = 3;
    EXPECT_EQ(r.exec("call copy_ozu"), 0);
    EXPECT_EQ(r.m.Ram[30], 1);
    EXPECT_EQ(r.m.Ram[32], 3);
    EXPECT_EQ(r.m.DI, 32);
    EXPECT_EQ(r.m.SI, 3);

    r.m.Ram[100] = 0x0F0F, r.m.Ram[200] = 0x00FF;
    r.m.DI = 100, r.m.SI = 200;
    EXPECT_EQ(r.exec("call comps"), 0);
    EXPECT_EQ(r.m.BX, 0x0FF0);
    EXPECT_EQ(r.m.DX, 4);  // bits 0..7 only

    r.m.Ram[101] = 1, r.m.Ram[201] = 1;
    r.m.DI = 100, r.m.SI = 200, r.m.CX = 2, r.m.BX = 0;
    EXPECT_EQ(r.exec("call compare"), 0);
    EXPECT_EQ(r.m.AX, 1);  // one differing pair
    r.m.DI = 100, r.m.SI = 200, r.m.CX = 2, r.m.BX = 1;
    EXPECT_EQ(r.exec("call compare"), 0);
    EXPECT_EQ(r.m.AX, 4);  // differing bits
    EXPECT_EQ(r.m.DI, 102);

    r.m.AX = 305, r.m.DI = 50;
    EXPECT_EQ(r.exec("call inttostr"), 0);
    EXPECT_EQ(r.m.Ram[50], 3);
    EXPECT_EQ(r.m.Ram[51], 0);
    EXPECT_EQ(r.m.Ram[52], 5);
    EXPECT_EQ(r.m.CX, 3);
    r.m.AX = 0;
    EXPECT_EQ(r.exec("call inttostr"), 0);
    EXPECT_EQ(r.m.CX, 1);
    EXPECT_EQ(r.m.Ram[50], 0);

    r.m.AX = 0x0107;
    EXPECT_EQ(r.exec("call get_kol_dat"), 0);
    EXPECT_EQ(r.m.AX, 3);
    EXPECT_EQ(r.exec("call beep"), 0);
    EXPECT_EQ(r.beeps, 1);
    EXPECT_EQ(r.exec("call nosuch"), 2);
}

TEST(Builtins, CopyMozuReadsTheFifoWithTheFullIn)
{
    Rig r;
    r.c.SensorRam = {0x11, 0x22, 0x33, 0, 0, 0, 0, 0};
    r.c.FifoCount = 3;
    r.m.DI = 2047, r.m.CX = 4;  // the read-only area is allowed
    EXPECT_EQ(r.exec("call copy_mozu"), 0);
    EXPECT_EQ(r.m.Ram[2047], 0x11);
    EXPECT_EQ(r.m.Ram[2049], 0x33);
    EXPECT_EQ(r.m.Ram[2050], 0x33);  // the fourth read found the FIFO empty: AL kept
    EXPECT_EQ(r.errors, std::vector<uint8_t>{21});
    EXPECT_EQ(r.m.CX, 4);
    EXPECT_EQ(r.m.DI, 2051);

    r.m.DI = 3063;
    EXPECT_EQ(r.exec("call copy_allmozu"), 17);
}

}  // namespace
}  // namespace ravx::test
