#include "tools/bankbuild/Fairness.h"

#include <algorithm>
#include <functional>

#include "training/TestResult.h"

namespace ravx::bank {

namespace {

using Ticks = std::vector<bool>;
using Strategy = std::function<Ticks(const Question&)>;

// The three counters of one question are at most kMaxAnswers each, so a
// draw's sums stay below kSums.
constexpr int kSums = kQuestionsPerTest * static_cast<int>(kMaxAnswers) + 1;

// Characters, not bytes: the texts are UTF-8 and mix Cyrillic and Latin.
size_t Length(const std::string& utf8)
{
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The number of five-question draws whose summed counters pass, counted by
// sums rather than by draws: a bank of 255 questions has 8.8e9 draws.
double PassingShare(const std::vector<result::Counters>& perQuestion)
{
    // ways[k][total][good][bad]: k questions chosen so far with those sums
    std::vector<double> ways(static_cast<size_t>(kQuestionsPerTest + 1) * kSums * kSums * kSums, 0.0);
    auto at = [](int k, int t, int g, int b) {
        return ((static_cast<size_t>(k) * kSums + t) * kSums + g) * kSums + b;
    };
    ways[at(0, 0, 0, 0)] = 1;
    for (const result::Counters& c : perQuestion) {
        for (int k = kQuestionsPerTest - 1; k >= 0; --k) {
            for (int t = 0; t + c.total < kSums; ++t)
                for (int g = 0; g + c.good < kSums; ++g)
                    for (int b = 0; b + c.bad < kSums; ++b) {
                        const double w = ways[at(k, t, g, b)];
                        if (w != 0)
                            ways[at(k + 1, t + c.total, g + c.good, b + c.bad)] += w;
                    }
        }
    }
    double passing = 0, all = 0;
    for (int t = 0; t < kSums; ++t)
        for (int g = 0; g < kSums; ++g)
            for (int b = 0; b < kSums; ++b) {
                const double w = ways[at(kQuestionsPerTest, t, g, b)];
                all += w;
                const result::Counters sum{static_cast<uint8_t>(t), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
                if (result::IsPassed(sum))
                    passing += w;
            }
    return all == 0 ? 0 : passing / all;
}

Ticks Only(const Question& q, size_t k)
{
    Ticks t(q.answers.size(), false);
    if (k < t.size())
        t[k] = true;
    return t;
}

}  // namespace

std::vector<BlindShare> BlindPassShares(const std::vector<Question>& questions)
{
    size_t mostAnswers = 0;
    for (const Question& q : questions)
        mostAnswers = std::max(mostAnswers, q.answers.size());

    std::vector<std::pair<std::string, Strategy>> strategies = {
        {"только первый ответ", [](const Question& q) { return Only(q, 0); }},
        {"только последний ответ", [](const Question& q) { return Only(q, q.answers.size() - 1); }},
    };
    for (size_t k = 1; k < mostAnswers; ++k)  // the first is above
        strategies.emplace_back("только ответ " + std::to_string(k + 1),
                                [k](const Question& q) { return Only(q, k); });
    strategies.emplace_back("только самый длинный ответ", [](const Question& q) {
        size_t longest = 0;
        for (size_t k = 1; k < q.answers.size(); ++k)
            if (Length(q.answers[k].text) > Length(q.answers[longest].text))
                longest = k;
        return Only(q, longest);
    });
    strategies.emplace_back("все ответы", [](const Question& q) { return Ticks(q.answers.size(), true); });
    strategies.emplace_back("знающий студент", [](const Question& q) {
        Ticks t;
        for (const Answer& a : q.answers)
            t.push_back(a.correct);
        return t;
    });

    std::vector<BlindShare> shares;
    for (const auto& [name, tick] : strategies) {
        std::vector<result::Counters> perQuestion;
        for (const Question& q : questions) {
            result::Counters c;
            c.Score(q, tick(q));
            perQuestion.push_back(c);
        }
        shares.push_back({name, PassingShare(perQuestion)});
    }
    return shares;
}

}  // namespace ravx::bank
