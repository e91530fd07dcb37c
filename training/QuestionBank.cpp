#include "training/QuestionBank.h"

#include <algorithm>
#include <fstream>

#include "machine/Codepage.h"

namespace ravx::bank {

namespace {

constexpr uint32_t kSequenceModulus = 65537;
constexpr uint32_t kSequenceFactor = 75;

uint8_t Lo(uint16_t v) { return static_cast<uint8_t>(v & 0xFF); }
uint8_t Hi(uint16_t v) { return static_cast<uint8_t>(v >> 8); }

int32_t ReadInt32(std::span<const uint8_t> bytes, std::size_t at)
{
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    }
    return static_cast<int32_t>(v);
}

uint16_t ReadUint16(std::span<const uint8_t> bytes, std::size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void AppendInt32(std::vector<uint8_t>& out, int64_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

// Takes text bytes up to the first byte <= last; `end` receives that byte or
// -1 when the record ran out first.
std::string TakeText(std::span<const uint8_t> record, std::size_t& pos, uint8_t last, int& end)
{
    std::string text;
    end = -1;
    while (pos < record.size()) {
        const uint8_t b = record[pos++];
        if (b <= last) {
            end = b;
            break;
        }
        text.push_back(static_cast<char>(b));
    }
    return text;
}

std::string BreakLines(std::string text)
{
    std::replace(text.begin(), text.end(), kLineBreak, '\n');
    return text;
}

Bank Damaged(std::string problem)
{
    Bank bank;
    bank.status = BankStatus::Damaged;
    bank.problem = std::move(problem);
    return bank;
}

}  // namespace

void Scrambler::Advance()
{
    const uint32_t next = ((static_cast<uint32_t>(state_) + 1) * kSequenceFactor) % kSequenceModulus - 1;
    state_ = static_cast<uint16_t>(next);
}

uint8_t Scrambler::Scramble(uint8_t plain)
{
    Advance();
    return static_cast<uint8_t>(((plain ^ Lo(state_)) ^ Hi(key_)) + Hi(state_) - Lo(key_));
}

uint8_t Scrambler::Unscramble(uint8_t scrambled)
{
    Advance();
    return static_cast<uint8_t>(static_cast<uint8_t>(scrambled + Lo(key_) - Hi(state_)) ^ Hi(key_) ^ Lo(state_));
}

std::vector<uint8_t> Scramble(std::span<const uint8_t> plain, uint16_t key)
{
    Scrambler s(key);
    std::vector<uint8_t> out;
    out.reserve(plain.size());
    for (uint8_t b : plain) {
        out.push_back(s.Scramble(b));
    }
    return out;
}

std::vector<uint8_t> Unscramble(std::span<const uint8_t> scrambled, uint16_t key)
{
    Scrambler s(key);
    std::vector<uint8_t> out;
    out.reserve(scrambled.size());
    for (uint8_t b : scrambled) {
        out.push_back(s.Unscramble(b));
    }
    return out;
}

std::string WrapAnswerText(std::string_view cp1251)
{
    std::string out;
    std::size_t lineStart = 0;  // where the line being filled starts in out
    for (char c : cp1251) {
        if (c == kLineBreak) {
            out.push_back('\n');
            lineStart = out.size();
            continue;
        }
        out.push_back(c);
        if (out.size() - lineStart > kAnswerLineWidth) {
            // One character too many: the line ends at its last blank, this
            // character included, and the break takes the blank's place. A
            // word that fills the whole line is cut before this character.
            const std::size_t blank = out.rfind(' ');
            if (blank != std::string::npos && blank > lineStart) {
                out[blank] = '\n';
                lineStart = blank + 1;
            } else {
                out.insert(out.size() - 1, 1, '\n');
                lineStart = out.size() - 1;
            }
        }
    }
    return out;
}

Question ParseRecord(std::span<const uint8_t> record)
{
    Question q;
    std::size_t pos = 0;
    int end = 0;
    q.text = Cp1251ToUtf8(BreakLines(TakeText(record, pos, kQuestionEnd, end)));
    while (pos < record.size()) {
        const std::string text = TakeText(record, pos, kCorrectAnswerEnd, end);
        q.answers.push_back({Cp1251ToUtf8(WrapAnswerText(text)), end == kCorrectAnswerEnd});
    }
    return q;
}

std::string CheckRecord(std::span<const uint8_t> record)
{
    if (record.size() > kMaxRecordSize) {
        return "запись длиннее " + std::to_string(kMaxRecordSize) + " байт";
    }
    std::size_t pos = 0;
    int end = 0;
    TakeText(record, pos, kQuestionEnd, end);
    if (end != kQuestionEnd) {
        return "нет конца текста вопроса";
    }
    std::size_t answers = 0;
    std::size_t correct = 0;
    while (pos < record.size()) {
        TakeText(record, pos, kCorrectAnswerEnd, end);
        if (end < 0) {
            return "нет конца текста ответа";
        }
        ++answers;
        correct += end == kCorrectAnswerEnd;
    }
    if (answers < 2 || answers > kMaxAnswers) {
        return "ответов " + std::to_string(answers) + ", а нужно от 2 до " + std::to_string(kMaxAnswers);
    }
    if (correct == 0) {
        return "нет ни одного верного ответа";
    }
    return {};
}

std::vector<uint8_t> BuildBank(const std::vector<std::vector<uint8_t>>& records, uint16_t key, uint64_t fileSize)
{
    const std::size_t n = records.size();
    std::vector<uint8_t> out;
    AppendInt32(out, static_cast<int64_t>(n));
    out.push_back(Lo(key));
    out.push_back(Hi(key));
    uint64_t next = fileSize + kHeaderSize + kOffsetEntrySize * n;
    for (const auto& record : records) {
        AppendInt32(out, static_cast<int64_t>(next));
        next += record.size();
    }
    for (const auto& record : records) {
        const auto scrambled = Scramble(record, key);
        out.insert(out.end(), scrambled.begin(), scrambled.end());
    }
    AppendInt32(out, static_cast<int64_t>(fileSize));
    return out;
}

Bank ReadBank(std::span<const uint8_t> tail, uint64_t tailOffset)
{
    if (tail.size() < kTrailerSize) {
        return {};
    }
    const uint64_t fileSize = tailOffset + tail.size();
    const uint64_t trailerAt = fileSize - kTrailerSize;
    const int32_t bankAt = ReadInt32(tail, tail.size() - kTrailerSize);
    if (bankAt < kMinBankOffset) {
        return {};
    }
    const auto t = static_cast<uint64_t>(bankAt);
    if (t < tailOffset || t + kHeaderSize > trailerAt) {
        return Damaged("заголовок банка вне файла");
    }
    const std::size_t header = t - tailOffset;
    const int32_t count = ReadInt32(tail, header);
    if (count < kMinQuestions || count > kMaxQuestions) {
        return Damaged("число вопросов " + std::to_string(count) + " вне пределов 5..255");
    }
    const auto n = static_cast<std::size_t>(count);
    const uint64_t recordsAt = t + kHeaderSize + kOffsetEntrySize * n;
    if (recordsAt > trailerAt) {
        return Damaged("таблица смещений вне файла");
    }
    Bank bank;
    bank.key = ReadUint16(tail, header + kCountSize);
    std::vector<uint64_t> bounds;
    for (std::size_t i = 0; i < n; ++i) {
        const int32_t at = ReadInt32(tail, header + kHeaderSize + kOffsetEntrySize * i);
        bounds.push_back(at < 0 ? 0 : static_cast<uint64_t>(at));
    }
    bounds.push_back(trailerAt);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string name = "вопрос " + std::to_string(i + 1) + ": ";
        if (bounds[i] < recordsAt || bounds[i + 1] < bounds[i] || bounds[i + 1] > trailerAt) {
            return Damaged(name + "смещение вне банка");
        }
        const auto record = tail.subspan(bounds[i] - tailOffset, bounds[i + 1] - bounds[i]);
        auto plain = Unscramble(record, bank.key);
        if (const std::string problem = CheckRecord(plain); !problem.empty()) {
            return Damaged(name + problem);
        }
        bank.records.push_back(std::move(plain));
    }
    bank.status = BankStatus::Ok;
    return bank;
}

Bank ReadBankFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return Damaged("не удаётся открыть " + path);
    }
    const auto size = static_cast<uint64_t>(static_cast<std::streamoff>(in.tellg()));
    if (size < kTrailerSize) {
        return {};
    }
    uint8_t trailer[kTrailerSize];
    in.seekg(static_cast<std::streamoff>(size - kTrailerSize));
    in.read(reinterpret_cast<char*>(trailer), kTrailerSize);
    if (!in) {
        return Damaged("не удаётся прочитать " + path);
    }
    const int32_t bankAt = ReadInt32(trailer, 0);
    if (bankAt < kMinBankOffset) {
        return {};
    }
    if (static_cast<uint64_t>(bankAt) >= size) {
        return Damaged("заголовок банка вне файла");
    }
    // No good bank is longer than this, so a bad offset never makes us read
    // the whole executable.
    constexpr uint64_t kMaxBankSize = kHeaderSize + (kOffsetEntrySize + kMaxRecordSize) * kMaxQuestions + kTrailerSize;
    if (size - static_cast<uint64_t>(bankAt) > kMaxBankSize) {
        return Damaged("банк длиннее, чем допускает формат");
    }
    std::vector<uint8_t> tail(size - static_cast<uint64_t>(bankAt));
    in.seekg(bankAt);
    in.read(reinterpret_cast<char*>(tail.data()), static_cast<std::streamsize>(tail.size()));
    if (!in) {
        return Damaged("не удаётся прочитать " + path);
    }
    return ReadBank(tail, static_cast<uint64_t>(bankAt));
}

std::vector<int> ChooseQuestions(int count, std::mt19937& random)
{
    std::vector<int> chosen;
    if (count <= 0) {
        return chosen;
    }
    const auto wanted = static_cast<std::size_t>(std::min(count, kQuestionsPerTest));
    std::uniform_int_distribution<int> pick(0, count - 1);
    while (chosen.size() < wanted) {
        const int index = pick(random);
        if (std::find(chosen.begin(), chosen.end(), index) == chosen.end()) {
            chosen.push_back(index);
        }
    }
    return chosen;
}

}  // namespace ravx::bank
