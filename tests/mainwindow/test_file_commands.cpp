// The file commands as the menu and the runner use them: what they do to the
// machine, and that a file that cannot be read changes nothing.
#include <gtest/gtest.h>

#include "QuietMachine.h"
#include "TempDir.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"

namespace ravx {
namespace {

using filetest::ReadBytes;
using filetest::TempDir;
using filetest::WriteBytes;

// every machine of these tests starts from the same random display RAM
class Machine : public filetest::QuietMachine {
public:
    Machine() : QuietMachine(7) {}
};

TEST(FileCommands, OpenProgramLoadsRowsHeaderAndResets)
{
    TempDir dir;
    Machine a;
    a.sim.program.rows[0].statement = "mov al,1";
    a.sim.program.rows[3].comment = "комментарий";
    a.sim.program.rows[5].breakpoint = true;
    a.sim.m.InterruptAddress = 0x50;
    a.sim.ravx.PortBase = 0x90;
    SaveProgram(a.sim, dir.File("p.prg"));

    Machine b;
    b.sim.program.rows[7].breakpoint = true;  // cleared by the open
    b.sim.m.AX = 0x1234;
    b.sim.m.IP = 9;
    const ProgramFileHeader h = OpenProgram(b.sim, dir.File("p.prg"));
    EXPECT_EQ(h.portBase, 0x90);
    EXPECT_EQ(b.sim.program.rows, a.sim.program.rows);
    EXPECT_EQ(b.sim.m.InterruptAddress, 0x50);
    EXPECT_EQ(b.sim.ravx.PortBase, 0x90);
    EXPECT_EQ(b.sim.m.AX, 0);  // reset
    EXPECT_EQ(b.sim.m.IP, 0);
}

TEST(FileCommands, UnreadableProgramChangesNothing)
{
    TempDir dir;
    WriteBytes(dir.File("bad.prg"), "12x\r\n42\r\nmov al,1\r\n");
    Machine m;
    m.sim.program.rows[2].statement = "nop";
    m.sim.program.rows[2].breakpoint = true;
    m.sim.m.AX = 7;
    const Program before = m.sim.program;
    for (const std::string& path : {dir.File("bad.prg"), dir.File("missing.prg")}) {
        EXPECT_THROW(OpenProgram(m.sim, path), FileError) << path;
        EXPECT_EQ(m.sim.program.rows, before.rows) << path;
        EXPECT_EQ(m.sim.m.AX, 7) << path;
    }
}

TEST(FileCommands, FirmwareRoundTripAndShortDumpChangesNothing)
{
    TempDir dir;
    Machine a;
    a.sim.ravx.Zg1[200] = 0x11;
    a.sim.ravx.Zg4[15] = 0x22;
    a.sim.ravx.Kg[0] = 0x33;
    a.sim.m.Ram[0] = 0x0102;
    a.sim.m.Ram[2046] = 0xBEEF;
    SaveFirmware(a.sim, dir.File("f.dmp"));
    const std::string bytes = ReadBytes(dir.File("f.dmp"));
    ASSERT_EQ(bytes.size(), kFirmwareFileSize);

    Machine b;
    b.sim.m.Ram[3000] = 5;  // beyond the dump: kept
    b.sim.m.AX = 9;
    LoadFirmware(b.sim, dir.File("f.dmp"));
    EXPECT_EQ(b.sim.ravx.Zg1, a.sim.ravx.Zg1);
    EXPECT_EQ(b.sim.ravx.Zg4, a.sim.ravx.Zg4);
    EXPECT_EQ(b.sim.ravx.Kg, a.sim.ravx.Kg);
    EXPECT_EQ(b.sim.m.Ram[2046], 0xBEEF);
    EXPECT_EQ(b.sim.m.Ram[3000], 5);
    EXPECT_EQ(b.sim.m.AX, 9);  // no reset

    WriteBytes(dir.File("short.dmp"), bytes.substr(0, 1000));
    Machine c;
    const RavxState tables = c.sim.ravx.State();
    EXPECT_THROW(LoadFirmware(c.sim, dir.File("short.dmp")), FileError);
    EXPECT_TRUE(c.sim.ravx.State() == tables);
    EXPECT_EQ(c.sim.m.Ram[0], 0);
}

}  // namespace
}  // namespace ravx
