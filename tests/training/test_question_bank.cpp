#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "machine/Codepage.h"
#include "tests/mainwindow/TempDir.h"
#include "tools/bankbuild/Fairness.h"
#include "tools/bankbuild/QuestionSource.h"
#include "training/QuestionBank.h"

namespace ravx::bank {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Record(const std::string& utf8Question, const std::vector<std::pair<std::string, bool>>& answers)
{
    Bytes r;
    const std::string q = Utf8ToCp1251(utf8Question);
    r.insert(r.end(), q.begin(), q.end());
    r.push_back(kQuestionEnd);
    for (const auto& [text, correct] : answers) {
        const std::string a = Utf8ToCp1251(text);
        r.insert(r.end(), a.begin(), a.end());
        r.push_back(correct ? kCorrectAnswerEnd : kWrongAnswerEnd);
    }
    return r;
}

std::vector<Bytes> SampleRecords(int count)
{
    std::vector<Bytes> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(Record("Вопрос " + std::to_string(i), {{"да", true}, {"нет", false}}));
    }
    return records;
}

// A stand-in for an executable: long enough that the bank offset reads as one.
Bytes ScratchFile() { return Bytes(static_cast<std::size_t>(kMinBankOffset) + 17, 0xCC); }

Bytes WithBank(const std::vector<Bytes>& records, uint16_t key)
{
    Bytes file = ScratchFile();
    const Bytes bank = BuildBank(records, key, file.size());
    file.insert(file.end(), bank.begin(), bank.end());
    return file;
}

void PutInt32(Bytes& b, std::size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    }
}

TEST(Scramble, FixedVectorComputedByHand)
{
    // K = 0102h: hi(K) = 01, lo(K) = 02.
    // Byte 1: s = ((258 + 1) * 75) mod 65537 - 1 = 19425 - 1 = 19424 = 4BE0h.
    //   (41h XOR E0h) = A1h; XOR 01h = A0h; + 4Bh = EBh; - 02h = E9h.
    // Byte 2: s = ((19424 + 1) * 75) mod 65537 - 1 = 1456875 - 22 * 65537 - 1 = 15060 = 3AD4h.
    //   (42h XOR D4h) = 96h; XOR 01h = 97h; + 3Ah = D1h; - 02h = CFh.
    const Bytes plain{0x41, 0x42};
    EXPECT_EQ(Scramble(plain, 0x0102), (Bytes{0xE9, 0xCF}));
    EXPECT_EQ(Unscramble(Bytes{0xE9, 0xCF}, 0x0102), plain);
}

TEST(Scramble, RoundTripForManyKeys)
{
    Bytes plain(600);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        plain[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    for (uint32_t key = 0; key <= 0xFFFF; key += 251) {
        const Bytes scrambled = Scramble(plain, static_cast<uint16_t>(key));
        EXPECT_NE(scrambled, plain) << key;
        EXPECT_EQ(Unscramble(scrambled, static_cast<uint16_t>(key)), plain) << key;
    }
}

TEST(Record, ParsesQuestionAnswersAndMarks)
{
    const Question q =
        ParseRecord(Record("Строка 1|строка 2", {{"нет", false}, {"да|верно", true}, {"тоже да", true}}));
    EXPECT_EQ(q.text, "Строка 1\nстрока 2");
    ASSERT_EQ(q.answers.size(), 3u);
    EXPECT_EQ(q.answers[0].text, "нет");
    EXPECT_FALSE(q.answers[0].correct);
    EXPECT_EQ(q.answers[1].text, "да\nверно");
    EXPECT_TRUE(q.answers[1].correct);
    EXPECT_TRUE(q.answers[2].correct);
}

TEST(Record, EndBytesBelowThreeMarkWrongAnswers)
{
    const Bytes r{'Q', 1, 'a', 0, 'b', 1, 'c', 2, 'd', 3};
    const Question q = ParseRecord(r);
    ASSERT_EQ(q.answers.size(), 4u);
    EXPECT_FALSE(q.answers[0].correct);
    EXPECT_FALSE(q.answers[1].correct);
    EXPECT_FALSE(q.answers[2].correct);
    EXPECT_TRUE(q.answers[3].correct);
}

TEST(Record, AnswerLinesAreCutAfter64Characters)
{
    struct Case {
        std::string text;
        std::vector<std::size_t> lines;
    };
    const std::vector<Case> cases = {
        {std::string(130, 'x'), {64, 64, 2}},
        {std::string(64, 'x'), {64}},
        {std::string(60, 'x') + "|" + std::string(70, 'y'), {60, 64, 6}},
        {"", {0}},
    };
    for (const auto& c : cases) {
        std::vector<std::size_t> lengths;
        std::size_t start = 0;
        const std::string wrapped = WrapAnswerText(c.text);
        for (std::size_t nl; (nl = wrapped.find('\n', start)) != std::string::npos; start = nl + 1) {
            lengths.push_back(nl - start);
        }
        lengths.push_back(wrapped.size() - start);
        EXPECT_EQ(lengths, c.lines) << c.text;
    }
}

TEST(Record, AnswerLinesWrapAtTheirLastBlankWithin64Characters)
{
    const std::string x63(63, 'x'), x64(64, 'x'), y70(70, 'y');
    struct Case {
        std::string text, wrapped;  // UTF-8, as the test window shows them
    };
    const std::vector<Case> cases = {
        {"Передаёт управление строке 014 (20 десятичное), ничего не сохраняя",
         "Передаёт управление строке 014 (20 десятичное), ничего не\nсохраняя"},
        {x64 + " yy", x64 + "\nyy"},                                   // the blank right after a full line
        {x63 + " yy", x63 + "\nyy"},                                   // the last blank within the line
        {"a " + y70, "a\n" + std::string(64, 'y') + "\n" + "yyyyyy"},  // a word longer than a line is cut
        {"abc de|" + x63 + " yy", "abc de\n" + x63 + "\nyy"},          // "|" starts the count afresh
        {"слово " + x64, "слово\n" + x64},                             // a whole-line word moves down whole
        {"коротко и ясно", "коротко и ясно"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1251ToUtf8(WrapAnswerText(Utf8ToCp1251(c.text))), c.wrapped) << c.text;
    }
    // twenty nine-letter words: six fit a line (59 characters), every line ends at a word
    std::string words;
    for (int i = 0; i < 20; ++i)
        words += "abcdefghi ";
    std::string line = "abcdefghi";
    for (int i = 1; i < 6; ++i)
        line += " abcdefghi";
    EXPECT_EQ(WrapAnswerText(words), line + "\n" + line + "\n" + line + "\nabcdefghi abcdefghi ");
}

TEST(Record, ChecksCatchEveryBrokenRule)
{
    struct Case {
        Bytes record;
        bool ok;
    };
    std::vector<std::pair<std::string, bool>> nine(9, {"a", true});
    const std::vector<Case> cases = {
        {Record("Q", {{"a", true}, {"b", false}}), true},
        {Record("Q", {{"a", false}, {"b", false}}), false},                   // no correct answer
        {Record("Q", {{"a", true}}), false},                                  // one answer
        {Record("Q", nine), false},                                           // nine answers
        {Bytes{'Q', 'a', 3}, false},                                          // question without end byte 1
        {Bytes{'Q', 1, 'a', 3, 'b'}, false},                                  // last answer without end byte
        {Record(std::string(994, 'q'), {{"a", true}, {"b", false}}), true},   // 999 bytes
        {Record(std::string(995, 'q'), {{"a", true}, {"b", false}}), false},  // 1000 bytes
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(CheckRecord(cases[i].record).empty(), cases[i].ok) << i;
    }
}

TEST(Bank, BuiltBankReadsBackFromTheWholeFileAndFromItsTail)
{
    const auto records = SampleRecords(7);
    const Bytes file = WithBank(records, 0xBEEF);
    const Bank whole = ReadBank(file);
    ASSERT_EQ(whole.status, BankStatus::Ok) << whole.problem;
    EXPECT_EQ(whole.key, 0xBEEF);
    EXPECT_EQ(whole.records, records);

    const std::size_t t = ScratchFile().size();
    const Bank tail = ReadBank(std::span(file).subspan(t), t);
    ASSERT_EQ(tail.status, BankStatus::Ok) << tail.problem;
    EXPECT_EQ(tail.records, records);
}

TEST(Bank, RecordsAreStoredScrambled)
{
    const Bytes file = WithBank(SampleRecords(5), 0x1234);
    const std::string plain = Utf8ToCp1251("Вопрос 0");
    EXPECT_EQ(std::search(file.begin(), file.end(), plain.begin(), plain.end()), file.end());
}

TEST(Bank, NoBankWhenTheTrailerIsBelowTheLimit)
{
    Bytes file = ScratchFile();
    EXPECT_EQ(ReadBank(file).status, BankStatus::NoBank);
    PutInt32(file, file.size() - 4, kMinBankOffset - 1);
    EXPECT_EQ(ReadBank(file).status, BankStatus::NoBank);
    EXPECT_EQ(ReadBank(Bytes{1, 2}).status, BankStatus::NoBank);
    EXPECT_EQ(ReadBank(Bytes{}).status, BankStatus::NoBank);
}

TEST(Bank, DamagedBanksAreReported)
{
    const Bytes good = WithBank(SampleRecords(6), 0x4242);
    const std::size_t t = ScratchFile().size();
    const std::size_t trailer = good.size() - 4;
    struct Case {
        const char* what;
        std::size_t at;
        int32_t value;
    };
    const std::vector<Case> cases = {
        {"bank past the end", trailer, static_cast<int32_t>(good.size())},
        {"four questions", t, 4},
        {"256 questions", t, 256},
        {"negative count", t, -1},
        {"record before the table", t + 6, static_cast<int32_t>(t)},
        {"record past the trailer", t + 6 + 4, static_cast<int32_t>(trailer + 1)},
        {"records out of order", t + 6 + 8, static_cast<int32_t>(t + 6 + 6 * 4)},
    };
    for (const auto& c : cases) {
        Bytes file = good;
        PutInt32(file, c.at, c.value);
        const Bank bank = ReadBank(file);
        EXPECT_EQ(bank.status, BankStatus::Damaged) << c.what;
        EXPECT_FALSE(bank.problem.empty()) << c.what;
        EXPECT_TRUE(bank.records.empty()) << c.what;
    }
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(t + 10));
    cut.insert(cut.end(), good.end() - 4, good.end());
    EXPECT_EQ(ReadBank(cut).status, BankStatus::Damaged);
}

TEST(Bank, FileReaderRefusesABankLongerThanTheFormatAllows)
{
    filetest::TempDir dir;
    const std::string path = dir.File("big");
    Bytes file(static_cast<std::size_t>(kMinBankOffset) * 5, 0);
    PutInt32(file, file.size() - 4, kMinBankOffset);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    EXPECT_EQ(ReadBankFile(path).status, BankStatus::Damaged);
    EXPECT_EQ(ReadBankFile(dir.File("missing")).status, BankStatus::Damaged);
}

TEST(Bank, EveryByteFlipIsReadWithoutLeavingTheBytes)
{
    const Bytes good = WithBank(SampleRecords(5), 0x0A0B);
    const std::size_t t = ScratchFile().size();
    for (std::size_t at = t; at < good.size(); ++at) {
        Bytes file = good;
        file[at] ^= 0x5A;
        const Bank bank = ReadBank(std::span(file).subspan(t), t);
        if (bank.status == BankStatus::Ok) {
            EXPECT_EQ(bank.records.size(), 5u);
        }
    }
}

TEST(Choice, FiveDistinctQuestionsRepeatableBySeed)
{
    for (uint32_t seed = 0; seed < 200; ++seed) {
        std::mt19937 a(seed);
        std::mt19937 b(seed);
        const auto chosen = ChooseQuestions(30, a);
        ASSERT_EQ(chosen.size(), 5u);
        EXPECT_EQ(std::set<int>(chosen.begin(), chosen.end()).size(), 5u);
        for (int i : chosen) {
            EXPECT_TRUE(i >= 0 && i < 30);
        }
        EXPECT_EQ(ChooseQuestions(30, b), chosen);
    }
    std::mt19937 r(7);
    const auto all = ChooseQuestions(5, r);
    EXPECT_EQ(std::set<int>(all.begin(), all.end()), (std::set<int>{0, 1, 2, 3, 4}));
}

std::string SourceOf(int questions, const std::string& extra = {})
{
    std::string s = "# пример\n";
    for (int i = 0; i < questions; ++i) {
        s += "? Вопрос " + std::to_string(i + 1) + "\n+ да\n- нет\n\n";
    }
    return s + extra;
}

TEST(Source, ParsesIntoCheckedRecords)
{
    const auto records = ParseQuestionSource(SourceOf(5, "? Последний|вопрос\n- а\n+ б\n- в\n"));
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0], Record("Вопрос 1", {{"да", true}, {"нет", false}}));
    EXPECT_EQ(records[5], Record("Последний|вопрос", {{"а", false}, {"б", true}, {"в", false}}));
}

TEST(Source, MistakesNameTheQuestion)
{
    struct Case {
        std::string source;
        std::string message;  // a part of the message
    };
    const std::vector<Case> cases = {
        {SourceOf(5, "? Шестой\n+ да\n"), "вопрос 6"},
        {SourceOf(5, "? Шестой\n- а\n- б\n"), "вопрос 6"},
        {SourceOf(5, "? Шестой\n+ 1\n+ 2\n+ 3\n+ 4\n+ 5\n+ 6\n+ 7\n+ 8\n+ 9\n"), "вопрос 6"},
        {SourceOf(5, "? Шестой " + std::string(1000, 'x') + "\n+ да\n- нет\n"), "вопрос 6"},
        {SourceOf(5, "? Знак × не входит в 1251\n+ да\n- нет\n"), "вопрос 6"},
        {"+ ответ без вопроса\n" + SourceOf(5), "строка 1"},
        {SourceOf(5, "* что это\n"), "строка"},
        {SourceOf(4), "вопросов 4"},
    };
    for (const auto& c : cases) {
        try {
            ParseQuestionSource(c.source);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const SourceError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(Source, AppendingTwiceLeavesOneBank)
{
    filetest::TempDir dir;
    const std::string path = dir.File("app");
    {
        const Bytes scratch = ScratchFile();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(scratch.data()), static_cast<std::streamsize>(scratch.size()));
    }
    const auto first = SampleRecords(5);
    AppendBankToFile(path, first, 0x1111);
    const auto size = std::filesystem::file_size(path);
    const auto second = SampleRecords(6);
    AppendBankToFile(path, second, 0x2222);
    const Bank bank = ReadBankFile(path);
    ASSERT_EQ(bank.status, BankStatus::Ok) << bank.problem;
    EXPECT_EQ(bank.key, 0x2222);
    EXPECT_EQ(bank.records, second);
    EXPECT_EQ(std::filesystem::file_size(path), size + BuildBank(second, 0, 0).size() - BuildBank(first, 0, 0).size());
}

TEST(Source, TooSmallFileIsRefused)
{
    filetest::TempDir dir;
    const std::string path = dir.File("small");
    std::ofstream(path) << "tiny";
    EXPECT_THROW(AppendBankToFile(path, SampleRecords(5), 1), SourceError);
    EXPECT_EQ(std::filesystem::file_size(path), 4u);
}

// A fixture bank: `questions` questions of four answers, `correct` of them
// correct, at the first places.
std::vector<Question> CorrectFirst(int questions, int correct)
{
    std::vector<Question> bank;
    for (int i = 0; i < questions; ++i) {
        Question q{"вопрос " + std::to_string(i), {}};
        for (int k = 0; k < 4; ++k)
            q.answers.push_back({"ответ " + std::to_string(k), k < correct});
        bank.push_back(q);
    }
    return bank;
}

double ShareOf(const std::vector<BlindShare>& shares, const std::string& strategy)
{
    for (const BlindShare& s : shares)
        if (s.strategy == strategy)
            return s.share;
    ADD_FAILURE() << "no strategy " << strategy;
    return -1;
}

TEST(Fairness, BlindStrategiesOverEveryDraw)
{
    // correct answers first: ticking only the first box passes every draw
    auto shares = BlindPassShares(CorrectFirst(6, 1));
    EXPECT_DOUBLE_EQ(ShareOf(shares, "только первый ответ"), 1.0);
    EXPECT_DOUBLE_EQ(ShareOf(shares, "только ответ 2"), 0.0);
    EXPECT_DOUBLE_EQ(ShareOf(shares, "все ответы"), 0.0);  // 5 good, 15 bad
    EXPECT_DOUBLE_EQ(ShareOf(shares, "знающий студент"), 1.0);
    // three correct of four: ticking every box passes
    shares = BlindPassShares(CorrectFirst(7, 3));
    EXPECT_DOUBLE_EQ(ShareOf(shares, "все ответы"), 1.0);
    EXPECT_DOUBLE_EQ(ShareOf(shares, "только первый ответ"), 0.0);  // 5 of 15 is not more than half

    // Exact shares against counting the draws one by one: box 1 correct in
    // 3 of 8 questions (one correct answer each). A draw passes with box 1
    // when at least 3 of its 5 questions have it: C(3,3)*C(5,2) = 10 of
    // C(8,5) = 56 draws.
    std::vector<Question> mixed = CorrectFirst(8, 0);
    for (int i = 0; i < 8; ++i)
        mixed[static_cast<size_t>(i)].answers[i < 3 ? 0 : 1].correct = true;
    shares = BlindPassShares(mixed);
    EXPECT_NEAR(ShareOf(shares, "только первый ответ"), 10.0 / 56, 1e-12);
    EXPECT_NEAR(ShareOf(shares, "только ответ 2"), 1.0 - 10.0 / 56, 1e-12);  // fails only with all three
    // the longest answer, else the first of equal ones: made the correct one
    // in the five questions of box 2, it passes as box 2 did
    for (int i = 3; i < 8; ++i)
        mixed[static_cast<size_t>(i)].answers[1].text = "самый длинный ответ";
    EXPECT_NEAR(ShareOf(BlindPassShares(mixed), "только самый длинный ответ"), 1.0, 1e-12);
}

// The bank that ships: read from the built application when there is one,
// else built from the source into a scratch file. It keeps the examiner's
// rules stated at the top of the source.
TEST(ShippedBank, WellFormedAndFairQuestions)
{
    filetest::TempDir dir;
    std::ifstream in(RAVX_QUESTION_SOURCE, std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto fromSource = ParseQuestionSource(source);
#ifdef RAVX_EXECUTABLE
    const std::string path = RAVX_EXECUTABLE;
#else
    const std::string path = dir.File("app");
    {
        const Bytes scratch = ScratchFile();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(scratch.data()), static_cast<std::streamsize>(scratch.size()));
    }
    AppendBankToFile(path, fromSource, 0x5A5A);
#endif
    const Bank bank = ReadBankFile(path);
    ASSERT_EQ(bank.status, BankStatus::Ok) << bank.problem;
    ASSERT_GE(bank.records.size(), 30u);
    EXPECT_EQ(bank.records, fromSource) << "the bank is older than its source";
    std::set<std::string> texts;
    std::vector<Question> questions;
    for (const auto& record : bank.records) {
        EXPECT_EQ(CheckRecord(record), "");
        const Question q = ParseRecord(record);
        EXPECT_FALSE(q.text.empty());
        EXPECT_GE(q.answers.size(), 2u);
        EXPECT_LE(q.answers.size(), kMaxAnswers);
        const auto correct = std::count_if(q.answers.begin(), q.answers.end(), [](const Answer& a) { return a.correct; });
        EXPECT_TRUE(correct == 1 || correct == 2) << q.text;
        texts.insert(q.text);
        questions.push_back(q);
    }
    EXPECT_EQ(texts.size(), bank.records.size()) << "a question is repeated";
    const auto shares = BlindPassShares(questions);
    for (size_t i = 0; i + 1 < shares.size(); ++i)
        EXPECT_LE(shares[i].share, kMaxBlindPassShare) << shares[i].strategy;
    EXPECT_EQ(shares.back().strategy, "знающий студент");
    EXPECT_DOUBLE_EQ(shares.back().share, 1.0);
}

}  // namespace
}  // namespace ravx::bank
