#include "training/TestResult.h"

#include <bit>
#include <chrono>
#include <cmath>

namespace ravx::result {

namespace {

constexpr int kPassPercent = 50;
constexpr double kHundred = 100.0;
constexpr int kMaxAgeDays = 10;
constexpr double kMillisecondsPerDay = 86400000.0;
// 1 January 100 and 31 December 9999 as days since 30 December 1899.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;

constexpr std::chrono::sys_days kEpoch = std::chrono::year{1899} / 12 / 30;

// A percentage computed in floating point and truncated toward zero; a zero
// divisor counts as 1.
std::string Percent(unsigned part, unsigned whole)
{
    const double p = part * kHundred / (whole == 0 ? 1 : whole);
    return std::to_string(static_cast<long long>(std::trunc(p)));
}

std::string CountWithPercent(unsigned count, unsigned whole)
{
    return std::to_string(count) + " (" + Percent(count, whole) + "%)";
}

}  // namespace

void Counters::Score(const bank::Question& question, const std::vector<bool>& ticked)
{
    for (std::size_t k = 0; k < question.answers.size(); ++k) {
        const bool correct = question.answers[k].correct;
        const bool isTicked = k < ticked.size() && ticked[k];
        total += correct;
        if (isTicked) {
            ++(correct ? good : bad);
        }
    }
}

bool IsPassed(const Counters& c)
{
    // total * 50 / 100 is never negative, so integer division truncates it.
    return c.good > c.total * kPassPercent / 100 && c.good > c.bad;
}

TestTexts MakeTestTexts(const Counters& c)
{
    TestTexts t;
    t.passed = IsPassed(c);
    t.total = std::to_string(c.total);
    t.good = CountWithPercent(c.good, c.total);
    t.bad = CountWithPercent(c.bad, c.good + c.bad);
    t.verdict = t.passed ? kPassedText : kFailedText;
    return t;
}

EntryTexts MakeEntryTexts(const Counters& c)
{
    EntryTexts t;
    t.passed = IsPassed(c);
    t.total = std::to_string(c.total);
    t.good = CountWithPercent(c.good, c.total);
    t.bad = CountWithPercent(c.bad, c.total);
    t.verdict = t.passed ? kEntryPassedText : kEntryFailedText;
    return t;
}

std::string ChecksumText(int group, int machine, const std::string& portText, unsigned errorCounter)
{
    return std::to_string(group) + " " + std::to_string(machine) + " " + portText + " " + std::to_string(errorCounter);
}

std::string DisplayName(const std::string& keyName) { return keyName.substr(0, keyName.find(kRepeatMark)); }

double ToDays(const CivilTime& t)
{
    using namespace std::chrono;
    const sys_days date = year{t.year} / month{t.month} / day{t.day};
    const double ms = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
    return static_cast<double>((date - kEpoch).count()) + ms / kMillisecondsPerDay;
}

std::optional<CivilTime> FromDays(double days)
{
    using namespace std::chrono;
    if (!std::isfinite(days) || days < kFirstDay || days >= kLastDay + 1) {
        return std::nullopt;
    }
    double whole = std::floor(days);
    auto ms = static_cast<long long>(std::llround((days - whole) * kMillisecondsPerDay));
    if (ms >= static_cast<long long>(kMillisecondsPerDay)) {
        whole += 1;
        ms = 0;
    }
    const year_month_day ymd{kEpoch + std::chrono::days{static_cast<int>(whole)}};
    CivilTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<unsigned>(ymd.month());
    t.day = static_cast<unsigned>(ymd.day());
    t.millisecond = static_cast<unsigned>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<unsigned>(ms % 60);
    ms /= 60;
    t.minute = static_cast<unsigned>(ms % 60);
    t.hour = static_cast<unsigned>(ms / 60);
    return t;
}

Value8 DateBytes(double days)
{
    const auto bits = std::bit_cast<uint64_t>(days);
    Value8 out{};
    for (std::size_t i = 0; i < kValueSize; ++i) {
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
    return out;
}

double DateFromBytes(const Value8& bytes)
{
    uint64_t bits = 0;
    for (std::size_t i = 0; i < kValueSize; ++i) {
        bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    }
    return std::bit_cast<double>(bits);
}

bool IsRecordOld(const CivilTime& record, const CivilTime& today)
{
    using namespace std::chrono;
    const year_month_day r{year{static_cast<int>(record.year)}, month{record.month}, day{record.day}};
    const year_month_day t{year{static_cast<int>(today.year)}, month{today.month}, day{today.day}};
    if (!r.ok() || !t.ok())
        return false;  // a date that is none is never old enough to lose a record
    // A record dated after today (a clock set back) is kept.
    return (sys_days{t} - sys_days{r}).count() > kMaxAgeDays;
}

uint16_t MakeRecordKey(std::mt19937& random)
{
    std::uniform_int_distribution<int> byte(0, kMaxKeyByte);
    const int hi = byte(random);
    const int lo = byte(random);
    return static_cast<uint16_t>(hi << 8 | lo);
}

RecordValues MakeRecord(double days, const std::string& group, const Counters& c, std::mt19937& random)
{
    const uint16_t key = MakeRecordKey(random);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::array<uint8_t, 3> fillers{static_cast<uint8_t>(byte(random)), static_cast<uint8_t>(byte(random)),
                                         static_cast<uint8_t>(byte(random))};
    return MakeRecord(days, group, c, key, fillers);
}

RecordValues MakeRecord(double days, const std::string& group, const Counters& c, uint16_t key,
                        const std::array<uint8_t, 3>& fillers)
{
    RecordValues r;
    r.date = DateBytes(days);
    const auto data0 = bank::Scramble(r.date, key);
    std::copy(data0.begin(), data0.end(), r.data0.begin());
    r.group = group;
    const std::array<uint8_t, kData1CounterRun> counters{c.total, c.good, c.bad, fillers[1], fillers[2]};
    const auto scrambled = bank::Scramble(counters, key);
    r.data1[kData1KeyLo] = static_cast<uint8_t>(key & 0xFF);
    r.data1[kData1Filler] = fillers[0];
    std::copy(scrambled.begin(), scrambled.end(), r.data1.begin() + kData1Counters);
    r.data1[kData1KeyHi] = static_cast<uint8_t>(key >> 8);
    return r;
}

DecodedRecord DecodeRecord(const Value8& data0, const Value8& data1)
{
    const auto key = static_cast<uint16_t>(data1[kData1KeyHi] << 8 | data1[kData1KeyLo]);
    const auto counters = bank::Unscramble(std::span(data1).subspan(kData1Counters, kData1CountersRead), key);
    const auto date = bank::Unscramble(data0, key);
    DecodedRecord d;
    d.counters = {counters[0], counters[1], counters[2]};
    Value8 dateBytes{};
    std::copy(date.begin(), date.end(), dateBytes.begin());
    d.days = DateFromBytes(dateBytes);
    return d;
}

}  // namespace ravx::result
