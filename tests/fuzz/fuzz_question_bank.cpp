// Any bytes as the tail of an executable, as one question record and as a
// question source: reading must stay inside the bytes, and a bank that reads
// as good must hold only records that keep the format's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "tools/bankbuild/QuestionSource.h"
#include "training/QuestionBank.h"

namespace {

using namespace ravx::bank;

void CheckGoodBank(const Bank& bank)
{
    if (bank.status != BankStatus::Ok) {
        return;
    }
    if (bank.records.size() < kMinQuestions || bank.records.size() > kMaxQuestions) {
        std::abort();
    }
    for (const auto& record : bank.records) {
        const Question q = ParseRecord(record);
        if (!CheckRecord(record).empty() || q.answers.size() < 2 || q.answers.size() > kMaxAnswers) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    // The input placed right where a bank may start, and as a whole file.
    CheckGoodBank(ReadBank(bytes, static_cast<uint64_t>(kMinBankOffset)));
    CheckGoodBank(ReadBank(bytes));

    const Question q = ParseRecord(bytes);
    for (const auto& answer : q.answers) {
        if (answer.text.find('\0') != std::string::npos) {
            std::abort();
        }
    }
    CheckRecord(bytes);

    try {
        ParseQuestionSource(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const SourceError&) {
    }
    return 0;
}
