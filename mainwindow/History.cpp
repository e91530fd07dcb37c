#include "mainwindow/History.h"

#include <algorithm>

namespace ravx {

void History::Clear()
{
    checkpoints_.clear();
    changes_.clear();
    handsKnown_ = false;
    steps_ = 0;
    firstStep_ = 0;
}

void History::addCheckpoint(const StateSnapshot& s)
{
    checkpoints_.push_back({steps_, s});
    if (checkpoints_.size() > kCheckpoints)
        checkpoints_.pop_front();
    firstStep_ = checkpoints_.front().step;
    while (!changes_.empty() && changes_.front().first < firstStep_)
        changes_.pop_front();
}

uint64_t History::Depth() const { return checkpoints_.empty() ? 0 : steps_ - firstStep_; }

History::Replay History::ReplayTo(uint64_t target) const
{
    Replay r;
    if (checkpoints_.empty() || target < firstStep_ || target > steps_)
        return r;
    // the last checkpoint at or before the target
    auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), target,
                               [](uint64_t step, const Checkpoint& c) { return step < c.step; });
    --it;
    r.from = &it->state;
    r.fromStep = it->step;
    for (const auto& change : changes_)
        if (change.first >= r.fromStep && change.first < target)
            r.changes.push_back(change);
    return r;
}

void History::TruncateTo(uint64_t target, const PanelInputs& inputs, uint32_t handsVersion)
{
    while (!checkpoints_.empty() && checkpoints_.back().step >= target)
        checkpoints_.pop_back();
    while (!changes_.empty() && changes_.back().first >= target)
        changes_.pop_back();
    steps_ = target;
    // the hands as they are now go into the record: a later replay through
    // this step must find them as the next step will
    changes_.push_back({target, inputs});
    handsVersion_ = handsVersion;
    handsKnown_ = true;
}

}  // namespace ravx
