// bankbuild: checks the question source and appends the scrambled bank to an
// executable. Used by the build after linking the application; a teacher can
// run it by hand to check an edited source (without --append).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "tools/bankbuild/Fairness.h"
#include "tools/bankbuild/QuestionSource.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSourceError = 1;
constexpr int kExitUsage = 2;
constexpr unsigned long kMaxKey = 0xFFFF;

int Usage()
{
    std::cerr << "usage: bankbuild SOURCE [--key N] [--append EXECUTABLE] [--allow-unfair]\n"
                 "  --allow-unfair  build a bank that a blind strategy passes too often (test fixtures only)\n";
    return kExitUsage;
}

// Prints how often each blind strategy passes; false when one passes more
// than the limit (unless allowed) or a student who knows the answers fails.
bool CheckFairness(const std::string& source, const std::vector<std::vector<uint8_t>>& records, bool allowUnfair)
{
    std::vector<ravx::bank::Question> questions;
    for (const auto& record : records)
        questions.push_back(ravx::bank::ParseRecord(record));
    bool fair = true;
    const auto shares = ravx::bank::BlindPassShares(questions);
    for (size_t i = 0; i < shares.size(); ++i) {
        const bool knowing = i + 1 == shares.size();
        char percent[16];
        std::snprintf(percent, sizeof percent, "%.1f%%", shares[i].share * 100);
        std::cout << source << ": " << shares[i].strategy << " - тест сдан в " << percent << " выборок\n";
        if (knowing && shares[i].share < 1.0) {
            std::cerr << source << ": студент, отметивший ровно верные ответы, сдаёт тест не всегда (" << percent
                      << ")\n";
            fair = false;
        } else if (!knowing && shares[i].share > ravx::bank::kMaxBlindPassShare && !allowUnfair) {
            std::cerr << source << ": банк несправедлив: стратегия \"" << shares[i].strategy << "\" сдаёт тест в "
                      << percent << " выборок (допустимо не более "
                      << static_cast<int>(ravx::bank::kMaxBlindPassShare * 100) << "%)\n";
            fair = false;
        }
    }
    return fair;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string source;
    std::string target;
    bool haveKey = false;
    bool allowUnfair = false;
    unsigned long key = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--key" && i + 1 < argc) {
            char* end = nullptr;
            key = std::strtoul(argv[++i], &end, 0);
            if (*end != '\0' || key > kMaxKey) {
                return Usage();
            }
            haveKey = true;
        } else if (arg == "--allow-unfair") {
            allowUnfair = true;
        } else if (arg == "--append" && i + 1 < argc) {
            target = argv[++i];
        } else if (source.empty() && !arg.starts_with("-")) {
            source = arg;
        } else {
            return Usage();
        }
    }
    if (source.empty()) {
        return Usage();
    }
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source << ": не удаётся открыть\n";
        return kExitSourceError;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        const auto records = ravx::bank::ParseQuestionSource(text.str());
        if (!CheckFairness(source, records, allowUnfair))
            return kExitSourceError;
        if (!haveKey) {
            key = std::random_device{}() & kMaxKey;
        }
        if (!target.empty()) {
            ravx::bank::AppendBankToFile(target, records, static_cast<uint16_t>(key));
        }
        std::cout << source << ": " << records.size() << " вопросов" << (target.empty() ? "" : " -> " + target) << "\n";
    } catch (const ravx::bank::SourceError& e) {
        std::cerr << source << ": " << e.what() << "\n";
        return kExitSourceError;
    }
    return kExitOk;
}
