// The step driver: one step, interrupts, the automatic run and reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

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
            if (where != EditingHost::Where::AfterStep || ++steps != 3)
                return false;
            r.edit();
            return true;
        });
        EXPECT_EQ(r.m.BX, 11) << static_cast<int>(where);  // once the old text, once the new
    }
}

// The hands of a student working the matrix and the boxes at given steps,
// applied where the application applies them: as a step begins.
class HandsHost : public Rig {
public:
    struct Action {
        uint64_t step;
        int kind;  // 0 a cell, 1 Ctrl, 2 Shift, 3 the octal box
        int row, column;
        bool on;
    };
    bool processEvents() override
    {
        ++step;
        for (; next < script.size() && script[next].step == step; ++next) {
            const Action& a = script[next];
            switch (a.kind) {
            case 0: c.SetMatrixCell(a.row, a.column, a.on); break;
            case 1: c.ClickCtrl(); break;
            case 2: c.SetShift(a.on); break;
            default: c.SetOctalEntry(std::to_string(a.row * 8 + a.column)); break;
            }
        }
        return false;
    }
    // the panel as each error window shows it, in the middle of a step
    void reportError(uint8_t code) override
    {
        Rig::reportError(code);
        seen.push_back(p);
    }
    std::vector<FrontPanel> seen;
    std::vector<Action> script;
    std::size_t next = 0;
    uint64_t step = 0;
};

// Runs the same program with the same hands twice, in runs of `chunk()`
// steps and step by step, and compares machine, controller and panel after
// every run and at every error window. A row that fails is skipped, as a
// student would after the window.
template <class Prepare, class Chunk>
void ExpectRunEqualsSteps(const Prepare& prepare, const Chunk& chunk, uint64_t total, const std::string& what)
{
    HandsHost run, steps;
    prepare(run);
    prepare(steps);
    for (uint64_t done = 0; done < total;) {
        uint64_t n = 0;
        const bool failed = run.sim.Run(chunk(), &n) == RunStop::Error;
        for (uint64_t i = 0; i < n; ++i)
            steps.sim.Step();
        done += n;
        if (failed && run.m.ErrorCode != 0) {
            ++run.m.IP;
            ++steps.m.IP;
        }
        ASSERT_TRUE(run.m == steps.m) << what << " step " << done;
        ASSERT_TRUE(run.c.State() == steps.c.State()) << what << " step " << done;
        ASSERT_TRUE(run.p == steps.p) << what << " step " << done;
        ASSERT_EQ(run.errors, steps.errors) << what << " step " << done;
        ASSERT_TRUE(run.seen == steps.seen) << what << " step " << done;
    }
}

// A run moves an idle controller on by its scan and display refresh alone
// and leaves the pins and marks that nothing moved; step by step, every cycle
// and every pin is worked whole. Both must come out the same, whatever the
// program does to the controller and whatever the hands do meanwhile.
TEST(Run, AnIdleControllerEndsWhereEveryWholeCycleWouldLeaveIt)
{
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](uint32_t n) { return static_cast<int>(rng() % n); };
        // command words that keep a run going: modes, clears, blanking,
        // display writes and reads, with CW4 + auto-increment often
        const uint8_t commandKinds[] = {0x00, 0x20, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0, 0x90, 0x90};
        // a third of the programs neither read nor clear, so that keys fill
        // the FIFO: no CW0 or CW6 for them
        const bool reads = seed % 3 != 0;
        std::vector<std::string> rows;
        for (int a = 0; a < 40; ++a) {
            switch (pick(reads ? 9 : 5)) {
            case 0:
            case 1: {
                const int kind = reads ? pick(10) : 1 + pick(5) * 2 % 5;  // 1, 3, 5, 2, 4
                const int cw = commandKinds[kind] | pick(32);
                rows.push_back("mov al," + std::to_string(cw));
                rows.push_back("out 2bh,al");
                ++a;
                break;
            }
            case 2: rows.push_back("mov al," + std::to_string(pick(256))); break;
            case 3: rows.push_back("out 2ah,al"); break;
            case 4: rows.push_back(pick(8) ? (pick(2) ? "nop" : "add bx,1") : "mvo ax,1"); break;
            case 5: rows.push_back(pick(4) ? "cli" : "sti"); break;
            default: rows.push_back(pick(2) ? "in al,2ah" : "in al,2bh"); break;
            }
        }
        rows.resize(40);
        rows.push_back("jmp 0");
        const uint8_t zg = static_cast<uint8_t>(rng());
        const int generator = pick(4);
        const bool codeGenerator = pick(2);
        const bool autoRelease = pick(2);
        const bool octal = pick(2);
        std::vector<HandsHost::Action> script;
        for (uint64_t s = 1; s < 3000; s += 1 + pick(80)) {
            const int kind = pick(6) < 4 ? 0 : pick(3) + 1;
            const int row = pick(8), column = pick(8);
            script.push_back({s, kind, row, column, pick(2) == 0});
            if (kind == 0)  // mostly a click: the cell is let go again soon
                script.push_back({s + 1 + pick(40), 0, row, column, pick(8) == 0});
        }
        std::stable_sort(script.begin(), script.end(), [](auto& a, auto& b) { return a.step < b.step; });

        auto prepare = [&](HandsHost& h) {
            for (std::size_t a = 0; a < rows.size(); ++a)
                h.sim.program.rows[a].statement = rows[a];
            h.sim.program.rows[100].statement = "in al,2ah";  // the interrupt routine
            h.sim.program.rows[101].statement = "iret";
            h.c.ApplyGeneratorSettings(generator, codeGenerator);
            for (int i = 0; i < 256; ++i)
                h.c.Zg1[i] = h.c.Zg2[i] = h.c.Kg[i] = static_cast<uint8_t>(i * zg);
            for (int i = 0; i < 16; ++i)
                h.c.Zg3[i] = h.c.Zg4[i] = static_cast<uint8_t>(i ^ zg);
            h.p.AutoRelease = autoRelease;
            h.p.OctalStrobe = octal;
            h.script = script;
        };
        ExpectRunEqualsSteps(
            prepare, [&] { return 1 + static_cast<uint64_t>(pick(700)); }, 3000, "seed " + std::to_string(seed));
    }
}

// The FIFO full while the keys are all let go: the status shows it at the
// end of every step, but an error window within a step sees the mark down.
TEST(Run, AnErrorWindowOfAnIdleRunSeesTheFullMarkDown)
{
    auto prepare = [](HandsHost& h) {
        h.load({"cli", "nop", "nop", "mvo ax,1", "jmp 1"});  // no interrupt takes the keys
        h.p.AutoRelease = true;
        for (int k = 0; k < 9; ++k)  // nine keys, held long enough to be taken
            h.script.push_back({static_cast<uint64_t>(1 + 40 * k), 0, k % 8, k / 2 % 8, true});
    };
    ExpectRunEqualsSteps(
        prepare, [] { return uint64_t{1000}; }, 600, "full FIFO");
    HandsHost h;
    prepare(h);
    for (int i = 0; i < 600; ++i)
        if (!h.sim.Step())
            ++h.m.IP;
    ASSERT_EQ(h.c.FifoCount, 8);
    EXPECT_EQ(h.seen.back().PSWLab.view(), "00001000");
    h.m.IP = 1;
    ASSERT_TRUE(h.sim.Step());
    EXPECT_EQ(h.p.PSWLab.view(), "00101000");
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
