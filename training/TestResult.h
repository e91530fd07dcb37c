// What the entry test counts, when it is passed, the texts it shows, and the
// bytes of the result record that the teacher's results window reads back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "training/QuestionBank.h"

namespace ravx::result {

inline constexpr std::size_t kValueSize = 8;
using Value8 = std::array<uint8_t, kValueSize>;

// Data1: the record key's low byte, one random byte, five scrambled bytes
// (total, good, bad and two random fillers), the record key's high byte.
inline constexpr std::size_t kData1KeyLo = 0;
inline constexpr std::size_t kData1Filler = 1;
inline constexpr std::size_t kData1Counters = 2;
inline constexpr std::size_t kData1CounterRun = 5;
inline constexpr std::size_t kData1CountersRead = 4;
inline constexpr std::size_t kData1KeyHi = 7;
// Each byte of a record key is drawn from 0..254.
inline constexpr int kMaxKeyByte = 254;

inline constexpr const char* kPassedText = "Тест пройден успешно";
inline constexpr const char* kFailedText = "Вы не справились с заданием";
inline constexpr const char* kEntryPassedText = "Тест пройден";
inline constexpr const char* kEntryFailedText = "Тест не пройден";
inline constexpr const char* kStoreFailedText = "Ошибка записи результатов. Обратитесь к преподавателю!";
inline constexpr const char* kNoQuestionsText = "Отсутствуют вопросы!";
inline constexpr const char* kMissingDataText = "Не введены необходимые данные!";
// The results window lists a repeated name once per take, cut here.
inline constexpr char kRepeatMark = '~';

struct Counters {
    uint8_t total = 0;  // correct answers among the questions shown
    uint8_t good = 0;   // correct answers ticked
    uint8_t bad = 0;    // wrong answers ticked

    // Adds one asked question; ticked[k] tells whether answer k was ticked.
    void Score(const bank::Question& question, const std::vector<bool>& ticked);
};

bool IsPassed(const Counters& c);

// The test window's result state.
struct TestTexts {
    std::string total;  // "7"
    std::string good;   // "5 (71%)", percent of total
    std::string bad;    // "1 (16%)", percent of the ticked answers
    std::string verdict;
    bool passed = false;
};
TestTexts MakeTestTexts(const Counters& c);

// The results window's fields for one stored record.
struct EntryTexts {
    std::string total;
    std::string good;  // percent of total
    std::string bad;   // percent of total
    std::string verdict;
    bool passed = false;
};
EntryTexts MakeEntryTexts(const Counters& c);

// "Контрольная сумма :": group, machine, port text and the error counter.
std::string ChecksumText(int group, int machine, const std::string& portText, unsigned errorCounter);

// A repeated take's key name as the list shows it: up to the first "~".
std::string DisplayName(const std::string& keyName);

// Date-times as days since 30 December 1899, the fraction being the time of
// day; the results store keeps them in this form.
struct CivilTime {
    int year = 1899;
    unsigned month = 12;
    unsigned day = 30;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    unsigned millisecond = 0;
};
double ToDays(const CivilTime& t);
// Empty for a value that is no date (not finite, or outside the years 100..9999).
std::optional<CivilTime> FromDays(double days);

Value8 DateBytes(double days);
double DateFromBytes(const Value8& bytes);

// Old records are purged by the results window's "Ввод": those dated more
// than ten days before today, counted in real days across months and years.
// A record dated after today is kept.
bool IsRecordOld(const CivilTime& record, const CivilTime& today);

uint16_t MakeRecordKey(std::mt19937& random);

struct RecordValues {
    Value8 date{};      // "Date"
    Value8 data0{};     // "Data0"
    std::string group;  // "Key"
    Value8 data1{};     // "Data1"
};

RecordValues MakeRecord(double days, const std::string& group, const Counters& c, std::mt19937& random);
// The same with the key and the three filler bytes given, for exact checks.
RecordValues MakeRecord(double days, const std::string& group, const Counters& c, uint16_t key,
                        const std::array<uint8_t, 3>& fillers);

struct DecodedRecord {
    Counters counters;
    double days = 0;
};
DecodedRecord DecodeRecord(const Value8& data0, const Value8& data1);

}  // namespace ravx::result
