// The controller's cycle, driven step by step: debounce and FIFO in the two
// keyboard modes, the sensor matrix, strobed input, INT, and the display path.
#include <gtest/gtest.h>

#include "Rig.h"
#include "controller/Timer_chars.h"

namespace ravx::test {
namespace {

// A rig whose program is a long run of NOPs with interrupts off, so that
// steps only clock the controller. Step k (1-based) scans row (k-1) mod 8.
struct CycleRig : Rig {
    CycleRig()
    {
        for (int a = 0; a < kStatementRows - 1; ++a)
            sim.program.rows[a].statement = "nop";
        sim.program.rows[kStatementRows - 1].statement = "jmp 0";
        m.IF = false;
    }
    void command(uint8_t b) { c.WritePort(PortRegister::Command, b); }
    void data(uint8_t b) { c.WritePort(PortRegister::Data, b); }
    uint8_t status() { return c.ReadPort(PortRegister::Command, 0); }
    uint8_t read() { return c.ReadPort(PortRegister::Data, 0); }
    void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(sim.Step()) << "step " << i;
    }
    void press(int row, int column) { c.SetMatrixCell(row, column, true); }
};

TEST(Lockout, KeyIsEnteredOnTheThirdScanOfItsRow)
{
    CycleRig r;
    r.press(2, 5);
    r.p.ShiftChecked = true;
    r.steps(3);
    EXPECT_EQ(r.p.CyclC.view(), "1");
    r.steps(8);
    EXPECT_EQ(r.p.CyclC.view(), "2");
    EXPECT_EQ(r.c.FifoCount, 0);
    r.steps(8);
    EXPECT_EQ(r.p.CyclC.view(), "0");
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_EQ(r.c.SensorRam[0], 0x55);  // row 2, column 5, Shift
    EXPECT_EQ(r.p.Mozu[0].view(), "0 125:55");
    EXPECT_EQ(r.p.Stg.view(), "01");
    EXPECT_EQ(r.p.STk.view(), "01");
    EXPECT_EQ(r.p.Matrix[2][5], '1');  // auto-release
    EXPECT_FALSE(r.p.ShiftChecked);
    EXPECT_TRUE(r.c.IntLine);
    EXPECT_EQ(r.p.intC.view(), "1");
    EXPECT_EQ(r.read(), 0x55);
    EXPECT_EQ(r.c.FifoCount, 0);
    EXPECT_FALSE(r.c.IntLine);
}

TEST(Lockout, HeldKeyRepeatsEveryThirdVisitWithoutAutoRelease)
{
    CycleRig r;
    r.p.AutoRelease = false;
    r.press(0, 7);
    r.steps(17);
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_EQ(r.c.SensorRam[0], 0x07);
    r.steps(24);
    EXPECT_EQ(r.c.FifoCount, 2);
    EXPECT_EQ(r.p.Matrix[0][7], '0');
}

TEST(Lockout, TwoKeysEnterNothing)
{
    {
        CycleRig r;  // two keys in one row
        r.press(1, 1);
        r.press(1, 2);
        r.steps(40);
        EXPECT_EQ(r.c.FifoCount, 0);
        EXPECT_EQ(r.p.CyclC.view(), "0");
    }
    {
        CycleRig r;  // keys in two rows, both held
        r.press(1, 1);
        r.press(4, 2);
        r.steps(40);
        EXPECT_EQ(r.c.FifoCount, 0);
    }
}

TEST(Lockout, FullFifoDropsKeysSilently)
{
    CycleRig r;
    r.p.AutoRelease = false;
    r.press(3, 3);
    r.steps(20 + 8 * 24);  // the ninth entry would come at step 212
    EXPECT_EQ(r.c.FifoCount, 8);
    EXPECT_EQ(r.c.FifoWritePtr, 0);
    EXPECT_FALSE(r.c.FifoWriteEnable);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(r.p.PSWLab.view().substr(4), "1000");
    EXPECT_EQ(r.status(), 0x28);
}

TEST(Rollover, KeysOfSeveralRowsInOnePass)
{
    CycleRig r;
    r.command(0x0A);  // N-key rollover, 16 characters
    r.press(1, 0);
    r.press(4, 3);
    r.steps(18);  // the third scan of row 1
    EXPECT_EQ(r.p.CyclC.view(), "3*");
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_EQ(r.p.Matrix[1][0], '1');
    r.steps(3);  // row 4
    EXPECT_EQ(r.c.FifoCount, 2);
    EXPECT_EQ(r.c.SensorRam[1], 0x23);
    EXPECT_EQ(r.p.Matrix[4][3], '1');
    r.steps(3);  // rows 5..7: still holding
    EXPECT_EQ(r.p.CyclC.view(), "3*");
    r.steps(1);  // row 0, the row before row 1
    EXPECT_EQ(r.p.CyclC.view(), "0");
    EXPECT_FALSE(r.c.RolloverHold);
    EXPECT_EQ(r.c.SensorRam[0], 0x08);
}

TEST(Rollover, SpecialErrorModeFlagsMultipleKeys)
{
    CycleRig r;
    r.command(0x0A);
    r.command(0xF0);  // CW7: special error mode
    r.press(3, 1);
    r.press(3, 2);
    r.steps(4);
    EXPECT_TRUE(r.c.ErrorFlag);
    EXPECT_TRUE(r.c.IntLine);
    EXPECT_EQ(r.p.PSWLab.view(), "01000000");
    r.steps(30);
    EXPECT_EQ(r.c.FifoCount, 0);  // writing is disabled while the error stands
    EXPECT_TRUE(r.c.IntLine);     // held high until CW6 clears the FIFO
    EXPECT_EQ(r.status(), 0x50);
    r.command(0xC2);
    EXPECT_FALSE(r.c.ErrorFlag || r.c.IntLine);
}

TEST(Sensor, ChangeRaisesIntAtTheEndOfThePass)
{
    CycleRig r;
    r.command(0x04);  // sensor matrix, encoded scan
    r.press(3, 0);
    r.steps(4);  // row 3 seen
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_FALSE(r.c.IntLine);
    r.steps(6);  // rows 4..7, 0, 1
    EXPECT_FALSE(r.c.IntLine);
    r.steps(1);  // row 2 ends the pass
    EXPECT_TRUE(r.c.IntLine);
    EXPECT_EQ(r.p.PSWLab.view(), "01000000");
    EXPECT_EQ(r.c.SensorRam[3], 0x01);
    r.command(0x43);  // CW2, address 3, no auto-increment
    EXPECT_EQ(r.read(), 0x01);
    EXPECT_FALSE(r.c.IntLine);
    EXPECT_EQ(r.c.FifoCount, 0);
}

TEST(Sensor, RowZeroCountsBitsOtherRowsCountRows)
{
    CycleRig r;
    r.command(0x04);
    r.press(0, 0);
    r.press(0, 1);
    r.press(0, 2);
    r.press(5, 4);
    r.press(5, 6);
    r.steps(8);  // the pass from row 0 ends at row 7
    EXPECT_EQ(r.c.FifoCount, 4);
    EXPECT_TRUE(r.c.IntLine);
}

TEST(Sensor, CountNeverPassesEight)
{
    CycleRig r;
    r.command(0x04);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            r.press(row, col);
    r.steps(8);
    EXPECT_EQ(r.c.FifoCount, 8);
    EXPECT_EQ(r.status(), 0x68);
}

TEST(Sensor, InterruptIsNotTakenTwice)
{
    CycleRig r;
    r.m.IF = true;
    r.m.InterruptAddress = 200;
    r.command(0x04);
    r.press(3, 0);
    r.steps(11);  // INT rises at the end of the pass
    ASSERT_TRUE(r.c.IntLine);
    r.steps(1);  // INTCALL
    EXPECT_EQ(r.m.IP, 200);
    EXPECT_TRUE(r.c.SensorIntInService);
    r.m.IF = true;  // even with interrupts enabled again
    r.steps(1);
    EXPECT_EQ(r.m.IP, 201);
}

TEST(Strobed, OctalEntryBox)
{
    CycleRig r;
    r.command(0x0E);
    ASSERT_TRUE(r.p.STRInpVisible);
    r.c.SetOctalEntry("123");
    r.c.ClickCtrl();  // checking does nothing
    EXPECT_FALSE(r.c.StrobePending);
    r.c.ClickCtrl();  // releasing strobes
    EXPECT_TRUE(r.c.StrobePending);
    r.steps(1);
    EXPECT_EQ(r.c.SensorRam[0], 0x53);
    EXPECT_EQ(r.p.RetC.view(), "01010011");
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_TRUE(r.c.IntLine);

    r.c.SetOctalEntry("777");
    r.c.ClickCtrl();
    r.c.ClickCtrl();
    EXPECT_FALSE(r.sim.Step());  // the cycle reports error 14
    EXPECT_EQ(r.errors, std::vector<uint8_t>{14});
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_FALSE(r.c.StrobePending);
    r.c.SetOctalEntry("8a9");  // only octal digits are typed in
    EXPECT_EQ(r.p.STRInp.view(), "");
}

TEST(Strobed, MatrixRowWithoutTheBox)
{
    for (auto [pressed, expected] : std::vector<std::pair<bool, uint8_t>>{{true, 0x80}, {false, 0x00}}) {
        CycleRig r;
        r.p.OctalStrobe = false;
        r.command(0x0E);
        EXPECT_EQ(r.p.MatrixRows, 1);
        if (pressed)
            r.press(0, 0);
        r.c.ClickCtrl();
        r.c.ClickCtrl();
        r.steps(1);
        EXPECT_EQ(r.c.FifoCount, 1);
        EXPECT_EQ(r.c.SensorRam[0], expected);
    }
}

TEST(Strobed, StrobeWaitsForRoomInTheFifo)
{
    CycleRig r;
    r.command(0x0E);
    r.c.FifoCount = 8;
    r.c.SetOctalEntry("7");
    r.c.ClickCtrl();
    r.c.ClickCtrl();
    r.steps(3);
    EXPECT_TRUE(r.c.StrobePending);
    r.read();
    r.steps(1);
    EXPECT_FALSE(r.c.StrobePending);
    EXPECT_EQ(r.c.FifoCount, 8);
    EXPECT_EQ(r.c.SensorRam[0], 7);
}

struct GeneratorCase {
    const char* name;
    int generator;
    uint8_t display;
    const char* row0;
    const char* row1;
    const char* zgOut;
    const char* zgOut1;
};

TEST(Display, DrawingThroughEachGenerator)
{
    const GeneratorCase cases[] = {
        {"no generator, 1", 0, 0x06, "1", nullptr, "00000000", ""},
        {"no generator, 0", 0, 0x3F, "0", nullptr, "00000000", ""},
        {"no generator, unknown code", 0, 0x01, "#", nullptr, "00000000", ""},
        {"ZG1", 1, 0x41, "A", nullptr, "01110111", ""},
        {"ZG2", 2, 0x41, "П", nullptr, "00110111", ""},
        {"ZG3/ZG4 pair", 3, 0x5A, "1", "0", "00000110-3", "00111111-4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CycleRig r;
        r.c.ApplyGeneratorSettings(c.generator, false);
        r.c.Zg1[0x41] = 0x77;
        r.c.Zg2[0x41] = 0x37;
        r.c.Zg3[5] = 0x06;
        r.c.Zg4[10] = 0x3F;
        r.c.DisplayRam[0] = c.display;
        r.steps(1);  // position 0
        EXPECT_EQ(r.p.Indicator[0][0].view(), c.row0);
        if (c.row1) {
            EXPECT_EQ(r.p.Indicator[1][0].view(), c.row1);
        }
        EXPECT_EQ(r.p.ZGOutL.view(), c.zgOut);
        EXPECT_EQ(r.p.ZGOutL1.view(), c.zgOut1);
        EXPECT_EQ(r.p.DGridRows, c.generator == 3 ? 2 : 1);
    }
}

TEST(Display, BlankingShowsTheClearCode)
{
    CycleRig r;
    r.command(0xCA);  // clear code 20 (and an empty FIFO)
    r.command(0xA2);  // blank OUTA
    r.c.DisplayRam[0] = 0xF5;
    r.steps(1);
    EXPECT_EQ(r.p.OUTAC.view(), "0010");
    EXPECT_EQ(r.p.OutBC.view(), "0101");
    EXPECT_EQ(r.p.Indicator[0][0].view(), "#");  // 25 has no pattern
}

TEST(Display, ClearTakesOneStepPerPosition)
{
    for (auto [mode, width] : std::vector<std::pair<uint8_t, int>>{{0x08, 16}, {0x00, 8}, {0x01, 4}}) {
        SCOPED_TRACE(width);
        CycleRig r;
        r.command(mode);
        r.steps(5);       // the clear starts wherever the scan stands
        r.command(0xDC);  // clear with FF
        r.steps(width - 1);
        EXPECT_TRUE(r.c.Clearing);
        EXPECT_EQ(r.status() & 0x90, 0x80);
        r.steps(1);
        EXPECT_FALSE(r.c.Clearing);
        for (int i = 0; i < width; ++i)
            EXPECT_EQ(r.c.DisplayRam[i], 0xFF) << i;
        EXPECT_EQ(r.status(), 0x10);
        EXPECT_EQ(r.p.C[6].at(0), '0');
        EXPECT_EQ(r.p.Ozu[width - 1].view().substr(4), "377");
    }
}

TEST(Display, RightEntryShowsTheLastCharacterRightmost)
{
    CycleRig r;
    r.command(0x10);  // 8 characters, right entry
    r.command(0x90);
    r.data(0x06);
    r.data(0x5B);
    r.steps(8);
    EXPECT_EQ(r.p.Indicator[0][7].view(), "2");
    EXPECT_EQ(r.p.Indicator[0][6].view(), "1");
}

TEST(Display, RightEntryWithAnOffsetBeyondTheLastColumnStaysInTheRow)
{
    CycleRig r;
    r.command(0x10);
    r.command(0x9B);  // CW4 address 11 on an 8-character display
    r.data(0x06);
    r.steps(16);
    EXPECT_EQ(r.p.DGridCols, 8);
    int shown = 0;
    for (int col = 0; col < 16; ++col)
        shown += r.p.Indicator[0][col].view() == "1";
    EXPECT_GE(shown, 1);
}

TEST(Display, FrozenByCw6WithoutClearUntilTheNextStep)
{
    CycleRig r;
    r.command(0xC8);  // clear code 20, no clear
    EXPECT_TRUE(r.c.DisplayFrozen);
    for (int col = 0; col < 16; ++col)
        EXPECT_EQ(r.p.Indicator[0][col].view(), "'") << col;
    EXPECT_EQ(r.p.BDC.view(), "0");
    r.c.DisplayRam[0] = 0x06;
    r.steps(1);
    EXPECT_FALSE(r.c.DisplayFrozen);
    EXPECT_EQ(r.p.BDC.view(), "1");
    EXPECT_EQ(r.p.Indicator[0][0].view(), "1");
}

TEST(Display, CodeGeneratorOutputFloatsAtEachStep)
{
    CycleRig r;
    r.c.ApplyGeneratorSettings(0, true);
    r.c.Kg[0x55] = 0x3F;
    r.c.SensorRam[0] = 0x55;
    r.c.FifoCount = 1;
    EXPECT_EQ(r.read(), 0x3F);
    EXPECT_EQ(r.p.KodL.view(), "00111111");
    r.steps(1);
    EXPECT_EQ(r.p.KodL.view(), "ZZZZZZZZ");
}

TEST(CharacterTable, CodesAndCharactersBothWays)
{
    for (int i = 0; i < 37; ++i) {
        const CharRow& row = kCharTable[i];
        EXPECT_EQ(SegmentChar(row.code), row.character) << i;
        EXPECT_EQ(SegmentCode(row.character), row.code) << i;
    }
    EXPECT_EQ(SegmentChar(0xFF), "@");
    EXPECT_EQ(SegmentChar(0x01), "#");
    EXPECT_EQ(SegmentChar(0x8D), "#");
    EXPECT_EQ(SegmentChar(0x31), "Г");
    EXPECT_FALSE(SegmentCode("#").has_value());  // the viewer refuses it as 8D
    EXPECT_FALSE(SegmentCode("Z").has_value());
}

TEST(Matrix, PreviewCode)
{
    CycleRig r;
    r.p.ShiftChecked = true;
    r.c.PreviewCell(2, 5);
    EXPECT_EQ(r.p.MGridNum.view(), "125");
    r.p.CtrlChecked = true;
    r.c.PreviewCell(7, 7);
    EXPECT_EQ(r.p.MGridNum.view(), "377");
    r.command(0x0E);
    r.c.PreviewCell(0, 0);
    EXPECT_EQ(r.p.MGridNum.view(), "");
}

}  // namespace
}  // namespace ravx::test
