// The decoded form of a statement against its text: the same machine state,
// the same bus and host calls in the same order, for every mnemonic with
// every kind of operand from several machine states; and whole runs of the
// golden programs traced step by step both ways.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/machine/Differential.h"
#include "tools/ravx-run/Runner.h"

using namespace ravx;

namespace {

std::vector<MachineState> States()
{
    std::vector<MachineState> states(4);
    states[0].Reset();
    states[0].SP = kStackEmpty;
    MachineState& mid = states[1];
    mid.Reset();
    mid.AX = 0x0190, mid.BX = 0x0014, mid.CX = 3, mid.DX = 0x8001, mid.DI = 0x07FE, mid.SI = 2;
    mid.ZF = mid.PF = mid.IF = true;
    mid.RefreshFlags();
    for (int a = 0; a < kRamCells; ++a)
        mid.Ram[a] = static_cast<uint16_t>(a * 7);
    mid.SP = 128;
    MachineState& high = states[2];
    high.Reset();
    high.AX = high.BX = high.CX = high.DX = high.DI = high.SI = 0xFFFF;
    high.SF = true;
    high.RefreshFlags();
    high.Ram.fill(0xFFFF);
    high.SP = 0;
    std::mt19937 rng(7);
    MachineState& random = states[3];
    random.Reset();
    for (uint16_t* r : {&random.AX, &random.BX, &random.CX, &random.DX, &random.DI, &random.SI})
        *r = static_cast<uint16_t>(rng() % 3200);
    for (auto& cell : random.Ram)
        cell = static_cast<uint16_t>(rng());
    random.SP = 255;
    random.InterruptAddress = 0x0A0;
    return states;
}

}  // namespace

TEST(DecodedForm, EveryMnemonicWithEveryKindOfOperandAgreesWithTheText)
{
    const char* mnemonics[] = {"mov", "add", "sub", "inc", "dec", "cmp", "test", "and", "or", "xor", "not", "shl",
                               "shr", "rol", "ror", "xlat", "jmp", "jz", "je", "jnz", "jne", "ja", "jb", "jna",
                               "jnb", "jq", "j", "loop", "call", "ret", "push", "pop", "pushf", "popf", "in", "out",
                               "cli", "sti", "nop", "iret", "intcall", "reset", "movs", "Mov"};
    const char* operands[] = {"",      "ax",     "al",      "ah",     "af",    "si",     "di",     "5",
                              "300",   "0ffh",   "-1",      "12345h", "098o",  "101b",   "[bx]",   "[ax]",
                              "[21h]", "[bx+1]", "[bx+90]", "[bx+si]", "[si-2]", "[ax+1]", "[[bx]]", "[bx",
                              "[al]",  "all",    "2ah",     "2bh",    "x",     "[bx+[si]]", "beep", "clearmem",
                              "copy_allmozu", "get_kol_dat", "[1-bx]", "[di+si+1]", "3070"};
    const auto states = States();
    for (const char* mn : mnemonics)
        for (const char* a : operands)
            for (const char* b : operands) {
                std::string text = std::string(mn) + (*a ? std::string(" ") + a : "");
                if (*b)
                    text += std::string(",") + b;
                for (const MachineState& s : states) {
                    const std::string why = differential::Compare(text, s);
                    ASSERT_EQ(why, "") << "\"" << text << "\"";
                }
            }
    // the texts the student's spelling makes of them
    for (std::string_view text : {"", "   ", "mov ax , 1 0", "  nop", "movax,5", "mov ax,1,2", "MOV AX,[BX + 9 ]",
                                  "mov\tax,1", "mov ax,", "push all", "pop all", "call 0ah",
                                  "mov al,[bx+5ah]", "add [bx],ax", "add [di],300", "out 2ah,bl", "in al,2bh"}) {
        for (const MachineState& s : states)
            ASSERT_EQ(differential::Compare(text, s), "") << "\"" << text << "\"";
    }
    const std::string longText = "mov ax," + std::string(300, '1');
    for (const MachineState& s : states)
        ASSERT_EQ(differential::Compare(longText, s), "");
}

// Every golden program, with its events and firmware, traced both ways: the
// trace lines (registers, flags, port I/O, errors of every step) agree.
TEST(DecodedForm, EveryGoldenRunStepsAlikeBothWays)
{
    namespace fs = std::filesystem;
    const fs::path tmp = fs::temp_directory_path() / ("ravx-decoded-" + std::to_string(::getpid()));
    fs::create_directories(tmp);
    ASSERT_TRUE(fs::exists(fs::path(RAVX_GOLDEN_DIR) / "arithmetic" / "program.prg"));
    for (const auto& dir : fs::directory_iterator(RAVX_GOLDEN_DIR)) {
        if (!dir.is_directory())
            continue;
        std::vector<std::string> args;
        if (std::ifstream in(dir.path() / "args"); in)
            for (std::string a; in >> a;)
                args.push_back(a);
        if (fs::exists(dir.path() / "events"))
            args.insert(args.end(), {"--events", (dir.path() / "events").string()});
        if (fs::exists(dir.path() / "firmware.dmp"))
            args.insert(args.end(), {"--firmware", (dir.path() / "firmware.dmp").string()});
        args.push_back((dir.path() / "program.prg").string());
        std::string traces[2], states[2];
        for (int decoded = 0; decoded < 2; ++decoded) {
            auto with = args;
            const fs::path trace = tmp / (dir.path().filename().string() + std::to_string(decoded));
            with.insert(with.begin(), {"--trace", trace.string()});
            RunOptions options = ParseRunOptions(with);
            Runner runner(options);
            runner.sim().SetDecodedExecution(decoded == 1);
            const RunResult r = runner.Run();
            states[decoded] = runner.Json(r);
            std::ifstream t(trace);
            std::stringstream ss;
            ss << t.rdbuf();
            traces[decoded] = ss.str();
        }
        EXPECT_FALSE(traces[0].empty()) << dir.path();
        EXPECT_EQ(traces[0], traces[1]) << dir.path();
        EXPECT_EQ(states[0], states[1]) << dir.path();
    }
    fs::remove_all(tmp);
}
