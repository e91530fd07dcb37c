// Program and firmware files through the file commands: what is saved comes
// back byte for byte, a file that cannot be read changes nothing, and a save
// that fails leaves the old file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "QuietMachine.h"
#include "TempDir.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"
#include "mainwindow/Report.h"
#include "mainwindow/SafeSave.h"
#include "tools/ravx-run/Runner.h"

namespace ravx {
namespace {

using filetest::ReadBytes;
using filetest::TempDir;
using filetest::WriteBytes;

// every machine of these tests starts from the same random display RAM
class Machine : public filetest::QuietMachine {
public:
    Machine() : QuietMachine(5) {}
};

// A program file as the application writes it: 1002 CR LF lines.
std::string ProgramBytes(const std::vector<std::pair<int, std::string>>& lines)
{
    std::vector<std::string> all(1002);
    all[0] = "17";
    all[1] = "42";
    for (const auto& [number, text] : lines)
        all[static_cast<size_t>(number - 1)] = text;
    std::string bytes;
    for (const std::string& line : all)
        bytes += line + "\r\n";
    return bytes;
}

std::string DumpBytes(unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(kFirmwareFileSize, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random());
    return bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SafeFiles, ProgramRoundTripIsByteIdentical)
{
    TempDir dir;
    const std::string original = ProgramBytes({
        {3, "mov al,1"},
        {4, "\xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9"},  // "комментарий" in Windows-1251
        {13, "\x01"},                                         // row 5: only a breakpoint mark
        {17, "nop\x01"},
        {1001, "spare statement"},
        {1002, "\xE7\xE0\xEF\xE0\xF1"},  // "запас"
    });
    WriteBytes(dir.File("in.prg"), original);
    Machine m;
    OpenProgram(m.sim, dir.File("in.prg"));
    EXPECT_EQ(m.sim.program.rows[5], (ProgramRow{"", "", true}));
    EXPECT_EQ(m.sim.program.rows[7], (ProgramRow{"nop", "", true}));
    EXPECT_EQ(m.sim.program.rows[kStatementRows], (ProgramRow{"spare statement", "запас", false}));
    SaveProgram(m.sim, dir.File("out.prg"));
    EXPECT_EQ(ReadBytes(dir.File("out.prg")), original);
}

TEST(SafeFiles, FirmwareRoundTripIsByteIdentical)
{
    TempDir dir;
    const std::string original = DumpBytes(11);
    WriteBytes(dir.File("in.dmp"), original);
    Machine m;
    m.sim.m.Ram[kRamWritableLast + 1] = 0x5555;  // not in the dump
    LoadFirmware(m.sim, dir.File("in.dmp"));
    EXPECT_EQ(m.sim.m.Ram[kRamWritableLast + 1], 0x5555);
    SaveFirmware(m.sim, dir.File("out.dmp"));
    EXPECT_EQ(ReadBytes(dir.File("out.dmp")), original);
}

TEST(SafeFiles, ProgramEndingEarlyStillLoads)
{
    TempDir dir;
    WriteBytes(dir.File("short.prg"), "3\r\n42\r\nmov al,1\r\nfirst\r\nnop");
    Machine m;
    m.sim.program.rows[4] = {"old", "old", true};
    OpenProgram(m.sim, dir.File("short.prg"));
    EXPECT_EQ(m.sim.program.rows[0], (ProgramRow{"mov al,1", "first", false}));
    EXPECT_EQ(m.sim.program.rows[1], (ProgramRow{"nop", "", false}));
    EXPECT_EQ(m.sim.program.rows[4], ProgramRow{});
    EXPECT_EQ(m.sim.m.InterruptAddress, 3);
}

// Everything a failed open or load could touch.
struct Snapshot {
    explicit Snapshot(const Simulator& s) : rows(s.program.rows), machine(s.m), controller(s.ravx.State()) {}
    bool operator==(const Snapshot&) const = default;
    std::array<ProgramRow, kProgramRows> rows;
    MachineState machine;
    RavxState controller;
};

TEST(SafeFiles, UnreadableFilesChangeNothing)
{
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += static_cast<char>((i * 37 + 11) % 256);
    WriteBytes(dir.File("short.dmp"), DumpBytes(3).substr(0, kFirmwareFileSize - 1));
    WriteBytes(dir.File("empty.dmp"), "");
    WriteBytes(dir.File("word.prg"), ProgramBytes({{1, "abc"}, {3, "mov al,1"}}));
    WriteBytes(dir.File("port.prg"), ProgramBytes({{2, "4 2"}, {3, "mov al,1"}}));
    WriteBytes(dir.File("garbage.prg"), garbage);
    WriteBytes(dir.File("plain.txt"), "not a folder");
    std::filesystem::create_directory(dir.File("folder.prg"));
    std::filesystem::create_directory(dir.File("folder.dmp"));

    enum Kind { ProgramFile, Firmware };
    struct Case {
        Kind kind;
        std::string name;
        std::string message;
    };
    const std::vector<Case> cases = {
        {Firmware, "short.dmp", kErrorReadBeyondEnd},
        {Firmware, "empty.dmp", kErrorReadBeyondEnd},
        {ProgramFile, "word.prg", kErrorInvalidNumber},
        {ProgramFile, "port.prg", kErrorInvalidNumber},
        {ProgramFile, "garbage.prg", kErrorInvalidNumber},
        {ProgramFile, "folder.prg", kErrorAccessDenied},
        {Firmware, "folder.dmp", kErrorAccessDenied},
        {ProgramFile, "plain.txt/x.prg", kErrorFileNotFound},  // a path through a regular file
        {Firmware, "plain.txt/x.dmp", kErrorFileNotFound},
        {ProgramFile, "missing.prg", kErrorFileNotFound},
    };
    for (const Case& c : cases) {
        Machine m;
        m.sim.program.rows[2] = {"nop", "ждём", true};
        m.sim.program.rows[kStatementRows] = {"spare", "", false};
        m.sim.m.InterruptAddress = 0x30;
        m.sim.m.Ram[10] = 0xABCD;
        m.sim.m.AX = 7;
        m.sim.ravx.PortBase = 0x50;
        m.sim.ravx.Zg3[1] = 9;
        const Snapshot before(m.sim);
        try {
            if (c.kind == ProgramFile)
                OpenProgram(m.sim, dir.File(c.name));
            else
                LoadFirmware(m.sim, dir.File(c.name));
            ADD_FAILURE() << c.name << " was read";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), c.message.c_str()) << c.name;
        }
        EXPECT_TRUE(Snapshot(m.sim) == before) << c.name;
    }
}

// Each way of saving the machine, as the menu and the runner call them.
using Saver = std::function<void(Simulator&, const std::string&)>;
std::vector<std::pair<std::string, Saver>> Savers()
{
    return {
        {"program", [](Simulator& s, const std::string& p) { SaveProgram(s, p); }},
        {"firmware", [](Simulator& s, const std::string& p) { SaveFirmware(s, p); }},
        {"listing",
         [](Simulator& s, const std::string& p) {
             WriteReport(ReportFile::Listing, p, ReportSourcesOf(s), ReportOptions{});
         }},
        {"state", [](Simulator& s,
                     const std::string& p) { WriteReport(ReportFile::State, p, ReportSourcesOf(s), ReportOptions{}); }},
    };
}

// Runs the save in a child process that is not root when the tests are, so
// that folder permissions apply; returns the message, or "" if it saved.
std::string SaveAsOrdinaryUser(const Saver& save, Simulator& sim, const std::string& path)
{
    constexpr uid_t kNobody = 65534;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "<no pipe>";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string message;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            message = "<cannot drop root>";
        else {
            try {
                save(sim, path);
            } catch (const FileError& e) {
                message = e.what();
            }
        }
        ssize_t ignored = ::write(pipeFds[1], message.data(), message.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        message.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return message;
}

TEST(SafeFiles, FailedSaveLeavesTheOldFile)
{
    TempDir dir;
    Machine m;
    m.sim.program.rows[0].statement = "mov al,1";
    const std::string locked = dir.File("locked");
    std::filesystem::create_directory(locked);
    WriteBytes(dir.File("plain.txt"), "plain");
    std::filesystem::create_directory(dir.File("folder"));
    WriteBytes(dir.File("folder/inside"), "x");

    for (const auto& [what, save] : Savers()) {
        const std::string old = locked + "/old." + what;
        WriteBytes(old, "the previous " + what);
        ::chmod(locked.c_str(), 0555);
        EXPECT_EQ(SaveAsOrdinaryUser(save, m.sim, old), kErrorAccessDenied) << what;
        ::chmod(locked.c_str(), 0755);
        EXPECT_EQ(ReadBytes(old), "the previous " + what) << what;

        // a folder in the target's place, a path through a regular file
        try {
            save(m.sim, dir.File("folder"));
            ADD_FAILURE() << what << " saved over a folder";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), kErrorAccessDenied) << what;
        }
        EXPECT_THROW(save(m.sim, dir.File("plain.txt/x")), FileError) << what;
    }
    EXPECT_EQ(FolderEntries(locked),
              (std::vector<std::string>{"old.firmware", "old.listing", "old.program", "old.state"}));
    EXPECT_EQ(FolderEntries(dir.File("folder")), std::vector<std::string>{"inside"});
    EXPECT_EQ(ReadBytes(dir.File("plain.txt")), "plain");
}

TEST(SafeFiles, InterruptedSaveLeavesTheOldFile)
{
    TempDir dir;
    const std::string path = dir.File("work.prg");
    WriteBytes(path, "the previous program");
    auto failHalfway = [](std::ostream& out) {
        out << "half of the new";
        out.flush();
        throw FileError(kErrorDiskFull);
    };
    EXPECT_THROW(SaveReplacing(path, failHalfway), FileError);
    EXPECT_EQ(ReadBytes(path), "the previous program");
    EXPECT_EQ(FolderEntries(dir.File("")), std::vector<std::string>{"work.prg"});

    SaveReplacing(path, [](std::ostream& out) { out << "new"; });
    EXPECT_EQ(ReadBytes(path), "new");
}

TEST(SafeFiles, SaveReplacesTheOldFileAndKeepsItsPermissions)
{
    TempDir dir;
    Machine m;
    for (const auto& [what, save] : Savers()) {
        const std::string path = dir.File("saved." + what);
        WriteBytes(path, "old");
        ::chmod(path.c_str(), 0640);
        save(m.sim, path);
        EXPECT_NE(ReadBytes(path), "old") << what;
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << what;
    }
    EXPECT_EQ(FolderEntries(dir.File("")),
              (std::vector<std::string>{"saved.firmware", "saved.listing", "saved.program", "saved.state"}));
}

TEST(SafeFiles, SaveThroughASymbolicLinkWritesTheFileItPointsTo)
{
    TempDir dir;
    Machine m;
    std::filesystem::create_directory(dir.File("shared"));
    for (const auto& [what, save] : Savers()) {
        const std::string real = dir.File("shared/real." + what);
        WriteBytes(real, "old");
        // a relative link, and a link to that link
        std::filesystem::create_symlink("shared/real." + what, dir.File("link." + what));
        std::filesystem::create_symlink(dir.File("link." + what), dir.File("chain." + what));
        save(m.sim, dir.File("chain." + what));
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link." + what))) << what;
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File("chain." + what))) << what;
        const std::string saved = ReadBytes(real);
        EXPECT_NE(saved, "old") << what;
        EXPECT_EQ(ReadBytes(dir.File("chain." + what)), saved) << what;
        // a link whose file is not there yet creates it
        std::filesystem::create_symlink("shared/new." + what, dir.File("dangling." + what));
        save(m.sim, dir.File("dangling." + what));
        EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling." + what))) << what;
        EXPECT_EQ(ReadBytes(dir.File("shared/new." + what)), saved) << what;
    }
    // no temporary file is left beside the real files
    for (const std::string& name : FolderEntries(dir.File("shared")))
        EXPECT_EQ(name.find(".~ravx"), std::string::npos) << name;
    // a loop of links is refused
    std::filesystem::create_symlink("b.prg", dir.File("a.prg"));
    std::filesystem::create_symlink("a.prg", dir.File("b.prg"));
    EXPECT_THROW(SaveProgram(m.sim, dir.File("a.prg")), FileError);
}

TEST(SafeFiles, RunnerWritesWhatTheCommandsWrite)
{
    TempDir dir;
    const std::string program = ProgramBytes({{3, "mov al,5"}, {5, "out 2ah,al"}, {6, "вывод"}, {1001, "x"}});
    WriteBytes(dir.File("in.prg"), program);
    WriteBytes(dir.File("in.dmp"), DumpBytes(4));
    RunOptions o =
        ParseRunOptions({"--steps", "2", "--firmware", dir.File("in.dmp"), "--save-program", dir.File("out.prg"),
                         "--save-firmware", dir.File("out.dmp"), "--listing", dir.File("out.txt"), "--state-report",
                         dir.File("out.otc"), "--report-options", "dos,no-ozu", dir.File("in.prg")});
    Runner runner(o);
    runner.Run();
    runner.WriteOutputs();
    EXPECT_EQ(ReadBytes(dir.File("out.prg")), program);
    EXPECT_EQ(ReadBytes(dir.File("out.dmp")), ReadBytes(dir.File("in.dmp")));
    EXPECT_EQ(ReadBytes(dir.File("out.txt")), ProgramListing(runner.sim().program, o.report));
    EXPECT_EQ(ReadBytes(dir.File("out.otc")), StateReport(ReportSourcesOf(runner.sim()), o.report));
    EXPECT_EQ(ReadBytes(dir.File("out.otc")).find(ToDosText(" Дамп ОЗУ данных")), std::string::npos);
}

}  // namespace
}  // namespace ravx
