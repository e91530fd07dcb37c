// How often a student who does not know the answers would pass the entry
// test with a bank: over every draw of five questions, under the test's own
// pass rule, for each blind way of ticking boxes. The builder refuses a bank
// that lets any of them pass too often.
#pragma once

#include <string>
#include <vector>

#include "training/QuestionBank.h"

namespace ravx::bank {

// A blind strategy passes at most this share of the draws.
inline constexpr double kMaxBlindPassShare = 0.10;

struct BlindShare {
    std::string strategy;  // in Russian, as the builder names it
    double share = 0;      // passing draws / all draws
};

// Every blind strategy: only the first box, only the last, only box k (k up
// to the most answers a question has), only the longest answer (the first of
// equal ones), every box; and, last, exactly the correct answers ("знающий
// студент"), which must pass every draw. Needs at least five questions.
std::vector<BlindShare> BlindPassShares(const std::vector<Question>& questions);

}  // namespace ravx::bank
