#include "mainwindow/RunPace.h"

#include <algorithm>

namespace ravx {

std::string RunPaceCaption(int stepsPerSecond)
{
    if (stepsPerSecond <= 0)
        return "Максимальная";
    // 1 шаг, 2 шага, 5 шагов, 1000 шагов: the noun agrees with the number
    const int lastTwo = stepsPerSecond % 100;
    const int last = stepsPerSecond % 10;
    const char* noun = "шагов";
    if (lastTwo < 11 || lastTwo > 14) {
        if (last == 1)
            noun = "шаг";
        else if (last >= 2 && last <= 4)
            noun = "шага";
    }
    return std::to_string(stepsPerSecond) + " " + noun + "/с";
}

RunSchedule::RunSchedule(int stepsPerSecond, int refreshHz)
    : pace_(std::max(stepsPerSecond, 0)), refreshHz_(std::clamp(refreshHz, 10, 240))
{
}

bool RunSchedule::ShowAfter(uint64_t n) const
{
    if (pace_ == 0)
        return false;
    return EachStepShown() || frameOf(DueMs(n)) != frameOf(DueMs(n + 1));
}

int64_t RunSchedule::DueMs(uint64_t n) const
{
    if (pace_ == 0 || n == 0)
        return 0;
    return static_cast<int64_t>((n - 1) * 1000 / static_cast<uint64_t>(pace_));
}

}  // namespace ravx
