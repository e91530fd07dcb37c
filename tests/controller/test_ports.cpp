// The controller's port side: command words, data writes, status and data
// reads, and reset.
#include <gtest/gtest.h>

#include <functional>

#include "Rig.h"

namespace ravx::test {
namespace {

// Writes command bytes through the command port.
void command(Rig& r, uint8_t b) { r.c.WritePort(PortRegister::Command, b); }
void data(Rig& r, uint8_t b) { r.c.WritePort(PortRegister::Data, b); }
uint8_t status(Rig& r) { return r.c.ReadPort(PortRegister::Command, 0); }
uint8_t read(Rig& r, uint8_t al = 0xEE) { return r.c.ReadPort(PortRegister::Data, al); }

TEST(Reset, StateAndLabels)
{
    Rig r;
    EXPECT_EQ(r.p.C[0].view(), " 01 00 0");
    EXPECT_EQ(r.p.C[1].view(), "   11111");
    EXPECT_EQ(r.p.C[2].view(), "  .  ...");
    EXPECT_EQ(r.p.C[3].view(), "  0 0000");
    EXPECT_EQ(r.p.C[5].view(), "   00 00");
    EXPECT_EQ(r.p.C[6].view(), "0 00 . .");
    EXPECT_EQ(r.p.C[7].view(), "  0");
    EXPECT_EQ(status(r), 0x10);
    EXPECT_TRUE(r.c.ModeLockout && r.c.Display16 && r.c.ReadFifo && r.c.WriteEnableA && r.c.FifoWriteEnable);
    for (uint8_t v : r.c.DisplayRam)
        EXPECT_LT(v, 255);
    EXPECT_EQ(r.p.Ozu[0].view().substr(0, 4), "00: ");
    EXPECT_EQ(r.p.Mozu[7].view(), "7 000:00");
    EXPECT_EQ(r.p.intC.view(), "0");
    EXPECT_EQ(r.p.PSWLab.view(), "00000000");
}

TEST(Reset, SeedMakesTheDisplayRamRepeat)
{
    Rig a, b;
    a.c.Seed(42);
    b.c.Seed(42);
    a.c.Reset();
    b.c.Reset();
    EXPECT_EQ(a.c.DisplayRam, b.c.DisplayRam);
}

struct CwCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::function<void(Rig&)> check;
};

TEST(CommandWords, DecodeAndLabels)
{
    const CwCase cases[] = {
        {"CW0 rollover, 8 chars, right entry",
         {0x12},
         [](Rig& r) {
             EXPECT_TRUE(r.c.ModeRollover && !r.c.ModeLockout && r.c.RightEntry && !r.c.Display16);
             EXPECT_EQ(r.p.C[0].view(), " 10 01 0");
             EXPECT_EQ(r.p.CWLab.view(), "Загрузка CW0");
             EXPECT_TRUE(r.p.CWLabVisible);
             EXPECT_EQ(r.p.DGridCols, 8);
         }},
        {"CW0 decoded scan reshapes matrix and indicators",
         {0x01},
         [](Rig& r) {
             EXPECT_EQ(r.p.MatrixRows, 4);
             EXPECT_EQ(r.p.DGridCols, 4);
             EXPECT_TRUE(r.p.FourVisible && !r.p.SevenVisible);
         }},
        {"CW0 sensor clears settings boxes and sensor RAM",
         {0x04},
         [](Rig& r) {
             EXPECT_TRUE(r.c.ModeSensor);
             EXPECT_FALSE(r.p.AutoRelease || r.c.CodeGeneratorOn);
             EXPECT_FALSE(r.p.CtrlEnabled || r.p.ShiftEnabled);
             EXPECT_EQ(r.p.C[2].view(), "  0  000");
             EXPECT_EQ(r.p.C[3].view(), "  . ....");
         }},
        {"CW0 strobed with octal entry box",
         {0x06},
         [](Rig& r) {
             EXPECT_TRUE(r.c.ModeStrobed);
             EXPECT_TRUE(r.p.STRInpVisible && !r.p.MatrixVisible);
             EXPECT_EQ(r.p.CtrlCaption.view(), "^STB");
             EXPECT_EQ(r.p.Label20.view(), "7");
             EXPECT_FALSE(r.p.ShiftEnabled);
             EXPECT_FALSE(r.listEnabled);
             EXPECT_EQ(r.segmentUses, 3);
         }},
        {"CW1 prescaler", {0x25}, [](Rig& r) { EXPECT_EQ(r.p.C[1].view(), "   00101"); }},
        {"CW2 in lockout keeps address and increment",
         {0x95, 0x57},
         [](Rig& r) {
             EXPECT_EQ(r.c.RamAddress, 5);
             EXPECT_TRUE(r.c.AutoIncrement);
             EXPECT_TRUE(r.c.ReadFifo);
             EXPECT_EQ(r.p.CWLab.view(), "Загрузка CW2");
             EXPECT_TRUE(r.p.Cw2CaptionBlue && !r.p.Cw3CaptionBlue);
         }},
        {"CW3 display read with increment",
         {0x7A},
         [](Rig& r) {
             EXPECT_FALSE(r.c.ReadFifo);
             EXPECT_EQ(r.c.RamAddress, 10);
             EXPECT_EQ(r.p.C[3].view(), "  1 1010");
             EXPECT_EQ(r.p.RgAC.view(), "0A");
             EXPECT_EQ(r.p.IncLab.view(), "A");
             EXPECT_TRUE(r.p.Cw3CaptionBlue);
         }},
        {"CW4 sets entry offset",
         {0x83},
         [](Rig& r) {
             EXPECT_EQ(r.c.EntryOffset, 3);
             EXPECT_EQ(r.p.C[4].view(), "  0 0011");
             EXPECT_EQ(r.p.IncLab.view(), "");
         }},
        {"CW5 inhibit both halves and blank both",
         {0xAF},
         [](Rig& r) {
             EXPECT_FALSE(r.c.WriteEnableA || r.c.WriteEnableB);
             EXPECT_EQ(r.p.C[5].view(), "   11 11");
             EXPECT_EQ(r.p.BDC.view(), "0");
             EXPECT_EQ(status(r) & 0x80, 0x80);
         }},
        {"CW6 clear display with FF",
         {0xDC},
         [](Rig& r) {
             EXPECT_TRUE(r.c.Clearing && r.c.ClearToFF);
             EXPECT_EQ(r.c.ClearCountdown, 16);
             EXPECT_EQ(r.p.C[6].view(), "1 11 0 0");
             EXPECT_EQ(status(r), 0x80);  // clear running: bit 7 set, bit 4 clear
         }},
        {"CW6 without clears freezes the display on the clear code",
         {0xC8},
         [](Rig& r) {
             EXPECT_TRUE(r.c.DisplayFrozen && r.c.ClearTo20);
             EXPECT_EQ(r.p.OUTAC.view(), "0010");
             EXPECT_EQ(r.p.OutBC.view(), "0000");
             EXPECT_EQ(r.p.BDC.view(), "0");
             EXPECT_EQ(r.p.CWLab.view(), "Загрузка CW6");
         }},
        {"CW7 special error mode in rollover",
         {0x02, 0xF0},
         [](Rig& r) {
             EXPECT_TRUE(r.c.SpecialErrorMode);
             EXPECT_EQ(r.p.C[7].view(), "  1");
         }},
        {"CW7 in lockout changes only the display",
         {0xF0},
         [](Rig& r) {
             EXPECT_FALSE(r.c.SpecialErrorMode);
             EXPECT_EQ(r.p.CWLab.view(), "Загрузка CW7");
         }},
        {"CW7 in sensor mode ends the interrupt",
         {0x04, 0xE0},
         [](Rig& r) {
             EXPECT_TRUE(r.c.EndInterruptSeen && r.c.SensorWriteReenable);
             EXPECT_EQ(r.p.C[7].view(), "  1");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        for (uint8_t b : c.bytes)
            command(r, b);
        EXPECT_EQ(r.c.Command, 0);
        EXPECT_EQ(r.c.BusData, 0);
        c.check(r);
    }
}

TEST(CommandWords, Cw6ClearCountdownFollowsTheDisplay)
{
    for (auto [mode, expected] : std::vector<std::pair<uint8_t, int>>{{0x08, 16}, {0x00, 8}, {0x01, 4}}) {
        Rig r;
        command(r, mode);
        command(r, 0xD0);
        EXPECT_EQ(r.c.ClearCountdown, expected) << int{mode};
    }
}

TEST(CommandWords, Cw6ClearFifoEmptiesItAndDropsInt)
{
    Rig r;
    r.c.FifoCount = 5;
    r.c.FifoReadPtr = 2;
    r.c.FifoWritePtr = 7;
    r.c.IntLine = true;
    r.c.ErrorFlag = true;
    command(r, 0xC2);
    EXPECT_EQ(r.c.FifoCount, 0);
    EXPECT_EQ(r.c.FifoReadPtr + r.c.FifoWritePtr, 0);
    EXPECT_FALSE(r.c.IntLine || r.c.ErrorFlag || r.c.Clearing);
    EXPECT_EQ(r.p.intC.view(), "0");
}

TEST(CommandWords, Cw6ClearAllRestartsTheScan)
{
    Rig r;
    r.c.ScanCounter = 320;
    r.c.FifoCount = 2;
    command(r, 0xC1);
    EXPECT_EQ(r.c.ScanCounter, 0);
    EXPECT_EQ(r.c.FifoCount, 0);
    EXPECT_TRUE(r.c.Clearing);
    EXPECT_EQ(r.p.C[6].view(), "1 00 0 1");
}

TEST(DataWrites, AddressingAndInhibit)
{
    Rig r;
    command(r, 0x00);  // 8 characters, left entry
    command(r, 0x90);  // CW4, auto-increment, address 0
    for (int i = 0; i < 9; ++i)
        data(r, static_cast<uint8_t>(0x10 + i));
    EXPECT_EQ(r.c.DisplayRam[0], 0x18);  // the ninth write overwrote entry 0
    EXPECT_EQ(r.c.DisplayRam[7], 0x17);
    EXPECT_EQ(r.c.RamAddress, 1);
    EXPECT_EQ(r.p.Ozu[7].view(), "07: 027");
    EXPECT_EQ(r.p.D.view(), "00011000");

    command(r, 0x01);  // decoded scan
    command(r, 0x90);
    for (int i = 0; i < 4; ++i)
        data(r, 0x21);
    EXPECT_EQ(r.c.RamAddress, 0);  // wraps after entry 3

    command(r, 0xA4);  // inhibit the low half
    data(r, 0xFF);
    EXPECT_EQ(r.c.DisplayRam[0], 0xF1);
    command(r, 0xAC);  // inhibit both
    data(r, 0x00);
    EXPECT_EQ(r.c.DisplayRam[1], 0x21);
    EXPECT_EQ(r.c.RamAddress, 2);  // the address still advances
}

TEST(DataWrites, AddressBeyondEightCharactersStaysInsideTheRam)
{
    Rig r;
    command(r, 0x00);  // 8 characters
    command(r, 0x9C);  // CW4 address 12 with increment
    for (int i = 0; i < 6; ++i)
        data(r, 0x06);
    EXPECT_EQ(r.c.RamAddress, 2);  // 12..15, then back to 0
    EXPECT_EQ(r.c.DisplayRam[15], 0x06);
}

TEST(DataWrites, DiscardedWhileClearing)
{
    Rig r;
    const auto before = r.c.DisplayRam;
    command(r, 0xD0);
    command(r, 0x90);
    data(r, 0x77);
    EXPECT_EQ(r.c.DisplayRam, before);
    EXPECT_EQ(r.c.RamAddress, 1);
}

TEST(Reads, StatusBits)
{
    Rig r;
    r.c.FifoCount = 8;
    EXPECT_EQ(status(r), 0x28);
    r.c.FifoCount = 3;
    EXPECT_EQ(status(r), 0x03);
    command(r, 0x04);  // sensor mode
    r.c.FifoCount = 2;
    EXPECT_EQ(status(r), 0x42);
    EXPECT_EQ(r.p.D.view(), "01000010");
    EXPECT_EQ(r.c.FifoCount, 2);  // a status read changes no count
}

TEST(Reads, FifoInKeyboardMode)
{
    Rig r;
    r.c.SensorRam = {0xA1, 0xA2, 0, 0, 0, 0, 0, 0xA7};
    r.c.FifoCount = 2;
    r.c.FifoReadPtr = 7;
    r.c.IntLine = true;
    EXPECT_EQ(read(r), 0xA7);
    EXPECT_EQ(r.c.FifoReadPtr, 0);  // 7 wraps to 0
    EXPECT_EQ(read(r), 0xA1);
    EXPECT_EQ(r.c.FifoCount, 0);
    EXPECT_FALSE(r.c.IntLine);
    EXPECT_EQ(r.p.STk.view(), "00");
    EXPECT_TRUE(r.errors.empty());

    EXPECT_EQ(read(r, 0x5A), 0x5A);  // empty: AL stays
    EXPECT_EQ(r.errors, std::vector<uint8_t>{21});
    EXPECT_EQ(r.m.ErrorCode, 0);
    EXPECT_TRUE(r.c.UnderrunFlag);
    EXPECT_EQ(r.p.PSWLab.at(3), '1');
    EXPECT_EQ(r.c.FifoReadPtr, 1);  // no pointer moved
    status(r);
    EXPECT_EQ(r.p.PSWLab.at(3), '0');
}

TEST(Reads, DisplayRamThroughBlanking)
{
    Rig r;
    r.c.DisplayRam[15] = 0x12;
    r.c.DisplayRam[0] = 0x34;
    command(r, 0x7F);  // CW3: read display RAM from 15 with increment
    EXPECT_EQ(read(r), 0x12);
    EXPECT_EQ(r.c.RamAddress, 0);  // wraps after 15 whatever the width
    command(r, 0xCA);              // clear code 20 (no clear) ...
    command(r, 0xA2);              // ... and blank OUTA
    command(r, 0x60);
    EXPECT_EQ(read(r), 0x24);  // OUTA shows the high half of the clear code
    EXPECT_EQ(r.p.OUTAC.view(), "0010");
    command(r, 0x80);  // CW4 switches reads back to the FIFO
    EXPECT_TRUE(r.c.ReadFifo);
}

TEST(Reads, SensorRamByAddress)
{
    Rig r;
    command(r, 0x04);
    r.c.SensorRam = {1, 2, 3, 4, 5, 6, 7, 8};
    r.c.FifoCount = 3;
    r.c.IntLine = true;
    command(r, 0x56);  // CW2 with increment, address 6
    EXPECT_EQ(read(r), 7);
    EXPECT_EQ(read(r), 8);
    EXPECT_EQ(r.c.RamAddress, 0);  // wraps after 7
    EXPECT_EQ(r.c.FifoCount, 1);
    EXPECT_TRUE(r.c.IntLine);
    command(r, 0x43);  // without increment: the read ends the interrupt
    EXPECT_EQ(read(r), 4);
    EXPECT_FALSE(r.c.IntLine);
    EXPECT_EQ(r.c.FifoCount, 0);
    EXPECT_TRUE(r.c.SensorWriteReenable);
    command(r, 0x8D);       // CW4 can leave address 13 behind in sensor mode
    EXPECT_EQ(read(r), 6);  // read stays inside the 8 sensor rows
}

TEST(Reads, CodeGeneratorTranslatesDataNotStatus)
{
    Rig r;
    r.c.CodeGeneratorOn = true;
    r.c.Kg[0x41] = 0x77;
    r.c.SensorRam[0] = 0x41;
    r.c.FifoCount = 1;
    EXPECT_EQ(read(r), 0x77);
    EXPECT_EQ(r.p.KodL.view(), "01110111");
    EXPECT_EQ(r.p.D.view(), "01000001");
    EXPECT_EQ(status(r), 0x10);
}

TEST(Reads, EmptyFifoKeepsAlAlsoWithTheCodeGenerator)
{
    Rig r;
    r.c.CodeGeneratorOn = true;
    r.c.Kg.fill(0x99);
    r.p.KodL = "ZZZZZZZZ";
    EXPECT_EQ(read(r, 0x12), 0x12);  // nothing was read, so nothing is translated
    EXPECT_EQ(r.errors, std::vector<uint8_t>{21});
    EXPECT_EQ(r.p.KodL.view(), "ZZZZZZZZ");
    EXPECT_EQ(r.m.ErrorCode, 0);
}

}  // namespace
}  // namespace ravx::test
