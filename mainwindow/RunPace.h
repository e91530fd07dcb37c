// The pace of the automatic run. Every step waits for its moment; up to the
// screen's rate every step is shown, faster the window shows the latest state
// once a frame (after the last step due in it); at the fastest pace the steps
// fill each frame's time and the latest state is shown at the screen's rate. The schedule is plain arithmetic, so the
// window's run loop and its tests share it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ravx {

// Steps a second; 0 is the fastest pace.
constexpr std::array<int, 9> kRunPaces = {1, 2, 5, 10, 20, 50, 200, 1000, 0};
// Slow enough to follow the statements, the scan of the display and the FIFO.
constexpr int kDefaultRunPace = 5;

// The caption of a pace in the menu "Запуск" → "Скорость".
std::string RunPaceCaption(int stepsPerSecond);

class RunSchedule {
public:
    RunSchedule(int stepsPerSecond, int refreshHz);

    // Every step is shown (the pace is not above the screen's rate).
    bool EachStepShown() const { return pace_ > 0 && pace_ <= refreshHz_; }
    // Whether the window is refreshed after step `n` (1-based count of the
    // steps of this run) when the pace is finite.
    bool ShowAfter(uint64_t n) const;
    // When step `n` (1-based) is due, in milliseconds from the run's start;
    // 0 for every step at the fastest pace.
    int64_t DueMs(uint64_t n) const;
    // At the fastest pace: the least time between two refreshes.
    int FrameMs() const { return 1000 / refreshHz_; }
    int Pace() const { return pace_; }

private:
    // The frame a moment falls in.
    int64_t frameOf(int64_t ms) const { return ms * refreshHz_ / 1000; }

    int pace_;
    int refreshHz_;
};

}  // namespace ravx
