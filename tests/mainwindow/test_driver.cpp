// The step driver: one step, interrupts, the automatic run and reset.
#include <gtest/gtest.h>

#include "Rig.h"
#include "controller/Timer_chars.h"

namespace ravx::test {
namespace {

TEST(Step, EmptyRowFailsWithoutClockingTheController)
{
    Rig r;
    r.p.Matrix[0][3] = '0';  // a pressed key the cycle would otherwise start to debounce
    const RavxState before = r.c.State();
    EXPECT_FALSE(r.sim.Step());
    EXPECT_EQ(r.errors, std::vector<uint8_t>{9});
    EXPECT_EQ(r.m.IP, 0);
    EXPECT_TRUE(r.c.State() == before);
}

TEST(Step, AdvancesIpAndScanAndSamplesTheMatrix)
{
    Rig r;
    for (int a = 0; a < 20; ++a)
        r.sim.program.rows[a].statement = "nop";
    r.p.Matrix[2][5] = '0';
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.m.IP, 3);
    EXPECT_EQ(r.c.ScanCounter, 3 * 64);
    EXPECT_EQ(r.p.MatrixSelectedRow, 2);
    EXPECT_EQ(r.p.RetC.view(), "11011111");  // row 2 was sampled at the third step
    EXPECT_EQ(r.c.ReturnLines, 0xDF);
    EXPECT_EQ(r.p.S30C.view(), "0010");
    EXPECT_EQ(r.c.ScanRow, 2);
    for (int i = 0; i < 13; ++i)
        ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.c.ScanCounter, 0);  // sixteen steps bring it back
}

TEST(Step, ReturnLinesInEachMode)
{
    struct ModeCase {
        uint8_t cw0;
        const char* retc;
        uint8_t lines;
    };
    // all keys released
    const ModeCase cases[] = {{0x08, "11111111", 0xFF}, {0x0C, "11111111", 0x00}, {0x0E, "00000000", 0x00}};
    for (const auto& c : cases) {
        Rig r;
        r.p.OctalStrobe = false;
        r.load({"mov al,0", "out 2bh,al", "nop"});
        r.sim.program.rows[0].statement = "mov al," + std::to_string(c.cw0);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(r.sim.Step());
        EXPECT_EQ(r.p.RetC.view(), c.retc) << int{c.cw0};
        EXPECT_EQ(r.c.ReturnLines, c.lines) << int{c.cw0};
    }
    // strobed mode: column 0 pressed becomes bit 7
    Rig r;
    r.p.OctalStrobe = false;
    r.load({"mov al,0eh", "out 2bh,al", "nop"});
    r.p.Matrix[0][0] = '0';
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.c.ReturnLines, 0x80);
}

TEST(Step, InterruptIsTakenOnlyWithIfAndNotWhileSensorServiceRuns)
{
    Rig r;
    r.load({"nop", "nop", "nop"});
    r.sim.program.rows[100].statement = "nop";
    r.c.IntLine = true;
    r.c.FifoCount = 1;  // a key waits, so INT stays up
    r.m.IF = false;
    ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.m.IP, 1);
    r.m.IF = true;
    ASSERT_TRUE(r.sim.Step());  // INTCALL instead of row 1
    EXPECT_EQ(r.m.IP, 100);
    EXPECT_EQ(r.m.Stack[255], 0);  // IP - 1 of the interrupted row 1
    EXPECT_FALSE(r.m.IF);

    Rig s;
    s.load({"nop", "nop"});
    s.c.ModeLockout = false;
    s.c.ModeSensor = true;
    s.c.SensorIntInService = true;
    s.c.IntLine = true;
    ASSERT_TRUE(s.sim.Step());
    EXPECT_EQ(s.m.IP, 1);
}

TEST(Step, LabelTouchUps)
{
    Rig r;
    r.load({"mov al,0c2h", "out 2bh,al", "nop"});
    r.p.PSWLab = "00100000";
    ASSERT_TRUE(r.sim.Step());
    EXPECT_EQ(r.p.PSWLab.at(2), '0');
    ASSERT_TRUE(r.sim.Step());
    EXPECT_TRUE(r.p.CWLabVisible);
    EXPECT_EQ(r.p.CS.view(), "0");
    EXPECT_EQ(r.p.D.view(), "11000010");
    ASSERT_TRUE(r.sim.Step());
    EXPECT_FALSE(r.p.CWLabVisible);
    EXPECT_EQ(r.p.CS.view(), "1");
    EXPECT_EQ(r.p.D.view(), "ZZZZZZZZ");
    EXPECT_EQ(r.p.C[6].at(5), '.');
}

TEST(Run, StopsAtBreakpointErrorOrLimit)
{
    Rig r;
    for (int a = 0; a < 10; ++a)
        r.sim.program.rows[a].statement = "nop";
    r.sim.program.rows[0].breakpoint = true;
    r.sim.program.rows[4].breakpoint = true;
    uint64_t n = 0;
    EXPECT_EQ(r.sim.Run(1000, &n), RunStop::Breakpoint);  // leaves the breakpoint it starts on
    EXPECT_EQ(r.m.IP, 4);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(r.sim.Run(1000, &n), RunStop::Error);  // row 00A is empty
    EXPECT_EQ(r.m.IP, 10);
    EXPECT_EQ(n, 7u);  // six rows, then the failing one
    EXPECT_FALSE(r.sim.Running());

    r.sim.program.rows[10].statement = "jmp 5";
    r.sim.program.ClearBreakpoints();
    EXPECT_EQ(r.sim.Run(7, &n), RunStop::Steps);
    EXPECT_EQ(n, 7u);
}

TEST(Run, RowsBeyondTheProgramAreEmpty)
{
    Rig r;
    r.sim.program.rows[498].statement = "nop";
    r.sim.program.rows[499].statement = "nop";  // the spare row is never executed
    r.m.IP = 498;
    ASSERT_TRUE(r.sim.Step());
    EXPECT_FALSE(r.sim.Step());
    EXPECT_EQ(r.errors, std::vector<uint8_t>{9});
    r.m.IP = 0xFFFF;
    EXPECT_FALSE(r.sim.Step());
}

class StopHost : public Rig {
public:
    bool processEvents() override
    {
        if (++calls == 3)
            sim.StopRun();
        return false;
    }
    int calls = 0;
};

TEST(Run, StopRequestEndsTheRunAfterTheCurrentStep)
{
    StopHost r;
    r.load({"nop", "nop", "nop", "nop", "nop", "nop"});
    uint64_t n = 0;
    EXPECT_EQ(r.sim.Run(100, &n), RunStop::Stopped);
    EXPECT_EQ(n, 3u);  // the step that saw the request still ran
    EXPECT_EQ(r.m.IP, 3);
}

// A row edited while a run is under way: the windows get to run in three
// places, and the next time the row runs it runs its new text.
class EditingHost : public Rig {
public:
    enum class Where { Events, AfterStep, ErrorWindow };
    explicit EditingHost(Where w) : where(w) {}
    bool processEvents() override
    {
        if (where != Where::Events || ++calls != 3)
            return false;
        edit();
        return true;
    }
    void reportError(uint8_t code) override
    {
        Rig::reportError(code);
        if (where == Where::ErrorWindow && errors.size() == 2)
            edit();
    }
    void edit() { sim.program.rows[1].statement = "add bx,10"; }
    Where where;
    int calls = 0;
};

TEST(Run, ARowEditedDuringTheRunRunsItsNewTextNextTime)
{
    for (auto where : {EditingHost::Where::Events, EditingHost::Where::AfterStep, EditingHost::Where::ErrorWindow}) {
        EditingHost r(where);
        // row 0 reads the empty FIFO: the error window, after which the IN goes on
        r.load({"in al,2ah", "add bx,1", "jmp 0"});
        int steps = 0;
        r.sim.Run(6, nullptr, [&] {
            if (where == EditingHost::Where::AfterStep && ++steps == 3)
                r.edit();
        });
        EXPECT_EQ(r.m.BX, 11) << static_cast<int>(where);  // once the old text, once the new
    }
}

TEST(Reset, RestoresMachineAndControllerButNotProgramOrMemory)
{
    Rig r;
    r.load({"mov ax,5", "push ax", "mov al,12h", "out 2bh,al"});
    r.sim.program.rows[1].breakpoint = true;
    r.m.Ram[7] = 99;
    r.m.InterruptAddress = 0x30;
    r.c.Zg1[3] = 4;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(r.sim.Step());
    r.p.Matrix[1][1] = '0';
    r.exec("pop bx");
    r.exec("pop bx");  // one error, counted
    ASSERT_EQ(r.m.ErrorCounter, 1);

    r.sim.ResetKey();
    EXPECT_EQ(r.m.AX, 0);
    EXPECT_EQ(r.m.IP, 0);
    EXPECT_EQ(r.m.SP, 255);
    EXPECT_EQ(r.m.AF, 64);
    EXPECT_EQ(r.m.ErrorCounter, 0);
    EXPECT_EQ(r.m.Ram[7], 99);
    EXPECT_EQ(r.m.Stack[255], 5);  // stack contents stay
    EXPECT_EQ(r.m.InterruptAddress, 0x30);
    EXPECT_EQ(r.c.Zg1[3], 4);
    EXPECT_TRUE(r.c.ModeLockout && r.c.Display16 && !r.c.RightEntry);
    EXPECT_EQ(r.c.ScanCounter, 0);
    EXPECT_EQ(r.c.PortBase, 0x2A);
    EXPECT_EQ(r.p.Matrix[1][1], '1');
    EXPECT_EQ(r.p.C[0].view(), " 01 00 0");
    EXPECT_EQ(r.p.S30C.view(), "0000");
    EXPECT_TRUE(r.sim.program.rows[1].breakpoint);
    EXPECT_EQ(r.sim.program.rows[0].statement, "mov ax,5");
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(r.p.Indicator[0][c].view(), SegmentChar(r.c.DisplayRam[c])) << c;
}

TEST(Reset, ModifierBoxesAndMatrixFollowTheResetMode)
{
    // strobed input (octal entry box and matrix row), sensor matrix
    struct ModeCase {
        const char* cw0;
        bool octal;
    };
    for (const ModeCase c : {ModeCase{"0eh", true}, ModeCase{"0eh", false}, ModeCase{"0ch", true}}) {
        Rig r;
        r.p.OctalStrobe = c.octal;
        r.load({std::string("mov al,") + c.cw0, "out 2bh,al"});
        ASSERT_TRUE(r.sim.Step());
        ASSERT_TRUE(r.sim.Step());
        ASSERT_FALSE(r.p.ShiftEnabled) << c.cw0;
        r.sim.ResetKey();
        EXPECT_EQ(r.p.C[0].view(), " 01 00 0");
        EXPECT_EQ(r.p.CtrlCaption.view(), "Ctrl") << c.cw0;
        EXPECT_TRUE(r.p.CtrlEnabled) << c.cw0;
        EXPECT_TRUE(r.p.ShiftEnabled) << c.cw0;
        EXPECT_TRUE(r.p.MatrixVisible) << c.cw0;
        EXPECT_FALSE(r.p.STRInpVisible) << c.cw0;
        EXPECT_EQ(r.p.MatrixRows, 8) << c.cw0;
    }
}

TEST(Registers, PanelTexts)
{
    Rig r;
    r.m.AX = 0x1234;
    EXPECT_EQ(RegisterText(r.m, PanelRegister::AX, RegisterMode::Octal), "1234 064 AL");
    EXPECT_EQ(RegisterText(r.m, PanelRegister::AX, RegisterMode::Binary), "1234 00110100 AL");
    EXPECT_EQ(RegisterText(r.m, PanelRegister::AX, RegisterMode::None), "1234");
    r.m.DX = 0x00FF;
    EXPECT_EQ(RegisterText(r.m, PanelRegister::DX, RegisterMode::Octal), "00FF 377 DL");
    EXPECT_EQ(RegisterText(r.m, PanelRegister::DX, RegisterMode::Binary), "00FF 11111111 DL");
    EXPECT_EQ(RegisterText(r.m, PanelRegister::SP, RegisterMode::Octal), "01FE");  // twice the index
    EXPECT_EQ(RegisterText(r.m, PanelRegister::DI, RegisterMode::Octal), "0000");
    r.m.IP = 0x1F2;
    EXPECT_EQ(RegisterText(r.m, PanelRegister::IP, RegisterMode::Binary), "01F2");
}

TEST(Rows, AddressTextAndCentring)
{
    EXPECT_EQ(RowAddressText(0), "000");
    EXPECT_EQ(RowAddressText(0x1F2), "1F2");
    EXPECT_EQ(CentredStatement("nop 5"), std::string(8, ' ') + "nop 5");
    const std::string s25(25, 'x');
    EXPECT_EQ(CentredStatement(s25), s25);
    EXPECT_EQ(CentredStatement("ввод"), std::string(8, ' ') + "ввод");  // characters, not bytes
}

}  // namespace
}  // namespace ravx::test
