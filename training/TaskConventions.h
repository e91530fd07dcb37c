// The lab's conventions for the training tasks.
//
// A task in one kind, read from the task file, says what the indicators must
// show at the end; the conventions say how the characters of its groups reach
// the program (which key, which strobe byte, which sensors), how the controller
// clock follows from the task, and which generator settings may show it. The
// solution checker (mainwindow/TaskCheck) runs programs by them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "training/TaskFile.h"

namespace ravx::training {

// One position of the upper row: a character as the indicator shows it
// (UTF-8) and the group it belongs to (-1 outside the groups).
struct TaskChar {
    std::string text;
    int group = -1;
};

// A task in one kind, decoded from its record.
struct TaskTerms {
    int number = 1;
    TaskKind kind = TaskKind::Standard;
    bool rightEntry = false;  // "C мл. разрядов"
    int width = 8;            // 16, 8 or 4
    int rows = 1;             // 1 or 2
    uint8_t ram = 0;          // kRamSegments..kRamHex; 0 in "Анализ МД"
    bool codeGenerator = false;
    bool lowDigitBelow = false;  // "Анализ МД"
    std::vector<TaskChar> upper;
    std::vector<std::string> lower;  // the second-row list (two rows only)
    std::string p1, p2;
    uint16_t ppop = 0;
    std::string cpuClock, pkkiClock;
};

// Reads task `number` (1..22) in `kind`; nothing, with `error` set, for a
// record that does not decode (short file, a byte outside its list, a bad
// address or character).
std::optional<TaskTerms> ReadTaskTerms(std::span<const uint8_t> file, int number, TaskKind kind,
                                     std::string* error = nullptr);

// Texts for the messages: "34h", "«КОИ-8»".
std::string ByteText(uint8_t v);
std::string RamFormName(uint8_t ram);

// ---- the conventions ----------------------------------------------------------

// The key that stands for a character: row and column of the input matrix,
// Ctrl and Shift never pressed. Its key code is row * 8 + column, so a
// hexadecimal digit's key code is its value.
struct KeyPosition {
    int row = 0;
    int column = 0;
    uint8_t code() const { return static_cast<uint8_t>(row * 8 + column); }
    friend bool operator==(const KeyPosition&, const KeyPosition&) = default;
};
std::optional<KeyPosition> KeyFor(std::string_view character);
// The characters of the key layout, row by row (8 per row).
extern const std::vector<std::vector<std::string_view>> kKeyLayout;

// The value of a hexadecimal digit as the indicator shows it (0..9 A b C d E F).
std::optional<uint8_t> HexDigitValue(std::string_view character);

// The controller clock divisor (CW1 bits 4..0) for a frequency text such as
// "2,5 МГц": the frequency over 100 kHz.
std::optional<int> ClockDivisor(std::string_view frequency);

// "П1" of "Анализ МД" read as the sensor rows' codes (bit j: the sensor of
// column j closed; rows not named are open), e.g. "Коды строк 0..3: 0C, 0A,
// 0F, 0E" or "Код строки 1: 05; код строки 3: 02".
std::optional<std::array<uint8_t, 8>> SensorRows(std::string_view p1);

// What "П2" of "Анализ МД" asks the indicators to show, as a function of the
// sensor rows' codes. Read from the wording of П2 and confirmed against the
// task's own text: the rule must give that text from the codes of П1.
enum class AnalysisRule {
    LowDigits,          // group i: the low digit of row i's code
    HighOverLow,        // two rows: high digit of row i's code above, low digit below
    RowNumbersOverLow,  // two rows: row number i above, the low digit of its code below
    ClosedColumn,       // the column of the one closed sensor
    ClosedRow,          // the row with closed sensors
    ClosedCount,        // the number of closed sensors
};
std::optional<AnalysisRule> AnalysisRuleOf(const TaskTerms& task);

// ---- the check's input scripts --------------------------------------------------

// Step budgets of the check: before the first input, between two inputs and
// after the last the program has this many steps to come to rest (to wait
// for input or stop); one that still changes the indicators then is refused.
inline constexpr uint64_t kCheckStepBudget = 200000;
// A program that has not come to rest within the budget counts as showing
// its result when the indicators did not change in this many last steps.
inline constexpr uint64_t kCheckStableSteps = 20000;

// How a script's inputs are given: each after the program has come to rest
// (the indicators are judged before the first and after every input), or
// one after another at short gaps while the program is still busy.
enum class ScriptPace { AtRest, Busy };

// One input: the characters' keys or strobe bytes are given one at a time;
// the sensors of a row all at once.
struct ScriptInput {
    std::string character = {};  // the character a key or strobe stands for
    KeyPosition key = {};
    std::array<uint8_t, 8> sensors = {};  // "Анализ МД": the rows' codes after this input
};

// One run of the check: the inputs, their pace, and what the indicators
// must show once all of them are taken.
struct CheckScript {
    std::string name = {};  // how the input came, for the verdict ("клавиши C A F E по одной")
    ScriptPace pace = ScriptPace::AtRest;
    std::vector<ScriptInput> inputs = {};
    std::vector<std::string> upper = {};  // the whole upper row's characters
    std::vector<int> groupAt = {};        // indexes into `upper` of the characters taken from input
    std::vector<std::string> lower = {};
    bool varied = false;  // the input differs from the task's own
};

// The scripts a task's check runs: for the kinds with input at least three,
// one of them with other input than the task's own (the group characters in
// another order, another character where all are the same, other sensors).
// Empty, with `problem` set, for a task that cannot be checked.
std::vector<CheckScript> CheckScripts(const TaskTerms& task, std::string* problem = nullptr);

// What the kind asks, in one line for the tasks window.
std::string KindSummary(const TaskTerms& task);
// What its check gives the program and how long it waits, in one line.
std::string CheckSummary(const TaskTerms& task);

// ---- settings and verdicts ------------------------------------------------------

// The generator settings a check ran with.
struct GeneratorSetup {
    int generator = 0;  // 0 none, 1, 2, 3 (the pair 3/4)
    bool codeGenerator = false;
    friend bool operator==(const GeneratorSetup&, const GeneratorSetup&) = default;
};
std::string SetupText(const GeneratorSetup& s);
// What to change in the settings so that `have` becomes one of `allowed`,
// naming the setting ("подключите кодогенератор").
std::string SetupMismatch(const GeneratorSetup& have, const std::vector<GeneratorSetup>& allowed);
// The settings the conventions allow for the task, in the order tried.
std::vector<GeneratorSetup> AllowedSetups(const TaskTerms& task);

struct CheckVerdict {
    bool solved = false;
    std::string reason;    // the first difference, in the student's words
    GeneratorSetup setup;  // the settings of the run reported
};

}  // namespace ravx::training
