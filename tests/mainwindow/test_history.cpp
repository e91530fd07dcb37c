// "Шаг назад": steps forward, then back, through command words, FIFO reads,
// an interrupt, failed statements and a display clear; the whole state must
// come back as it was, the student's hands and the error counter excepted.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Rig.h"

namespace ravx::test {
namespace {

struct State {
    MachineState m;
    RavxState c;
    FrontPanel p;
};

State Take(const Rig& r) { return {r.sim.m, r.sim.ravx.State(), r.sim.panel}; }

// The state as recorded, with what a step back leaves as it is now: the
// hands and the error counter.
State AsNow(State s, const Rig& r)
{
    PanelInputs::Of(r.sim.panel, r.sim.ravx.State()).ApplyTo(s.p, s.c);
    s.m.ErrorCounter = r.sim.m.ErrorCounter;
    return s;
}

struct Program {
    const char* name;
    std::vector<const char*> rows;
    // the hands between steps: called before step `n` (counted from 0)
    std::function<void(Rig&, int n)> hands;
    int steps;
};

void ExpectEqual(const State& a, const State& b, const std::string& where)
{
    EXPECT_TRUE(a.m == b.m) << where << ": machine";
    EXPECT_TRUE(a.c == b.c) << where << ": controller";
    EXPECT_TRUE(a.p == b.p) << where << ": panel";
}

TEST(History, BackAndForthRestoresEveryStep)
{
    auto press = [](int row, int column, int at, int until) {
        return [=](Rig& r, int n) {
            if (n == at)
                r.c.SetMatrixCell(row, column, true);
            if (n == until)
                r.c.SetMatrixCell(row, column, false);
        };
    };
    const Program programs[] = {
        {"command words and display writes",
         {"mov al,08h", "out 2bh,al", "mov al,90h", "out 2bh,al", "mov al,bl", "out 2ah,al", "inc bl", "jmp 4"},
         nullptr,
         1300},
        {"FIFO reads with a key pressed, and error 21",
         {"mov al,08h", "out 2bh,al", "in al,2bh", "mov cl,al", "mov al,40h", "out 2bh,al", "in al,2ah", "mov dl,al",
          "jmp 2"},
         press(1, 5, 40, 300),
         1200},
        {"an interrupt from a key",
         {"mov al,08h", "out 2bh,al", "sti", "jmp 3", "", "", "in al,2ah", "mov [bx],al", "inc bx", "iret"},
         press(2, 3, 30, 200),
         1100},
        {"a failed statement stays failing", {"mov ax,5", "push ax", "pop bx", "pop bx"}, nullptr, 60},
        {"a display clear in progress",
         {"mov al,08h", "out 2bh,al", "mov al,0d3h", "out 2bh,al", "in al,2bh", "mov ah,al", "jmp 4"},
         nullptr,
         200},
    };
    for (const Program& prog : programs) {
        Rig r;
        r.sim.m.InterruptAddress = 6;
        int a = 0;
        for (const char* row : prog.rows)
            r.sim.program.rows[a++].statement = row;
        r.sim.ResetKey();
        std::vector<State> before;
        for (int n = 0; n < prog.steps; ++n) {
            if (prog.hands)
                prog.hands(r, n);
            before.push_back(Take(r));
            r.sim.Step();
        }
        const State end = Take(r);
        // the hands move after the run: a step back leaves them where they are
        r.c.SetMatrixCell(7, 7, true);
        ASSERT_EQ(r.sim.HistoryDepth(), static_cast<uint64_t>(prog.steps)) << prog.name;
        for (int n = prog.steps - 1; n >= 0; --n) {
            ASSERT_TRUE(r.sim.StepBack()) << prog.name << " at " << n;
            ExpectEqual(Take(r), AsNow(before[n], r), std::string(prog.name) + " back to " + std::to_string(n));
            // every window shown stays counted
            EXPECT_EQ(r.sim.m.ErrorCounter, r.errors.size()) << prog.name << " back to " << n;
            if (testing::Test::HasFailure())
                return;
        }
        EXPECT_FALSE(r.sim.CanStepBack());
        EXPECT_FALSE(r.sim.StepBack());

        // forward again with the hands as they were: the same steps again
        r.c.SetMatrixCell(7, 7, false);
        for (int n = 0; n < prog.steps; ++n) {
            if (prog.hands)
                prog.hands(r, n);
            r.sim.Step();
        }
        ExpectEqual(Take(r), AsNow(end, r), std::string(prog.name) + " forward again");
        EXPECT_EQ(r.sim.m.ErrorCounter, r.errors.size()) << prog.name << " forward again";
        // the errors were shown once each: a replay shows none
        if (std::string(prog.name) == "a failed statement stays failing") {
            EXPECT_EQ(r.errors.size(), static_cast<std::size_t>(2 * (prog.steps - 3)));
        }
    }
}

// A step back never takes back an error window the student has seen: the
// counter (and the checksum the teacher reads from it) only goes up, also
// when the step back replays steps that failed, and only reset clears it.
TEST(History, CountedErrorsStayCounted)
{
    Rig r;
    r.load({"inc ax", ""});  // row 1 has no statement: every step there fails
    struct Move {
        const char* what;
        bool back;
        uint16_t ip;  // after the move
        uint16_t counter;
    };
    const Move moves[] = {
        {"step", false, 1, 0}, {"failed step", false, 1, 1}, {"failed step", false, 1, 2},
        {"back", true, 1, 2},  {"back", true, 1, 2},         {"back over the good step", true, 0, 2},
        {"step", false, 1, 2}, {"failed step", false, 1, 3}, {"back", true, 1, 3},
    };
    for (const Move& move : moves) {
        if (move.back)
            ASSERT_TRUE(r.sim.StepBack()) << move.what;
        else
            r.sim.Step();
        EXPECT_EQ(r.sim.m.IP, move.ip) << move.what;
        EXPECT_EQ(r.sim.m.ErrorCounter, move.counter) << move.what;
    }
    EXPECT_EQ(r.errors.size(), 3u);
    const uint16_t ax = r.sim.m.AX;
    ASSERT_TRUE(r.sim.StepBack());
    EXPECT_EQ(r.sim.m.AX, ax - 1);  // the rest of the state does go back
    EXPECT_EQ(r.sim.m.ErrorCounter, 3);

    // back across a checkpoint: the steps replayed from the one before fail
    // again, silently, and count nothing
    r.sim.ResetKey();
    EXPECT_EQ(r.sim.m.ErrorCounter, 0);
    for (uint64_t n = 0; n < History::kCheckpointInterval + 10; ++n)
        r.sim.Step();
    const uint16_t shown = r.sim.m.ErrorCounter;
    EXPECT_EQ(shown, History::kCheckpointInterval + 9);
    for (int n = 0; n < 20; ++n)
        ASSERT_TRUE(r.sim.StepBack());
    EXPECT_EQ(r.sim.m.ErrorCounter, shown);
    EXPECT_EQ(r.sim.m.IP, 1);
}

TEST(History, StepsBackAfterAStepBackGoOnFromThere)
{
    Rig r;
    r.load({"inc ax", "inc bx", "jmp 0"});
    for (int n = 0; n < 1500; ++n)
        r.sim.Step();
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(r.sim.StepBack());
    r.c.SetMatrixCell(0, 0, true);  // a key pressed before going on
    for (int n = 0; n < 700; ++n)
        r.sim.Step();
    const State later = Take(r);
    for (int n = 0; n < 600; ++n)
        ASSERT_TRUE(r.sim.StepBack());
    for (int n = 0; n < 600; ++n)
        r.sim.Step();
    // the key leads into an empty interrupt routine: the steps that fail there
    // count again when they are made again
    ExpectEqual(Take(r), AsNow(later, r), "after a second step back");
    EXPECT_EQ(r.sim.m.ErrorCounter, r.errors.size());
}

TEST(History, IsBoundedAndEndsWithReset)
{
    Rig r;
    r.load({"inc ax", "jmp 0"});
    for (int n = 0; n < 40000; ++n)
        r.sim.Step();
    EXPECT_GE(r.sim.HistoryDepth(), History::kGuaranteedDepth);
    EXPECT_GE(r.sim.HistoryDepth(), 10000u);
    EXPECT_LE(r.sim.HistoryDepth(), History::kCheckpoints * History::kCheckpointInterval);
    // well back, across a checkpoint: the state another machine reaches in as
    // many steps from the start
    constexpr int kBack = 1100;
    for (int n = 0; n < kBack; ++n)
        ASSERT_TRUE(r.sim.StepBack());
    Rig other;
    other.load({"inc ax", "jmp 0"});
    for (int n = 0; n < 40000 - kBack; ++n)
        other.sim.Step();
    ExpectEqual(Take(r), Take(other), "1100 steps back");

    r.sim.Step();
    EXPECT_TRUE(r.sim.CanStepBack());
    r.sim.ResetKey();
    EXPECT_FALSE(r.sim.CanStepBack());
    r.sim.Step();
    r.sim.EndHistory();
    EXPECT_FALSE(r.sim.StepBack());
}

}  // namespace
}  // namespace ravx::test
