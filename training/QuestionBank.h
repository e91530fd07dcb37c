// The entry test's question bank. It travels appended to the application's own
// executable, so a copied binary always carries its questions and a student
// cannot read them off a text file:
//
//   offset T      int32 LE   N, the number of questions
//   T + 4         uint16 LE  the bank key
//   T + 6         int32 LE   file offset of record i, for i = 0 .. N-1
//   ...                      the scrambled records, one after the other
//   last 4 bytes  int32 LE   T; below 100000 there is no bank
//
// A record, unscrambled, is Windows-1251 text: the question ended by a byte 1,
// then up to eight answers, each ended by a byte 0..3 (3 marks a correct
// one); "|" inside a text is a line break.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ravx::bank {

inline constexpr std::size_t kTrailerSize = 4;
inline constexpr std::size_t kCountSize = 4;
inline constexpr std::size_t kKeySize = 2;
inline constexpr std::size_t kHeaderSize = kCountSize + kKeySize;
inline constexpr std::size_t kOffsetEntrySize = 4;
// Offsets below this mean "no bank": a bare executable ends in arbitrary code
// bytes, and no real bank can start inside the first 100000 bytes of one.
inline constexpr int32_t kMinBankOffset = 100000;
// Question indexes live in one byte and 255 marks an empty slot.
inline constexpr int kMinQuestions = 5;
inline constexpr int kMaxQuestions = 255;
inline constexpr std::size_t kMaxRecordSize = 999;
inline constexpr std::size_t kMaxAnswers = 8;
inline constexpr int kQuestionsPerTest = 5;
// End bytes: the question ends at a byte <= 1, an answer at a byte <= 3.
inline constexpr uint8_t kQuestionEnd = 1;
inline constexpr uint8_t kWrongAnswerEnd = 0;
inline constexpr uint8_t kCorrectAnswerEnd = 3;
inline constexpr char kLineBreak = '|';
// Answer labels are fixed-pitch and this wide; longer lines are wrapped.
inline constexpr std::size_t kAnswerLineWidth = 64;

// The key-driven byte sequence of the bank, of the result records' counters
// and of their dates. Every run (one record, one group of counters, one date)
// starts afresh from the key.
class Scrambler {
public:
    explicit Scrambler(uint16_t key) : key_(key), state_(key) {}
    uint8_t Scramble(uint8_t plain);
    uint8_t Unscramble(uint8_t scrambled);

private:
    void Advance();
    uint16_t key_;
    uint16_t state_;
};

std::vector<uint8_t> Scramble(std::span<const uint8_t> plain, uint16_t key);
std::vector<uint8_t> Unscramble(std::span<const uint8_t> scrambled, uint16_t key);

struct Answer {
    std::string text;  // UTF-8, lines separated by '\n'
    bool correct = false;
};

struct Question {
    std::string text;  // UTF-8, lines separated by '\n'
    std::vector<Answer> answers;
};

// Splits an unscrambled record the way the test window reads it. Never fails:
// a text without its end byte runs to the end of the record.
Question ParseRecord(std::span<const uint8_t> record);

// Empty when the unscrambled record keeps every rule of the format, else why
// not (in Russian, for the builder's and the reader's messages).
std::string CheckRecord(std::span<const uint8_t> record);

// Breaks a Windows-1251 answer text at "|" and wraps every line longer than
// 64 characters at its last blank that keeps it within 64 (the break replaces
// the blank); a word that fills a whole line is cut after 64 characters. The
// result is still Windows-1251 with '\n' between lines.
std::string WrapAnswerText(std::string_view cp1251);

// The bytes to append to a file whose size is fileSize: header, offset table,
// records scrambled with the key, trailer. Records are unscrambled and must
// already be checked; fileSize must be at least kMinBankOffset.
std::vector<uint8_t> BuildBank(const std::vector<std::vector<uint8_t>>& records, uint16_t key, uint64_t fileSize);

enum class BankStatus { Ok, NoBank, Damaged };

struct Bank {
    BankStatus status = BankStatus::NoBank;
    std::string problem;  // why the bank counts as damaged
    uint16_t key = 0;
    std::vector<std::vector<uint8_t>> records;  // unscrambled
};

// Reads the bank from the tail of a file. `tail` holds the file's bytes from
// offset `tailOffset` to its end (the whole file when tailOffset is 0). Every
// offset is checked against the bytes given; nothing outside them is read.
Bank ReadBank(std::span<const uint8_t> tail, uint64_t tailOffset = 0);

// Reads only the trailer and the bank itself from a file on disk. An
// unreadable file is reported as a damaged bank.
Bank ReadBankFile(const std::string& path);

// Five distinct question indexes out of count, in the order they are asked.
std::vector<int> ChooseQuestions(int count, std::mt19937& random);

}  // namespace ravx::bank
