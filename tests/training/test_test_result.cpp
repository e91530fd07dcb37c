#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "training/TestResult.h"

namespace ravx::result {
namespace {

TEST(PassRule, TotalFiveAndTotalFour)
{
    struct Case {
        uint8_t total, good, bad;
        bool passed;
    };
    const std::vector<Case> cases = {
        {5, 3, 0, true}, {5, 3, 2, true},  {5, 3, 3, false}, {5, 2, 0, false}, {5, 2, 2, false},
        {5, 5, 4, true}, {4, 2, 0, false}, {4, 3, 3, false}, {4, 3, 2, true},  {4, 4, 0, true},
    };
    for (const auto& c : cases) {
        const Counters counters{c.total, c.good, c.bad};
        EXPECT_EQ(IsPassed(counters), c.passed) << int(c.total) << " " << int(c.good) << " " << int(c.bad);
        EXPECT_EQ(MakeTestTexts(counters).verdict, c.passed ? kPassedText : kFailedText);
        EXPECT_EQ(MakeEntryTexts(counters).verdict, c.passed ? kEntryPassedText : kEntryFailedText);
    }
}

TEST(Texts, PercentagesAreTruncated)
{
    const TestTexts t = MakeTestTexts({7, 5, 2});
    EXPECT_EQ(t.total, "7");
    EXPECT_EQ(t.good, "5 (71%)");  // 71.43
    EXPECT_EQ(t.bad, "2 (28%)");   // of the 7 ticked: 28.57
    const EntryTexts e = MakeEntryTexts({7, 5, 2});
    EXPECT_EQ(e.good, "5 (71%)");
    EXPECT_EQ(e.bad, "2 (28%)");  // of total: 28.57
    const EntryTexts e2 = MakeEntryTexts({6, 3, 1});
    EXPECT_EQ(e2.bad, "1 (16%)");  // of total, not of the 4 ticked
    EXPECT_EQ(MakeTestTexts({6, 3, 1}).bad, "1 (25%)");
}

TEST(Texts, NothingTickedCountsTheDivisorAsOne)
{
    const TestTexts t = MakeTestTexts({5, 0, 0});
    EXPECT_EQ(t.good, "0 (0%)");
    EXPECT_EQ(t.bad, "0 (0%)");
    EXPECT_FALSE(t.passed);
}

TEST(Counting, TickingEveryBoxPassesOnlyWithFewerWrongAnswers)
{
    bank::Question mostlyRight{"q", {{"a", true}, {"b", true}, {"c", false}}};
    bank::Question mostlyWrong{"q", {{"a", true}, {"b", false}, {"c", false}}};
    Counters passes;
    Counters fails;
    for (int i = 0; i < 5; ++i) {
        passes.Score(mostlyRight, {true, true, true});
        fails.Score(mostlyWrong, {true, true, true});
    }
    EXPECT_EQ(passes.total, 10);
    EXPECT_EQ(passes.good, 10);
    EXPECT_EQ(passes.bad, 5);
    EXPECT_TRUE(IsPassed(passes));
    EXPECT_EQ(fails.good, 5);
    EXPECT_EQ(fails.bad, 10);
    EXPECT_FALSE(IsPassed(fails));
}

TEST(Counting, UntickedBoxesCountNothing)
{
    Counters c;
    c.Score({"q", {{"a", true}, {"b", false}, {"c", true}}}, {false, true});
    c.Score({"no answers", {}}, {true});
    EXPECT_EQ(c.total, 2);
    EXPECT_EQ(c.good, 0);
    EXPECT_EQ(c.bad, 1);
}

TEST(Dates, DaysSince30December1899)
{
    EXPECT_DOUBLE_EQ(ToDays({1899, 12, 30}), 0.0);
    EXPECT_DOUBLE_EQ(ToDays({1900, 1, 1}), 2.0);
    EXPECT_DOUBLE_EQ(ToDays({2000, 1, 1, 18, 0, 0}), 36526.75);
    const CivilTime t{2026, 3, 5, 13, 45, 30, 250};
    const auto back = FromDays(ToDays(t));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->year, 2026);
    EXPECT_EQ(back->month, 3u);
    EXPECT_EQ(back->day, 5u);
    EXPECT_EQ(back->hour, 13u);
    EXPECT_EQ(back->minute, 45u);
    EXPECT_EQ(back->second, 30u);
    EXPECT_EQ(back->millisecond, 250u);
}

TEST(Dates, ValuesThatAreNoDateAreRefused)
{
    EXPECT_FALSE(FromDays(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(FromDays(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(FromDays(1e300));
    EXPECT_FALSE(FromDays(-1e6));
}

TEST(Record, BytesForAFixedKeyAndDate)
{
    // 5 March 2026, 12:00 is day 46086.5 = 40E680D000000000h as a double.
    const double days = ToDays({2026, 3, 5, 12, 0, 0});
    const RecordValues r = MakeRecord(days, "ИВТ-21", {5, 3, 1}, 0x0102, {0x77, 0x11, 0x22});
    EXPECT_EQ(r.date, (Value8{0x00, 0x00, 0x00, 0x00, 0xD0, 0x80, 0xE6, 0x40}));
    // The date scrambled with key 0102h as one run of eight bytes.
    EXPECT_EQ(r.data0, (Value8{0x2A, 0x0D, 0x8E, 0xCC, 0x5F, 0xC6, 0x84, 0x0B}));
    // Key low byte, filler, scrambled 5, 3, 1, 11h, 22h, key high byte.
    EXPECT_EQ(r.data1, (Value8{0x02, 0x77, 0x2D, 0x0E, 0x8F, 0xDB, 0x11, 0x01}));
    EXPECT_EQ(r.group, "ИВТ-21");

    const DecodedRecord d = DecodeRecord(r.data0, r.data1);
    EXPECT_EQ(d.counters.total, 5);
    EXPECT_EQ(d.counters.good, 3);
    EXPECT_EQ(d.counters.bad, 1);
    EXPECT_DOUBLE_EQ(d.days, days);
}

TEST(Record, RandomKeysStayBelowFFInEachByteAndDecode)
{
    std::mt19937 random(99);
    for (int i = 0; i < 500; ++i) {
        const uint16_t key = MakeRecordKey(random);
        EXPECT_LE(key >> 8, kMaxKeyByte);
        EXPECT_LE(key & 0xFF, kMaxKeyByte);
        const Counters c{static_cast<uint8_t>(i % 40), static_cast<uint8_t>(i % 7), static_cast<uint8_t>(i % 5)};
        const RecordValues r = MakeRecord(40000.25 + i, "g", c, random);
        const DecodedRecord d = DecodeRecord(r.data0, r.data1);
        EXPECT_EQ(d.counters.total, c.total);
        EXPECT_EQ(d.counters.good, c.good);
        EXPECT_EQ(d.counters.bad, c.bad);
        EXPECT_DOUBLE_EQ(d.days, 40000.25 + i);
    }
}

TEST(Purge, TheTenDayRule)
{
    struct Case {
        CivilTime record, today;
        bool old;
    };
    const std::vector<Case> cases = {
        {{2026, 4, 2}, {2026, 4, 12}, false},   // 10 days
        {{2026, 4, 1}, {2026, 4, 12}, true},    // 11 days
        {{2026, 4, 2}, {2026, 4, 2}, false},    // today
        {{2026, 1, 25}, {2026, 3, 2}, true},    // 36 days over a short February
        {{2026, 2, 20}, {2026, 3, 2}, false},   // 10 days over February
        {{2024, 2, 20}, {2024, 3, 2}, true},    // 11 days: a leap year
        {{2025, 12, 31}, {2026, 1, 1}, false},  // yesterday, in another year
        {{2025, 12, 20}, {2026, 1, 1}, true},   // 12 days, in another year
        {{2026, 4, 20}, {2026, 4, 2}, false},   // dated later than today: a clock set back
        {{2027, 4, 2}, {2026, 4, 2}, false},    // a later year
        {{2026, 2, 30}, {2026, 4, 2}, false},   // no date at all
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRecordOld(c.record, c.today), c.old)
            << c.record.year << "-" << c.record.month << "-" << c.record.day << " seen " << c.today.month << "-"
            << c.today.day;
    }
}

TEST(Texts, ChecksumAndDisplayName)
{
    EXPECT_EQ(ChecksumText(1, 1, "2A", 0), "1 1 2A 0");
    EXPECT_EQ(ChecksumText(9, 20, "A8", 12), "9 20 A8 12");
    EXPECT_EQ(DisplayName("Ученик"), "Ученик");
    EXPECT_EQ(DisplayName("Ученик~~"), "Ученик");
    EXPECT_EQ(DisplayName("~"), "");
}

}  // namespace
}  // namespace ravx::result
