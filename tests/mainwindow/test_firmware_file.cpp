#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/mainwindow/TempDir.h"
#include "controller/FrontPanel.h"
#include "controller/Timer.h"
#include "machine/Host.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"

namespace ravx {
namespace {

using filetest::ReadBytes;
using filetest::TempDir;
using filetest::WriteBytes;

constexpr size_t kStoredRamCells = kRamWritableLast + 1;

// Tables of their own, so the dump is tested without a whole simulator.
struct Firmware {
    std::array<uint8_t, 256> zg1{};
    std::array<uint8_t, 256> zg2{};
    std::array<uint8_t, 16> zg3{};
    std::array<uint8_t, 16> zg4{};
    std::array<uint8_t, 256> kg{};
    std::array<uint16_t, kRamCells> ram{};

    FirmwareTables view() { return {zg1, zg2, zg3, zg4, kg, ram}; }

    // Every byte of every table differs from its neighbours and from the
    // same index of the other tables.
    static Firmware Pattern()
    {
        Firmware f;
        for (size_t i = 0; i < f.zg1.size(); ++i) {
            f.zg1[i] = static_cast<uint8_t>(i);
            f.zg2[i] = static_cast<uint8_t>(i * 3 + 1);
            f.kg[i] = static_cast<uint8_t>(i ^ 0xA5);
        }
        for (size_t i = 0; i < f.zg3.size(); ++i) {
            f.zg3[i] = static_cast<uint8_t>(0x30 + i);
            f.zg4[i] = static_cast<uint8_t>(0x60 + i);
        }
        for (size_t i = 0; i < f.ram.size(); ++i)
            f.ram[i] = static_cast<uint16_t>(i * 40503 + 7);
        return f;
    }
    static Firmware Filled(uint8_t byte)
    {
        Firmware f;
        f.zg1.fill(byte);
        f.zg2.fill(byte);
        f.zg3.fill(byte);
        f.zg4.fill(byte);
        f.kg.fill(byte);
        f.ram.fill(static_cast<uint16_t>(byte << 8 | byte));
        return f;
    }
};

std::string Dump(Firmware& f)
{
    std::ostringstream out;
    WriteFirmwareFile(out, f.view());
    return out.str();
}

class FirmwareFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("task.dmp");
};

struct Placement {
    const char* name;
    size_t offset;
    std::function<void(Firmware&)> set;
    uint8_t byte;
};

TEST_F(FirmwareFileTest, EachValueLandsOnItsOffset)
{
    const std::vector<Placement> cases = {
        {"Zg1First", 0, [](Firmware& f) { f.zg1[0] = 0x11; }, 0x11},
        {"Zg3First", 2, [](Firmware& f) { f.zg3[0] = 0x33; }, 0x33},
        {"KgFirst", 4, [](Firmware& f) { f.kg[0] = 0x44; }, 0x44},
        {"RamHighInBlockA", 7 * 3 + 5, [](Firmware& f) { f.ram[3] = 0xAB00; }, 0xAB},
        {"RamLowInBlockA", 7 * 3 + 6, [](Firmware& f) { f.ram[3] = 0x00CD; }, 0xCD},
        {"Zg4LastOfBlockA", 7 * 15 + 3, [](Firmware& f) { f.zg4[15] = 0x5F; }, 0x5F},
        {"Zg1FirstOfBlockB", 112, [](Firmware& f) { f.zg1[16] = 0x16; }, 0x16},
        {"KgInBlockB", 112 + 5 * 1 + 2, [](Firmware& f) { f.kg[17] = 0x17; }, 0x17},
        {"RamLowLastOfBlockB", 1311, [](Firmware& f) { f.ram[255] = 0x00EE; }, 0xEE},
        {"RamHighFirstOfBlockC", 1312, [](Firmware& f) { f.ram[256] = 0x9900; }, 0x99},
        {"RamHighLastStored", 4892, [](Firmware& f) { f.ram[2046] = 0x7700; }, 0x77},
        {"RamLowLastStored", 4893, [](Firmware& f) { f.ram[2046] = 0x0088; }, 0x88},
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(c.name);
        Firmware f;
        c.set(f);
        WriteFirmwareFile(path, f.view());
        std::string expected(kFirmwareFileSize, '\0');
        expected[c.offset] = static_cast<char>(c.byte);
        EXPECT_EQ(ReadBytes(path), expected);
    }
}

TEST_F(FirmwareFileTest, CellsBeyondTheWritableRamAreNotStored)
{
    Firmware f;
    for (size_t i = kStoredRamCells; i < f.ram.size(); ++i)
        f.ram[i] = 0xFFFF;
    WriteFirmwareFile(path, f.view());
    EXPECT_EQ(ReadBytes(path), std::string(kFirmwareFileSize, '\0'));
}

TEST_F(FirmwareFileTest, RoundTripRestoresTablesAndLeavesUpperRam)
{
    Firmware source = Firmware::Pattern();
    WriteFirmwareFile(path, source.view());

    Firmware back = Firmware::Filled(0x5A);
    ReadFirmwareFile(path, back.view());

    EXPECT_EQ(back.zg1, source.zg1);
    EXPECT_EQ(back.zg2, source.zg2);
    EXPECT_EQ(back.zg3, source.zg3);
    EXPECT_EQ(back.zg4, source.zg4);
    EXPECT_EQ(back.kg, source.kg);
    for (size_t i = 0; i < back.ram.size(); ++i) {
        const uint16_t expected = i < kStoredRamCells ? source.ram[i] : 0x5A5A;
        ASSERT_EQ(back.ram[i], expected) << "cell " << i;
    }
}

TEST_F(FirmwareFileTest, ShortDumpFillsWhatItReachesThenFails)
{
    Firmware source = Firmware::Pattern();
    const std::string full = Dump(source);
    Firmware sentinel = Firmware::Filled(0x5A);
    const std::string untouched = Dump(sentinel);

    // The sizes stop at each block's start and one inside a RAM cell, where
    // only the high byte arrives.
    for (size_t size : {size_t{0}, size_t{1}, size_t{112}, size_t{113}, size_t{1313}, kFirmwareFileSize - 1}) {
        SCOPED_TRACE(size);
        WriteBytes(path, full.substr(0, size));
        Firmware back = Firmware::Filled(0x5A);
        try {
            ReadFirmwareFile(path, back.view());
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), kErrorReadBeyondEnd);
        }
        EXPECT_EQ(Dump(back), full.substr(0, size) + untouched.substr(size));
        EXPECT_EQ(back.ram[kRamLast], 0x5A5A);
    }
}

TEST_F(FirmwareFileTest, BytesBeyondTheDumpAreIgnored)
{
    Firmware source = Firmware::Pattern();
    WriteBytes(path, Dump(source) + std::string(100, '\xFF'));
    Firmware back = Firmware::Filled(0x5A);
    ReadFirmwareFile(path, back.view());
    EXPECT_EQ(Dump(back), Dump(source));
    EXPECT_EQ(back.ram[kStoredRamCells], 0x5A5A);
}

TEST_F(FirmwareFileTest, MissingFileSaysNotFoundAndChangesNothing)
{
    Firmware back = Firmware::Filled(0x5A);
    try {
        ReadFirmwareFile(dir.File("absent.dmp"), back.view());
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), kErrorFileNotFound);
    }
    Firmware sentinel = Firmware::Filled(0x5A);
    EXPECT_EQ(Dump(back), Dump(sentinel));
}

TEST_F(FirmwareFileTest, ViewOfTheMachineCoversTheControllerTablesAndRam)
{
    MachineState m;
    FrontPanel panel;
    NullHost host;
    TRavx ravx(m, panel, host);
    ravx.Zg1[1] = 1;
    ravx.Zg2[1] = 2;
    ravx.Zg3[1] = 3;
    ravx.Zg4[1] = 4;
    ravx.Kg[1] = 5;
    m.Ram[1] = 0x0607;
    WriteFirmwareFile(path, FirmwareTablesOf(ravx, m));
    EXPECT_EQ(ReadBytes(path).substr(7, 7), "\x01\x02\x03\x04\x05\x06\x07");
}

TEST(FirmwareFileProblem, OnlyAWholeDumpPasses)
{
    const std::string whole(kFirmwareFileSize, '\0');
    EXPECT_EQ(FirmwareFileProblem(whole), "");
    EXPECT_EQ(FirmwareFileProblem(whole + "more"), "");  // ignored, as the reader ignores it
    EXPECT_EQ(FirmwareFileProblem(""), "файл пуст");
    EXPECT_EQ(FirmwareFileProblem(whole.substr(1)), "файл обрезан: байт 4893 из 4894");
    EXPECT_EQ(FirmwareFileProblem("x"), "файл обрезан: байт 1 из 4894");
}

TEST(SuggestedDumpName, CutsTheFileNameAtItsFirstDot)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:/lab/task3.prg", "C:/lab/task3.dmp"},
        {"C:\\lab.1\\task3.prg", "C:\\lab.1\\task3.dmp"},
        {"/home/u/task3.prg", "/home/u/task3.dmp"},
        {"/home/u/my.dir/task3.prg", "/home/u/my.dir/task3.dmp"},  // the folder's dot is kept
        {"/home/u/task3.v2.prg", "/home/u/task3.dmp"},
        {"a.b.c", "a.dmp"},
        {"task3", "task3.dmp"},
        {"/home/u/task3", "/home/u/task3.dmp"},
        {"", ""},
        {".prg", ""},
        {"/home/u/.prg", ""},
    };
    for (const auto& [last, suggested] : cases)
        EXPECT_EQ(SuggestedDumpName(last), suggested) << last;
}

}  // namespace
}  // namespace ravx
