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
    bool ownRows = false;                          // the rows replace the listing's statements from row 00C on
    void operator()(Simulator& sim) const
    {
        tasks::LoadListing(listing.string(), sim);
        if (ownRows)
            for (std::size_t r = 0x00C; r < sim.program.rows.size(); ++r)
                sim.program.rows[r].statement.clear();
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

// Variants of reference solutions: sound ones a student may write are solved,
// wrong ones fail with the reason a student needs.
TEST(TaskSolutions, SoundAndWrongVariants)
{
    using Rows = std::vector<std::pair<uint16_t, std::string>>;
    // 9:game, E2-E4: the keys' codes are written as they come, "-" after the second
    const Rows game9Delay = {{0x00C, "mov bx,0"},   {0x00D, "mov al,40h"}, {0x00E, "out 2bh,al"},
                             {0x00F, "in al,2bh"},  {0x010, "test al,0fh"}, {0x011, "jz 0fh"},
                             {0x012, "in al,2ah"},  {0x013, "out 2ah,al"}, {0x014, "mov cx,350"},
                             {0x015, "loop 15h"},   {0x016, "inc bl"},     {0x017, "cmp bl,2"},
                             {0x018, "jnz 1bh"},    {0x019, "mov al,1ah"}, {0x01A, "out 2ah,al"},
                             {0x01B, "jmp 0fh"}};
    // the dash only when the third key comes
    const Rows game9LateDash = {{0x00C, "mov bx,0"},   {0x00D, "mov al,40h"}, {0x00E, "out 2bh,al"},
                                {0x00F, "in al,2bh"},  {0x010, "test al,0fh"}, {0x011, "jz 0fh"},
                                {0x012, "cmp bl,2"},   {0x013, "jnz 16h"},    {0x014, "mov al,1ah"},
                                {0x015, "out 2ah,al"}, {0x016, "in al,2ah"},  {0x017, "out 2ah,al"},
                                {0x018, "inc bl"},     {0x019, "jmp 0fh"}};
    const Rows game9Text = {{0x011, "mov al,0eh"}, {0x012, "out 2ah,al"}, {0x013, "mov al,02h"},
                            {0x014, "out 2ah,al"}, {0x015, "mov al,1ah"}, {0x016, "out 2ah,al"},
                            {0x017, "mov al,0eh"}, {0x018, "out 2ah,al"}, {0x019, "mov al,04h"},
                            {0x01A, "out 2ah,al"}, {0x01B, "jmp 1bh"}};
    auto with = [](Rows head, const Rows& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    // 3:game-psoo, 12-34 in КОИ-8: the keys polled and written by the main program, which
    // then calls the routine (a bare IRET) through a typed entry, again and again
    auto polledPsoo = [](std::string entry) {
        return Rows{{0x00C, "mov bx,0"},   {0x00D, "mov al,40h"}, {0x00E, "out 2bh,al"}, {0x00F, "in al,2bh"},
                    {0x010, "test al,0fh"}, {0x011, "jz 0fh"},     {0x012, "in al,2ah"},  {0x013, "out 2ah,al"},
                    {0x014, "inc bl"},     {0x015, "cmp bl,2"},   {0x016, "jnz 19h"},    {0x017, "mov al,2dh"},
                    {0x018, "out 2ah,al"}, {0x019, "cmp bl,4"},   {0x01A, "jnz 0fh"},    {0x01B, "nop"},
                    {0x01C, std::move(entry)}, {0x080, "iret"}};
    };
    struct Case {
        int number;
        std::string_view kind;
        Edited edit;
        std::string reason;  // a regular expression the reason must contain; empty: solved
    };
    const Case cases[] = {
        // ---- sound programs ----
        // one character at a time, a 300-pass delay loop after each
        {6,
         "standard",
         {.rows = {{0x00C, "mov al,50h"}, {0x00D, "out 2ah,al"}, {0x00E, "mov cx,300"}, {0x00F, "loop 0fh"},
                   {0x010, "mov al,3dh"}, {0x011, "out 2ah,al"}, {0x012, "mov cx,300"}, {0x013, "loop 13h"},
                   {0x014, "mov al,37h"}, {0x015, "out 2ah,al"}, {0x016, "mov cx,300"}, {0x017, "loop 17h"},
                   {0x018, "mov al,35h"}, {0x019, "out 2ah,al"}, {0x01A, "jmp 1ah"}},
          .ownRows = true},
         ""},
        // a 350-pass delay after each key: the keys typed meanwhile wait in the FIFO
        {9, "game", {.rows = game9Delay, .ownRows = true}, ""},
        // the dash put when its turn comes, with the next key
        {9, "game", {.rows = game9LateDash, .ownRows = true}, ""},
        // a pass counter in the waiting loop: the program never repeats its state, but its
        // indicators stand still while it waits
        {9, "game", {.rows = {{0x00F, "inc si"}, {0x010, "in al,2bh"}, {0x011, "test al,0fh"}, {0x012, "jz 0fh"},
                              {0x013, "in al,2ah"}, {0x014, "out 2ah,al"}, {0x015, "inc bl"}, {0x016, "cmp bl,2"},
                              {0x017, "jnz 1ah"}, {0x018, "mov al,1ah"}, {0x019, "out 2ah,al"}, {0x01A, "jmp 0fh"},
                              {0x00C, "mov bx,0"}, {0x00D, "mov al,40h"}, {0x00E, "out 2bh,al"}},
                     .ownRows = true}, ""},
        // ---- wrong programs ----
        // the status polled, then the task's text written as constants
        {9,
         "game",
         {.rows = with({{0x00C, "mov al,40h"}, {0x00D, "out 2bh,al"}, {0x00E, "in al,2bh"}, {0x00F, "test al,0fh"},
                        {0x010, "jz 0eh"}},
                       game9Text),
          .ownRows = true},
         "программа ни разу не прочитала FIFO"},
        // a delay, then the constant text
        {9,
         "game",
         {.rows = with({{0x00C, "mov cx,400"}, {0x00D, "loop 0dh"}, {0x00E, "nop"}, {0x00F, "nop"}, {0x010, "nop"}},
                       game9Text),
          .ownRows = true},
         "текст задания виден еще до ввода"},
        {21,
         "strobe",
         {.rows = {{0x00C, "mov cx,400"}, {0x00D, "loop 0dh"}, {0x00E, "mov al,32h"}, {0x00F, "out 2ah,al"},
                   {0x010, "mov al,30h"}, {0x011, "out 2ah,al"}, {0x012, "mov al,32h"}, {0x013, "out 2ah,al"},
                   {0x014, "mov al,36h"}, {0x015, "out 2ah,al"}, {0x016, "jmp 16h"}},
          .ownRows = true},
         "текст задания виден еще до ввода"},
        // the routine reads each key, drops it and writes the next character of a table
        {3,
         "game-psoo",
         {.rows = {{0x00C, "mov bx,0"},      {0x00D, "mov ax,31h"},  {0x00E, "mov [200],ax"}, {0x00F, "mov ax,32h"},
                   {0x010, "mov [201],ax"},  {0x011, "mov ax,33h"},  {0x012, "mov [202],ax"}, {0x013, "mov ax,34h"},
                   {0x014, "mov [203],ax"},  {0x015, "mov al,40h"},  {0x016, "out 2bh,al"},   {0x017, "sti"},
                   {0x018, "nop"},           {0x019, "jmp 18h"},     {0x080, "push ax"},      {0x081, "in al,2ah"},
                   {0x082, "mov al,[bx+200]"}, {0x083, "out 2ah,al"}, {0x084, "inc bl"},      {0x085, "cmp bl,2"},
                   {0x086, "jnz 89h"},       {0x087, "mov al,2dh"},  {0x088, "out 2ah,al"},   {0x089, "pop ax"},
                   {0x08A, "iret"}},
          .ownRows = true},
         "программа не следует вводу: после 1-го символа \\(«2»\\) показано «1·······», как при вводе задания "
         "\\(клавиши в другом порядке: 2 3 4 1\\)"},
        // the sensors never read: the count written as a constant
        {14,
         "analysis",
         {.rows = {{0x101, "nop"}, {0x102, "nop"}, {0x103, "nop"}, {0x104, "nop"}, {0x116, "mov al,2"}, {0x117, "nop"}}},
         "программа ни разу не прочитала ОЗУ датчиков"},
        // polling where the kind asks for the interrupt, the routine called by a typed entry
        {3, "game-psoo", {.rows = polledPsoo("INTCALL"), .ownRows = true}, "вход в прерывание по линии INT не наступил ни разу.*строка «INTCALL» в программе — не прерывание"},
        {3, "game-psoo", {.rows = polledPsoo("intcall"), .ownRows = true}, "не наступил ни разу.*строка «INTCALL»"},
        // CW1 left out where its reset value happens to be the divisor 31 (3,1 МГц)
        {21, "strobe", {.rows = {{0x003, "nop"}, {0x004, "nop"}}}, "программа не записала CW1 \\(частота ПККИ\\)"},
        // CW6 left out: the display RAM keeps what the random source put there
        {9,
         "game",
         {.rows = {{0x005, "nop"}, {0x006, "nop"}, {0x007, "nop"}, {0x008, "nop"}, {0x009, "nop"}}},
         "лишние символы в разрядах, которые должны быть пустыми.*случайное содержимое ОЗУ индикации после сброса "
         "\\(проверка с начальным значением генератора случайных чисел \\d+\\): очистите ОЗУ индикации командой CW6"},
        // interrupts left enabled in "Игровая": named before the ППОП address or the error it leads to
        {9, "game", {.rows = {{0x000, "nop"}}}, "^в виде «Игровая» прерывания не используются.*вошла в прерывание на шаге"},
        {9, "game", {.rows = {{0x000, "nop"}}, .interrupt = 0x064}, "^в виде «Игровая» прерывания не используются"},
        // left instead of right entry: task 4 asks for CW0 10h
        {4, "standard", {.rows = {{0x001, "mov al,00h"}}}, "верхняя линейка: нужно «··CHEГ-5», показано «CHEГ-5··»"},
        // the bottom row missing: the lower tetrads all F, which the pair blanks
        {5,
         "standard",
         {.rows = {{0x00C, "mov al,0fh"}, {0x00E, "mov al,1fh"}, {0x010, "mov al,2fh"}, {0x012, "mov al,3fh"}}},
         "нижняя линейка: нужно «4567····», показано «········»"},
        // a group ignored: the key codes are read and dropped
        {2, "game", {.rows = {{0x012, "nop"}}}, "после 1-го символа \\(«C»\\) верхняя линейка: нужно «C·······», показано «········» \\(клавиши C A F E по одной"},
        // a wrong character: H written as E
        {1, "standard", {.rows = {{0x00C, "mov al,79h"}}}, "нужно «HELP1···», показано «EELP1···»"},
        // an error at a row
        {1, "standard", {.rows = {{0x00D, "out 2ah"}}}, "ошибка 7 «.+» в строке 00D на шаге \\d+$"},
        // the FIFO read without a look at the status: error 21 at its row, not a display
        {2, "game", {.rows = {{0x00E, "nop"}, {0x00F, "nop"}, {0x010, "nop"}}}, "^ошибка 21 «.+» в строке 011 на шаге \\d+"},
        // a display that never stops changing: the same loop for ever, writing a new byte each time
        {1,
         "standard",
         {.rows = {{0x00C, "inc al"}, {0x00D, "out 2ah,al"}, {0x00E, "jmp 0ch"}}, .ownRows = true},
         "^индикатор все еще меняется через 200 000 шагов после пуска: программа должна вывести текст"},
        // a program that never shows anything
        {1, "standard", {.rows = {{0x00A, "jmp 0ah"}}}, "на индикаторе ничего нет после \\d+ шагов"},
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
        // the right indicator from the wrong display RAM form: H by its key
        // code 10h, which ЗГ1 was taught to show, where КОИ-8 asks 48h
        {11,
         "standard",
         {.rows = {{0x00C, "mov al,10h"}}, .zg1 = {{0x10, 0x76}}},
         "позиция 0 \\(разряд «H»\\): записан 10h, а задание требует 48h — код в виде «КОИ-8»"},
        // КОИ-8 is the lab's table: "d" is 60h, not the standard encoding's 64h
        {10,
         "standard",
         {.rows = {{0x00C, "mov al,64h"}, {0x012, "mov al,64h"}}, .zg1 = {{0x64, 0x5E}}},
         "\\(разряд «d»\\): записан 64h, а задание требует 60h — код в виде «КОИ-8»"},
        // the controller clock: 2 MHz programmed where the task says 1 MHz
        {1, "game", {.rows = {{0x003, "mov al,34h"}}}, "CW1: коэффициент деления 20, а для частоты ПККИ 1 МГц нужен 10"},
    };
    for (const Case& c : cases) {
        const CheckVerdict v = Check(c.number, c.kind, c.edit);
        if (c.reason.empty()) {
            EXPECT_TRUE(v.solved) << c.number << " " << c.kind << ": " << v.reason;
            continue;
        }
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
            // the check can give input that asks for another display than the task's own
            std::string problem;
            const auto scripts = CheckScripts(t, &problem);
            ASSERT_FALSE(scripts.empty()) << number << " " << name << ": " << problem;
            if (kind != TaskKind::Standard) {
                ASSERT_GE(scripts.size(), 3u) << number << " " << name;
                EXPECT_TRUE(std::any_of(scripts.begin(), scripts.end(), [&](const CheckScript& s) {
                    return s.varied && (s.upper != scripts[0].upper || s.lower != scripts[0].lower);
                })) << number << " " << name;
                for (const CheckScript& s : scripts)
                    for (const ScriptInput& in : s.inputs)
                        if (kind != TaskKind::SensorAnalysis) {
                            EXPECT_TRUE(t.ram == 0 || t.rows == 2 || FormCode(t.ram, in.character))
                                << number << " " << name << " " << in.character;
                        }
            }
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
    EXPECT_EQ(v.reason,
              "в настройке не подключен кодогенератор, а задание его требует: отметьте «Подключить кодогенератор»");
    const CheckVerdict both = CheckSolution(load, t, GeneratorSetup{1, false});
    EXPECT_EQ(both.reason, "в настройке выбран знакогенератор «1», а задание требует «Нет»: выберите нужный в группе "
                           "«Подключенный знакогенератор»; не подключен кодогенератор, а задание его требует: "
                           "отметьте «Подключить кодогенератор»");
}
