// The runner's options, its events script, and a run end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mainwindow/ProgramFile.h"
#include "tools/ravx-run/Runner.h"

namespace ravx {
namespace {

TEST(RunnerOptions, ParsesAndRefuses)
{
    const RunOptions o =
        ParseRunOptions({"--steps", "50", "--seed", "7", "--zg", "3", "--kg", "--no-auto-release", "--no-octal-strobe",
                         "--json", "--events", "e.txt", "--firmware", "f.dmp", "p.prg"});
    EXPECT_EQ(o.steps, 50u);
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.zg, 3);
    EXPECT_TRUE(o.kg && o.json);
    EXPECT_FALSE(o.autoRelease || o.octalStrobe);
    EXPECT_EQ(o.program, "p.prg");
    EXPECT_EQ(o.events, "e.txt");
    EXPECT_EQ(o.firmware, "f.dmp");
    EXPECT_EQ(ParseRunOptions({"p.prg"}).steps, 100000u);

    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--steps", "-1", "p.prg"},
        {"--steps", "x", "p.prg"},
        {"--zg", "4", "p.prg"},
        {"--bogus", "p.prg"},
        {"p.prg", "q.prg"},
        {"--steps"},
        {"--seed", "99999999999", "p.prg"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(ParseRunOptions(args), RunnerError) << (args.empty() ? "" : args[0]);
}

TEST(RunnerEvents, ParsesActionsInStepOrder)
{
    const auto events = ParseEvents(
        "# a comment line\n"
        "5 key 2 3 down   # trailing comment\n"
        "\n"
        "2 ctrl on\r\n"
        "5 key 2 3 up\n"
        "7 strobe\n"
        "8 octal 123\n"
        "9 shift off\n");
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0].kind, ScriptEvent::Ctrl);
    EXPECT_EQ(events[1].kind, ScriptEvent::Key);
    EXPECT_TRUE(events[1].on);
    EXPECT_FALSE(events[2].on);  // file order within a step
    EXPECT_EQ(events[4].text, "123");

    for (const char* bad : {"0 strobe\n", "x strobe\n", "3 key 8 0 down\n", "3 key 1 1 pressed\n", "3 ctrl maybe\n",
                            "3 jump\n", "3\n", "3 strobe now\n"})
        EXPECT_THROW(ParseEvents(bad), RunnerError) << bad;
}

class RunnerRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("ravx-runner-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string writeProgram(std::initializer_list<const char*> rows, int breakpointRow = -1)
    {
        Program p;
        int a = 0;
        for (const char* s : rows)
            p.rows[a++].statement = s;
        if (breakpointRow >= 0)
            p.rows[breakpointRow].breakpoint = true;
        const std::string path = (dir_ / "p.prg").string();
        WriteProgramFile(path, p, 100, 42);
        return path;
    }
    std::string writeText(const char* name, const std::string& text)
    {
        const std::string path = (dir_ / name).string();
        std::ofstream(path) << text;
        return path;
    }

    std::filesystem::path dir_;
};

TEST_F(RunnerRun, RecordsErrorsAndContinuesAfterErrorTwentyOne)
{
    RunOptions o;
    o.program = writeProgram({"in al,2ah", "mov bx,7", "pop ax", "nop"});
    o.seed = 1;
    Runner runner(o);
    const RunResult r = runner.Run();
    EXPECT_EQ(r.stop, RunStop::Error);
    EXPECT_EQ(r.steps, 3u);
    const std::string json = runner.Json(r);
    EXPECT_NE(json.find("\"errors\": [\n    {\"step\": 1, \"ip\": 0, \"code\": 21}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"code\": 16"), std::string::npos);
    EXPECT_NE(json.find("\"stop\": \"error\""), std::string::npos);
    EXPECT_EQ(runner.sim().m.BX, 7);
    EXPECT_EQ(runner.sim().m.IP, 2);
    EXPECT_EQ(runner.sim().ravx.PortBase, 42);
}

TEST_F(RunnerRun, AppliesEventsBeforeTheirStep)
{
    RunOptions o;
    o.program = writeProgram({"nop", "nop", "nop", "nop"}, 2);
    o.events = writeText("ev", "2 key 1 4 down\n2 shift on\n4 key 1 4 up\n");
    Runner runner(o);
    const RunResult r = runner.Run();
    EXPECT_EQ(r.stop, RunStop::Breakpoint);
    EXPECT_EQ(r.steps, 2u);
    EXPECT_EQ(runner.sim().panel.Matrix[1][4], '0');        // the event for step 4 never came
    EXPECT_EQ(runner.sim().panel.RetC.view(), "11101111");  // row 1 was scanned at step 2
    EXPECT_TRUE(runner.sim().panel.ShiftChecked);
}

TEST_F(RunnerRun, TraceHasALinePerStepWithChangesPortsAndErrors)
{
    RunOptions o;
    // a key read through an interrupt, then the FIFO read again when empty
    o.program = writeProgram({"mov al,08h", "out 2bh,al", "sti", "jmp 3", "", "", "in al,2ah", "in al,2ah", "iret"});
    o.events = writeText("ev", "5 key 2 3 down\n");
    o.trace = (dir_ / "trace.jsonl").string();
    o.steps = 40;
    {
        Runner runner(o);
        runner.sim().m.InterruptAddress = 6;
        runner.Run();
    }
    std::ifstream in(o.trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[0], R"({"step":1,"row":0,"text":"mov al,08h","changed":{"ax":8,"ip":1},"io":[],"errors":[]})");
    EXPECT_EQ(lines[1], R"({"step":2,"row":1,"text":"out 2bh,al","changed":{"ip":2},"io":[{"out":43,"value":8}],"errors":[]})");
    std::size_t intcall = 0;
    while (intcall < lines.size() && lines[intcall].find(R"("text":"INTCALL")") == std::string::npos)
        ++intcall;
    ASSERT_LT(intcall + 2, lines.size());
    EXPECT_NE(lines[intcall].find(R"("if":0)"), std::string::npos) << lines[intcall];
    // the key's code (row 2, column 3: 023 octal = 19), then the empty FIFO: error 21
    EXPECT_NE(lines[intcall + 1].find(R"("io":[{"in":42,"value":19}],"errors":[])"), std::string::npos)
        << lines[intcall + 1];
    EXPECT_NE(lines[intcall + 2].find(R"("errors":[21])"), std::string::npos) << lines[intcall + 2];

    o.trace = (dir_ / "no-such-folder" / "trace.jsonl").string();
    Runner cannot(o);
    EXPECT_THROW(cannot.Run(), RunnerError);
}

TEST_F(RunnerRun, UnreadableFilesAreRunnerErrors)
{
    RunOptions o;
    o.program = (dir_ / "missing.prg").string();
    EXPECT_THROW(Runner{o}, RunnerError);
    o.program = writeText("bad.prg", "not a number\r\n42\r\n");
    EXPECT_THROW(Runner{o}, RunnerError);
    o.program = writeProgram({"nop"});
    o.firmware = writeText("short.dmp", "abc");
    EXPECT_THROW(Runner{o}, RunnerError);
    o.firmware.clear();
    o.events = writeText("ev", "1 fly\n");
    EXPECT_THROW(Runner{o}, RunnerError);
}

}  // namespace
}  // namespace ravx
