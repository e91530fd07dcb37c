// The solution checker and the conventions of the training tasks: every
// reference solution solves its task, and wrong variants of them fail with
// the reason a student needs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "machine/Host.h"
#include "tests/tasks/Listing.h"
#include "mainwindow/TaskCheck.h"

using namespace ravx;
using namespace ravx::training;

namespace {

namespace fs = std::filesystem;

const std::map<std::string, TaskKind> kKindOfName = {
    {"standard", TaskKind::Standard}, {"game", TaskKind::Game},         {"game-psoo", TaskKind::GameWithPsoo},
    {"strobe", TaskKind::Strobed},    {"analysis", TaskKind::SensorAnalysis},
};

std::vector<uint8_t> TaskFile()
{
    std::ifstream in(RAVX_TASK_FILE, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TaskTerms Terms(int number, TaskKind kind)
{
    static const std::vector<uint8_t> file = TaskFile();
    std::string error;
    auto terms = ReadTaskTerms(file, number, kind, &error);
    if (!terms)
        ADD_FAILURE() << error;
    return terms.value_or(TaskTerms{});
}

fs::path Solution(int number, std::string_view kind)
{
    char name[32];
    std::snprintf(name, sizeof name, "%02d-%s.lst", number, std::string(kind).c_str());
    return fs::path(RAVX_SOLUTIONS) / name;
}

// A listing with some rows changed: {row, statement} pairs; an empty
// statement empties the row.
struct Edited {
    fs::path listing = {};
    std::vector<std::pair<uint16_t, std::string>> rows = {};
    std::optional<uint16_t> interrupt = {};
    std::vector<std::pair<uint8_t, uint8_t>> zg1 = {};  // index, value
    std::string_view listingKind = {};             // another kind's solution
    void operator()(Simulator& sim) const
    {
        tasks::LoadListing(listing.string(), sim);
        for (const auto& [row, statement] : rows)
            sim.program.rows[row].statement = statement;
        if (interrupt)
            sim.m.InterruptAddress = *interrupt;
        for (const auto& [index, value] : zg1)
            sim.ravx.Zg1[index] = value;
    }
};

CheckVerdict Check(int number, std::string_view kind, Edited edit = {})
{
    edit.listing = Solution(number, edit.listingKind.empty() ? kind : edit.listingKind);
    return CheckSolution(edit, Terms(number, kKindOfName.at(std::string(kind))));
}

}  // namespace

TEST(TaskSolutions, EveryTaskAndKindHasAReferenceSolutionThatSolvesIt)
{
    int checked = 0;
    for (int number = 1; number <= kTaskCount; ++number) {
        for (const auto& [name, kind] : kKindOfName) {
            const fs::path path = Solution(number, name);
            ASSERT_TRUE(fs::exists(path)) << path;
            std::string setup;
            const ProgramLoader load = [&](Simulator& sim) { setup = tasks::LoadListing(path.string(), sim); };
            const CheckVerdict v = CheckSolution(load, Terms(number, kind));
            EXPECT_TRUE(v.solved) << path.filename() << ": " << v.reason;
            EXPECT_EQ(SetupText(v.setup), setup) << path.filename();
            ++checked;
        }
    }
    EXPECT_EQ(checked, kTaskCount * kKindCount);
}

// Wrong variants of reference solutions, each with the reason it must give.
TEST(TaskSolutions, WrongVariantsFailWithTheirReason)
{
    struct Case {
        int number;
        std::string_view kind;
        Edited edit;
        std::string reason;  // a regular expression the reason must contain
    };
    const Case cases[] = {
        // left instead of right entry: task 4 asks for CW0 10h
        {4, "standard", {.rows = {{0x001, "mov al,00h"}}}, "верхняя линейка: нужно «··CHEГ-5», показано «CHEГ-5··»"},
        // the bottom row missing: the lower tetrads all F, which the pair blanks
        {5,
         "standard",
         {.rows = {{0x00C, "mov al,0fh"}, {0x00E, "mov al,1fh"}, {0x010, "mov al,2fh"}, {0x012, "mov al,3fh"}}},
         "нижняя линейка: нужно «4567····», показано «········»"},
        // a group ignored: the key codes are read and dropped
        {2, "game", {.rows = {{0x012, "nop"}}}, "на индикаторе ничего нет после 980 шагов \\(клавиши через 60"},
        // a wrong character: H written as E
        {1, "standard", {.rows = {{0x00C, "mov al,79h"}}}, "нужно «HELP1···», показано «EELP1···»"},
        // an error at a row
        {1, "standard", {.rows = {{0x00D, "out 2ah"}}}, "ошибка 7 «.+» в строке 00D на шаге \\d+$"},
        // a program that never shows anything
        {1, "standard", {.rows = {{0x00A, "jmp 0ah"}}}, "на индикаторе ничего нет после 800 шагов"},
        // the right text before any input: written by the program, not read
        {2,
         "game",
         {.rows = {{0x00C, "mov al,0ch"},
                   {0x00D, "out 2ah,al"},
                   {0x00E, "mov al,0ah"},
                   {0x00F, "out 2ah,al"},
                   {0x010, "mov al,0fh"},
                   {0x011, "out 2ah,al"},
                   {0x012, "mov al,0eh"},
                   {0x013, "out 2ah,al"},
                   {0x014, "jmp 14h"}}},
         "текст задания виден еще до ввода"},
        // the interrupt routine at another row than the task's ППОП address
        {6, "game-psoo", {.interrupt = 0x064}, "адрес начала ППОП в программе 064, а в задании 0A0"},
        // "Игровая" solved with an interrupt routine
        {6, "game", {.listingKind = "game-psoo"}, "вошла в прерывание"},
        // the right indicator from the wrong display RAM form: H by its key
        // code 10h, which ЗГ1 was taught to show, where КОИ-8 asks 48h
        {11,
         "standard",
         {.rows = {{0x00C, "mov al,10h"}}, .zg1 = {{0x10, 0x76}}},
         "позиция 0 \\(разряд «H»\\): записан 10h, а задание требует 48h — код в виде «КОИ-8»"},
        // the controller clock: 2 MHz programmed where the task says 1 MHz
        {1, "game", {.rows = {{0x003, "mov al,34h"}}}, "CW1: коэффициент деления 20, а для частоты ПККИ 1 МГц нужен 10"},
    };
    for (const Case& c : cases) {
        const CheckVerdict v = Check(c.number, c.kind, c.edit);
        EXPECT_FALSE(v.solved) << c.number << " " << c.kind;
        EXPECT_TRUE(std::regex_search(v.reason, std::regex(c.reason)))
            << c.number << " " << c.kind << ": " << v.reason << "\n  expected: " << c.reason;
    }
}

TEST(TaskConventions, ClockDivisorIsTheControllerFrequencyOver100kHz)
{
    const std::pair<std::string_view, std::optional<int>> cases[] = {
        {"1 МГц", 10}, {"2,5 МГц", 25}, {"3,1 МГц", 31}, {"3.1 МГц", 31}, {"500 кГц", 5},
        {"2,55 МГц", std::nullopt},  // not a whole multiple of 100 kHz
        {"4 МГц", std::nullopt},     // beyond the five bits of CW1
        {"3 ГГц", std::nullopt},     {"", std::nullopt},
    };
    for (const auto& [text, divisor] : cases)
        EXPECT_EQ(ClockDivisor(text), divisor) << text;
}

TEST(TaskConventions, P1NamesTheSensorRowsByTheirCodes)
{
    using Rows = std::array<uint8_t, 8>;
    EXPECT_EQ(SensorRows("Коды строк 0..3: 0C, 0A, 0F, 0E"), (Rows{0x0C, 0x0A, 0x0F, 0x0E, 0, 0, 0, 0}));
    EXPECT_EQ(SensorRows("Код строки 1: 05; код строки 3: 02"), (Rows{0, 0x05, 0, 0x02, 0, 0, 0, 0}));
    EXPECT_EQ(SensorRows("Коды строк 0 и 1: 07, 05"), (Rows{0x07, 0x05, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SensorRows("Код строки 0: 08; коды строк 1 и 2: 01, 06"), (Rows{0x08, 0x01, 0x06, 0, 0, 0, 0, 0}));
    for (std::string_view bad : {"Замкнут датчик строки 0, столбец 1", "Коды строк 0..3: 0C, 0A", "Код строки 1: 5",
                                 "Коды строк 0..3: b2, 0A, 0F, 0E, 11", ""})
        EXPECT_EQ(SensorRows(bad), std::nullopt) << bad;
}

TEST(TaskConventions, KeysAndDisplayRamForms)
{
    EXPECT_EQ(KeyFor("7")->code(), 0x07);
    EXPECT_EQ(KeyFor("b")->code(), 0x0B);  // a hexadecimal digit's key code is its value
    EXPECT_EQ(KeyFor("-")->code(), 0x1A);
    EXPECT_EQ(KeyFor("."), (KeyPosition{4, 0}));
    EXPECT_FALSE(KeyFor("#"));
    EXPECT_EQ(FormCode(kRamSegments, "H"), 0x76);
    EXPECT_EQ(FormCode(kRamKoi8, "H"), 0x48);
    EXPECT_EQ(FormCode(kRamKoi8, "d"), 0x60);  // the lab's table, as the fill window's button sets it
    EXPECT_EQ(FormCode(kRamKeyCode, "H"), 0x10);
    EXPECT_EQ(FormCode(kRamHex, "E"), 0x0E);
    EXPECT_EQ(FormCode(kRamHex, "="), 0x1C);
}

// Every task and kind decodes, and every character it asks for has its key
// and its code in the task's form: no task asks for input nobody can give.
TEST(TaskConventions, EveryShippedTaskCanBeEnteredAndChecked)
{
    for (int number = 1; number <= kTaskCount; ++number) {
        for (const auto& [name, kind] : kKindOfName) {
            const TaskTerms t = Terms(number, kind);
            ASSERT_FALSE(t.upper.empty()) << number << " " << name;
            ASSERT_TRUE(ClockDivisor(t.pkkiClock)) << number << " " << t.pkkiClock;
            if (kind == TaskKind::SensorAnalysis) {
                EXPECT_TRUE(SensorRows(t.p1)) << number << ": " << t.p1;
            }
            const bool typed = kind == TaskKind::Game || kind == TaskKind::GameWithPsoo || kind == TaskKind::Strobed;
            for (const TaskChar& c : t.upper) {
                if (typed && c.group >= 0) {
                    EXPECT_TRUE(KeyFor(c.text)) << number << " " << c.text;
                }
                if (t.ram != 0 && t.rows == 1) {
                    EXPECT_TRUE(FormCode(t.ram, c.text)) << number << " " << name << " " << c.text;
                }
            }
            const bool grouped =
                std::any_of(t.upper.begin(), t.upper.end(), [](const TaskChar& c) { return c.group >= 0; });
            EXPECT_TRUE(grouped || kind == TaskKind::Standard) << number << " " << name;
            EXPECT_EQ(t.lower.empty(), t.rows == 1) << number << " " << name;
        }
    }
}

// The two game kinds differ in the task file, not only in the routine.
TEST(TaskConventions, TheGameKindsDifferInEveryTask)
{
    for (int number = 1; number <= kTaskCount; ++number) {
        const TaskTerms game = Terms(number, TaskKind::Game), psoo = Terms(number, TaskKind::GameWithPsoo);
        EXPECT_TRUE(game.ram != psoo.ram || game.codeGenerator != psoo.codeGenerator) << number;
    }
}

TEST(TaskConventions, TheKindLineSaysWhatTheKindAsks)
{
    const TaskTerms psoo = Terms(6, TaskKind::GameWithPsoo);
    EXPECT_NE(KindSummary(psoo).find("ППОП со строки 0A0"), std::string::npos) << KindSummary(psoo);
    EXPECT_NE(KindSummary(psoo).find("CW1 = 34h"), std::string::npos);
    EXPECT_NE(KindSummary(Terms(6, TaskKind::Game)).find("без прерываний"), std::string::npos);
    EXPECT_NE(KindSummary(Terms(7, TaskKind::Strobed)).find("код клавиши, КГ переводит его в «7 сегм»"),
              std::string::npos);
    EXPECT_NE(KindSummary(Terms(1, TaskKind::Standard)).find("ввода нет"), std::string::npos);
}

// A setup the conventions do not allow is named before anything runs.
TEST(TaskSolutions, TheStudentsOwnSettingsAreCheckedFirst)
{
    const fs::path path = Solution(7, "strobe");
    const ProgramLoader load = [&](Simulator& sim) { tasks::LoadListing(path.string(), sim); };
    const TaskTerms t = Terms(7, TaskKind::Strobed);
    EXPECT_TRUE(CheckSolution(load, t, GeneratorSetup{0, true}).solved);
    const CheckVerdict v = CheckSolution(load, t, GeneratorSetup{0, false});
    EXPECT_FALSE(v.solved);
    EXPECT_EQ(v.reason, "в настройке без знакогенератора, а задание требует без знакогенератора, КГ");
}
