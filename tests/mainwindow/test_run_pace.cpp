// The automatic run's pace: which steps wait for their moment and which are shown.
#include <gtest/gtest.h>

#include "mainwindow/RunPace.h"

namespace ravx {
namespace {

TEST(RunPace, SlowPacesShowEveryStepAtItsMoment)
{
    const RunSchedule s(5, 60);
    EXPECT_TRUE(s.EachStepShown());
    for (uint64_t n = 1; n <= 20; ++n)
        EXPECT_TRUE(s.ShowAfter(n)) << n;
    EXPECT_EQ(s.DueMs(1), 0);
    EXPECT_EQ(s.DueMs(2), 200);
    EXPECT_EQ(s.DueMs(11), 2000);
    EXPECT_EQ(RunSchedule(1, 60).DueMs(4), 3000);
}

TEST(RunPace, FastPacesShowOncePerFrameAndKeepThePace)
{
    struct Case {
        int pace, hz;
    };
    for (const Case c : {Case{200, 60}, Case{1000, 60}, Case{1000, 144}, Case{61, 60}}) {
        const RunSchedule s(c.pace, c.hz);
        EXPECT_FALSE(s.EachStepShown());
        int shown = 0;
        for (uint64_t n = 1; n <= static_cast<uint64_t>(c.pace); ++n)  // one second of steps
            shown += s.ShowAfter(n);
        // one refresh a frame, never more, hardly fewer
        EXPECT_LE(shown, c.hz) << c.pace << "/" << c.hz;
        EXPECT_GE(shown, c.hz - 1) << c.pace << "/" << c.hz;
        EXPECT_EQ(s.DueMs(static_cast<uint64_t>(c.pace) + 1), 1000) << c.pace;
    }
}

TEST(RunPace, FastestHasNoWaitAndAFrameTime)
{
    const RunSchedule s(0, 60);
    EXPECT_FALSE(s.EachStepShown());
    EXPECT_FALSE(s.ShowAfter(1));
    EXPECT_EQ(s.DueMs(100000), 0);
    EXPECT_EQ(s.FrameMs(), 16);
    EXPECT_EQ(RunSchedule(0, 0).FrameMs(), 100);  // an unknown rate counts as 10 Hz
}

TEST(RunPace, Captions)
{
    EXPECT_EQ(RunPaceCaption(1), "1 шаг/с");
    EXPECT_EQ(RunPaceCaption(2), "2 шага/с");
    EXPECT_EQ(RunPaceCaption(5), "5 шагов/с");
    EXPECT_EQ(RunPaceCaption(11), "11 шагов/с");
    EXPECT_EQ(RunPaceCaption(1000), "1000 шагов/с");
    EXPECT_EQ(RunPaceCaption(0), "Максимальная");
}

}  // namespace
}  // namespace ravx
