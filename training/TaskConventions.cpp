#include "training/TaskConventions.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "machine/Codepage.h"
#include "machine/_Asm_text.h"

namespace ravx::training {

namespace {

constexpr unsigned kLastStatementRow = 0x1F2;  // the ППОП address names a statement row

bool IsSeparator(char c) { return c == ';' || c == ' ' || c == ','; }

int WidthOf(uint8_t code)
{
    switch (code) {
    case kWidth16: return 16;
    case kWidth8: return 8;
    case kWidth4: return 4;
    default: return 0;
    }
}

std::vector<TaskChar> UpperChars(std::string_view cp1251)
{
    std::vector<TaskChar> out;
    int group = -1;
    int groups = 0;
    for (char c : cp1251) {
        if (IsSeparator(c))
            continue;
        if (c == '(') {
            group = groups++;
        } else if (c == ')') {
            group = -1;
        } else {
            out.push_back({Cp1251ToUtf8(std::string_view(&c, 1)), group});
        }
    }
    return out;
}

}  // namespace

std::string ByteText(uint8_t v) { return hex2(v).str() + "h"; }

std::string RamFormName(uint8_t ram) { return "«" + RamContentsText(ram).value_or("?") + "»"; }

std::optional<TaskTerms> ReadTaskTerms(std::span<const uint8_t> file, int number, TaskKind kind, std::string* error)
{
    auto fail = [&](std::string why) -> std::optional<TaskTerms> {
        if (error)
            *error = "задание " + std::to_string(number) + ": " + std::move(why);
        return std::nullopt;
    };
    if (number < 1 || number > kTaskCount)
        return fail("номер вне 1..22");
    const std::size_t base = static_cast<std::size_t>(number - 1) * kRecordSize;
    if (file.size() < base + kRecordSize)
        return fail("файл заданий короче записи");
    const auto record = file.subspan(base, kRecordSize);
    TaskTerms t;
    t.number = number;
    t.kind = kind;
    const int k = static_cast<int>(kind);
    const bool analysis = kind == TaskKind::SensorAnalysis;
    std::size_t at = analysis ? kAnalysisBytesOffset : kKindBytesOffset + kKindBytesSize * k;
    t.rightEntry = record[at++] == kOrderLowFirst;
    if (!analysis) {
        t.ram = record[at++];
        if (!RamContentsText(t.ram))
            return fail("неизвестный вид данных в ОЗУ индикации");
    }
    t.width = WidthOf(record[at++]);
    t.rows = record[at];
    if (t.width == 0 || (t.rows != kRows1 && t.rows != kRows2))
        return fail("неизвестная разрядность или число линеек");
    const bool flag = record[kFlagsOffset + k] != kFlagNo;
    (analysis ? t.lowDigitBelow : t.codeGenerator) = flag;

    auto text = [&](std::size_t offset) { return ReadText(record, offset).value_or(std::string()); };
    t.upper = UpperChars(text(kIndicatorOffset));
    if (t.rows == kRows2)
        for (const std::string& item : LaySecondRow(text(kSecondRowOffset)))
            if (!item.empty())
                t.lower.push_back(item);
    t.p1 = Cp1251ToUtf8(text(kP1Offset));
    t.p2 = Cp1251ToUtf8(text(kP2Offset));
    t.cpuClock = Cp1251ToUtf8(text(kCpuClockOffset));
    t.pkkiClock = Cp1251ToUtf8(text(kPkkiClockOffset));
    const std::string ppop = text(kPpopOffset);
    unsigned address = 0;
    if (ppop.empty() || std::sscanf(ppop.c_str(), "%x", &address) != 1 || address > kLastStatementRow)
        return fail("адрес ППОП «" + ppop + "» не 16-ричный номер строки");
    t.ppop = static_cast<uint16_t>(address);
    if (static_cast<int>(t.upper.size()) > t.width || static_cast<int>(t.lower.size()) > t.width)
        return fail("текст длиннее разрядности дисплея");
    return t;
}

// ---- the conventions ----------------------------------------------------------

const std::vector<std::vector<std::string_view>> kKeyLayout = {
    {"0", "1", "2", "3", "4", "5", "6", "7"}, {"8", "9", "A", "b", "C", "d", "E", "F"},
    {"H", "J", "L", "P", "U", "o", "Г", "П"}, {"г", "п", "-", "_", "=", "'", "^", "]"},
    {".", "l", "I", "@"},
};

std::optional<KeyPosition> KeyFor(std::string_view character)
{
    for (std::size_t r = 0; r < kKeyLayout.size(); ++r)
        for (std::size_t c = 0; c < kKeyLayout[r].size(); ++c)
            if (kKeyLayout[r][c] == character)
                return KeyPosition{static_cast<int>(r), static_cast<int>(c)};
    return std::nullopt;
}

std::optional<uint8_t> HexDigitValue(std::string_view character)
{
    const auto key = KeyFor(character);
    if (key && key->code() < 16)
        return key->code();
    return std::nullopt;
}

std::optional<int> ClockDivisor(std::string_view frequency)
{
    std::string number;
    std::size_t i = 0;
    for (; i < frequency.size() && (std::isdigit(static_cast<unsigned char>(frequency[i])) || frequency[i] == ',' ||
                                    frequency[i] == '.');
         ++i)
        number += frequency[i] == ',' ? '.' : frequency[i];
    if (number.empty())
        return std::nullopt;
    double value = std::atof(number.c_str());
    const std::string_view unit = frequency.substr(i);
    if (unit.find("МГц") != std::string_view::npos)
        value *= 1000;
    else if (unit.find("кГц") == std::string_view::npos)
        return std::nullopt;
    const long divisor = std::lround(value / 100);
    if (divisor < 2 || divisor > 31 || std::fabs(divisor * 100 - value) > 1e-6)
        return std::nullopt;
    return static_cast<int>(divisor);
}

std::optional<std::array<uint8_t, 8>> SensorRows(std::string_view p1)
{
    std::array<uint8_t, 8> rows{};
    bool any = false;
    std::size_t start = 0;
    while (start < p1.size()) {
        std::size_t end = p1.find(';', start);
        if (end == std::string_view::npos)
            end = p1.size();
        const std::string_view part = p1.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = part.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        // the rows: single digits, "a..b" for a range
        std::vector<int> numbers;
        const std::string_view names = part.substr(0, colon);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] < '0' || names[i] > '7')
                continue;
            const int row = names[i] - '0';
            if (names.substr(i + 1, 2) == ".." && i + 3 < names.size() && names[i + 3] >= '0' && names[i + 3] <= '7') {
                for (int r = row; r <= names[i + 3] - '0'; ++r)
                    numbers.push_back(r);
                i += 3;
            } else {
                numbers.push_back(row);
            }
        }
        // the codes: two hexadecimal digits each
        std::vector<uint8_t> codes;
        const std::string_view values = part.substr(colon + 1);
        for (std::size_t i = 0; i < values.size();) {
            if (!std::isxdigit(static_cast<unsigned char>(values[i]))) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < values.size() && std::isxdigit(static_cast<unsigned char>(values[j])))
                ++j;
            if (j - i != 2)
                return std::nullopt;
            codes.push_back(static_cast<uint8_t>(std::stoi(std::string(values.substr(i, 2)), nullptr, 16)));
            i = j;
        }
        if (numbers.empty() || numbers.size() != codes.size())
            return std::nullopt;
        for (std::size_t n = 0; n < numbers.size(); ++n)
            rows[numbers[n]] = codes[n];
        any = true;
    }
    if (!any)
        return std::nullopt;
    return rows;
}

// ---- what "Анализ МД" shows ------------------------------------------------------

namespace {

bool Has(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

// A hexadecimal digit as the indicator shows it.
std::string DigitChar(unsigned value) { return std::string(kKeyLayout[value / 8 % 2][value % 8]); }

std::string Hex2(uint8_t v) { return hex2(v).str(); }

struct AnalysisShown {
    std::vector<std::string> groups, lower;
    friend bool operator==(const AnalysisShown&, const AnalysisShown&) = default;
};

// What the rule shows for the rows' codes, `groups` characters on top.
std::optional<AnalysisShown> ShownFor(AnalysisRule rule, const std::array<uint8_t, 8>& rows, std::size_t groups)
{
    AnalysisShown out;
    int closed = 0, closedRows = 0, row = -1, column = -1;
    for (int r = 0; r < 8; ++r) {
        if (rows[r] != 0) {
            ++closedRows;
            row = r;
        }
        for (int c = 0; c < 8; ++c)
            if (rows[r] & (1u << c)) {
                ++closed;
                column = c;
            }
    }
    switch (rule) {
    case AnalysisRule::LowDigits:
    case AnalysisRule::HighOverLow:
    case AnalysisRule::RowNumbersOverLow:
        if (groups > 8)
            return std::nullopt;
        for (std::size_t i = 0; i < groups; ++i) {
            if (rule == AnalysisRule::LowDigits) {
                out.groups.push_back(DigitChar(rows[i] & 0x0F));
                continue;
            }
            out.groups.push_back(DigitChar(rule == AnalysisRule::HighOverLow ? rows[i] >> 4 : i));
            out.lower.push_back(DigitChar(rows[i] & 0x0F));
        }
        return out;
    case AnalysisRule::ClosedColumn:
        if (closed != 1 || groups != 1)
            return std::nullopt;
        out.groups.push_back(DigitChar(column));
        return out;
    case AnalysisRule::ClosedRow:
        if (closedRows != 1 || groups != 1)
            return std::nullopt;
        out.groups.push_back(DigitChar(row));
        return out;
    case AnalysisRule::ClosedCount:
        if (groups != 1 || closed > 15)
            return std::nullopt;
        out.groups.push_back(DigitChar(closed));
        return out;
    }
    return std::nullopt;
}

std::vector<std::string> GroupChars(const TaskTerms& t)
{
    std::vector<std::string> out;
    for (const TaskChar& c : t.upper)
        if (c.group >= 0)
            out.push_back(c.text);
    return out;
}

std::optional<AnalysisRule> RuleFromWording(const TaskTerms& t)
{
    const std::string_view p2 = t.p2;
    if (t.rows == kRows2) {
        if (Has(p2, "номер строки"))
            return AnalysisRule::RowNumbersOverLow;
        if (Has(p2, "тарш"))
            return AnalysisRule::HighOverLow;
        return std::nullopt;
    }
    if (Has(p2, "столбц"))
        return AnalysisRule::ClosedColumn;
    if (Has(p2, "число"))
        return AnalysisRule::ClosedCount;
    if (Has(p2, "номер строк"))
        return AnalysisRule::ClosedRow;
    if (Has(p2, "цифр"))
        return AnalysisRule::LowDigits;
    return std::nullopt;
}

}  // namespace

std::optional<AnalysisRule> AnalysisRuleOf(const TaskTerms& t)
{
    if (t.kind != TaskKind::SensorAnalysis)
        return std::nullopt;
    const auto rule = RuleFromWording(t);
    const auto rows = SensorRows(t.p1);
    if (!rule || !rows)
        return std::nullopt;
    const auto groups = GroupChars(t);
    const auto shown = ShownFor(*rule, *rows, groups.size());
    if (!shown || shown->groups != groups || (t.rows == kRows2 && shown->lower != t.lower))
        return std::nullopt;
    return rule;
}

// ---- the check's input scripts --------------------------------------------------

namespace {

std::string Spaced(const std::vector<std::string>& chars)
{
    std::string s;
    for (const auto& c : chars)
        s += (s.empty() ? "" : " ") + c;
    return s;
}

std::string RowCodesText(const std::array<uint8_t, 8>& rows, std::size_t count)
{
    std::string s = count == 1 ? "код строки 0: " : "коды строк 0.." + std::to_string(count - 1) + ": ";
    for (std::size_t i = 0; i < count; ++i)
        s += (i ? ", " : "") + Hex2(rows[i]);
    return s;
}

// The upper row with the group characters replaced by `groups`, in order.
void FillUpper(const TaskTerms& t, const std::vector<std::string>& groups, CheckScript& s)
{
    std::size_t next = 0;
    for (std::size_t i = 0; i < t.upper.size(); ++i) {
        if (t.upper[i].group >= 0 && next < groups.size()) {
            s.groupAt.push_back(static_cast<int>(i));
            s.upper.push_back(groups[next++]);
        } else {
            s.upper.push_back(t.upper[i].text);
        }
    }
}

// Another character of the same sort: a digit for a digit, a letter digit
// for a letter digit, the next key otherwise.
std::string OtherCharacter(const std::string& c)
{
    if (const auto v = HexDigitValue(c))
        return DigitChar(*v < 10 ? (*v + 4) % 10 : 10 + (*v - 10 + 2) % 6);
    if (const auto key = KeyFor(c)) {
        const auto& row = kKeyLayout[key->row];
        return std::string(row[(key->column + 1) % row.size()]);
    }
    return c;
}

// The group characters in another order, or, all of them being the same,
// another character in their place; with the script's name.
std::pair<std::vector<std::string>, std::string> VariedCharacters(const std::vector<std::string>& chars, bool strobe)
{
    for (std::size_t k = 1; k < chars.size(); ++k) {
        std::vector<std::string> turned(chars.begin() + k, chars.end());
        turned.insert(turned.end(), chars.begin(), chars.begin() + k);
        if (turned != chars)
            return {turned,
                    std::string(strobe ? "символы по стробу" : "клавиши") + " в другом порядке: " + Spaced(turned)};
    }
    std::vector<std::string> other;
    for (const auto& c : chars)
        other.push_back(OtherCharacter(c));
    const bool one = chars.size() == 1;
    const std::string what = strobe ? (one ? "другой символ по стробу: " : "другие символы по стробу: ")
                                    : (one ? "другая клавиша: " : "другие клавиши: ");
    return {other, what + Spaced(other) + " вместо " + Spaced(chars)};
}

// Other sensors closed, so that the rule shows something else than the task.
std::pair<std::array<uint8_t, 8>, std::string> VariedSensors(AnalysisRule rule, const std::array<uint8_t, 8>& rows,
                                                             std::size_t groups)
{
    const auto shown = ShownFor(rule, rows, groups);
    std::array<uint8_t, 8> v{};
    switch (rule) {
    case AnalysisRule::LowDigits:
    case AnalysisRule::HighOverLow:
    case AnalysisRule::RowNumbersOverLow:
        for (std::size_t k = 1; k < groups; ++k) {
            v = {};
            for (std::size_t i = 0; i < groups; ++i)
                v[i] = rows[(i + k) % groups];
            if (ShownFor(rule, v, groups) != shown)
                return {v, "другие датчики: " + RowCodesText(v, groups)};
        }
        v = rows;
        v[0] ^= 0x05;  // another low digit in row 0
        return {v, "другие датчики: " + RowCodesText(v, std::max<std::size_t>(groups, 1))};
    case AnalysisRule::ClosedColumn:
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c)
                if (rows[r] & (1u << c)) {
                    v[r] = static_cast<uint8_t>(1u << (c + 4) % 8);
                    return {v, "другой датчик: строка " + std::to_string(r) + ", столбец " +
                                   std::to_string((c + 4) % 8)};
                }
        break;
    case AnalysisRule::ClosedRow:
        for (int r = 0; r < 8; ++r)
            if (rows[r] != 0) {
                v[(r + 2) % 8] = rows[r];
                return {v, "датчики в другой строке: код строки " + std::to_string((r + 2) % 8) + ": " +
                               Hex2(rows[r])};
            }
        break;
    case AnalysisRule::ClosedCount:
        for (int r = 0; r < 8; ++r)
            if (rows[r] != 0) {
                v = rows;
                const uint8_t clear = static_cast<uint8_t>(~rows[r]);
                v[r] = clear != 0 ? static_cast<uint8_t>(rows[r] | (clear & -clear)) : uint8_t{0x7F};
                return {v, "другое число датчиков: код строки " + std::to_string(r) + ": " + Hex2(v[r])};
            }
        break;
    }
    return {rows, {}};
}

}  // namespace

std::vector<CheckScript> CheckScripts(const TaskTerms& t, std::string* problem)
{
    auto fail = [&](std::string why) {
        if (problem)
            *problem = std::move(why);
        return std::vector<CheckScript>{};
    };
    if (t.kind == TaskKind::Standard) {
        CheckScript s;
        for (const TaskChar& c : t.upper)
            s.upper.push_back(c.text);
        s.lower = t.lower;
        return {s};
    }
    const auto groups = GroupChars(t);
    if (groups.empty())
        return fail("в тексте задания нет цветных групп");
    if (t.kind == TaskKind::SensorAnalysis) {
        const auto rows = SensorRows(t.p1);
        if (!rows)
            return fail("в П1 задания не указаны коды строк датчиков");
        const auto rule = AnalysisRuleOf(t);
        if (!rule)
            return fail("по П2 и П1 не получается текст задания");
        auto make = [&](std::string name, ScriptPace pace, const std::array<uint8_t, 8>& shownRows,
                        bool varied) {
            CheckScript s{std::move(name), pace};
            const auto shown = ShownFor(*rule, shownRows, groups.size());
            FillUpper(t, shown->groups, s);
            s.lower = t.rows == kRows2 ? shown->lower : t.lower;
            s.varied = varied;
            return s;
        };
        CheckScript together = make("датчики по П1 замкнуты все сразу", ScriptPace::AtRest, *rows, false);
        together.inputs.push_back({.sensors = *rows});
        CheckScript byRow = make("датчики по П1 замыкаются по строке", ScriptPace::Busy, *rows, false);
        std::array<uint8_t, 8> sofar{};
        for (int r = 0; r < 8; ++r)
            if ((*rows)[r] != 0) {
                sofar[r] = (*rows)[r];
                byRow.inputs.push_back({.sensors = sofar});
            }
        const auto [other, otherName] = VariedSensors(*rule, *rows, groups.size());
        CheckScript varied = make(otherName, ScriptPace::AtRest, other, true);
        varied.inputs.push_back({.sensors = other});
        return {together, byRow, varied};
    }
    const bool strobe = t.kind == TaskKind::Strobed;
    const std::string what = strobe ? "символы по стробу " : "клавиши ";
    auto make = [&](const std::vector<std::string>& chars, std::string name, ScriptPace pace, bool varied) {
        CheckScript s{std::move(name), pace};
        FillUpper(t, chars, s);
        s.lower = t.lower;
        s.varied = varied;
        for (const std::string& c : chars) {
            const auto key = KeyFor(c);
            if (!key)
                return std::optional<CheckScript>{};
            s.inputs.push_back({.character = c, .key = *key});
        }
        return std::optional<CheckScript>{s};
    };
    const auto [other, otherName] = VariedCharacters(groups, strobe);
    const bool one = groups.size() == 1;
    const std::string own = (one ? (strobe ? "символ по стробу " : "клавиша ") : what) + Spaced(groups);
    const auto slow = make(groups, own + (one ? "" : strobe ? " по одному" : " по одной") + ", когда программа ждет",
                           ScriptPace::AtRest, false);
    const auto fast =
        make(groups, own + (one ? " сразу" : " подряд") + ", пока программа занята", ScriptPace::Busy, false);
    const auto varied = make(other, otherName, ScriptPace::AtRest, true);
    if (!slow || !fast || !varied)
        return fail("для символа группы нет клавиши");
    return {*slow, *fast, *varied};
}

namespace {

std::string Cw1Text(const TaskTerms& t)
{
    const auto d = ClockDivisor(t.pkkiClock);
    if (!d)
        return {};
    return "; CW1 = " + ByteText(static_cast<uint8_t>(0x20 | *d));
}

}  // namespace

std::string KindSummary(const TaskTerms& t)
{
    std::string s;
    switch (t.kind) {
    case TaskKind::Standard: s = "Весь текст выводит сама программа, ввода нет"; break;
    case TaskKind::Game:
        s = "Цветные группы набираются клавишами; программа опрашивает FIFO без прерываний";
        if (t.codeGenerator)
            s += ", КГ переводит код клавиши в " + RamFormName(t.ram);
        break;
    case TaskKind::GameWithPsoo:
        s = "Цветные группы набираются клавишами; коды читает ППОП со строки " +
            std::string(hex4(t.ppop).view().substr(1));
        if (t.codeGenerator)
            s += ", КГ переводит код клавиши в " + RamFormName(t.ram);
        break;
    case TaskKind::Strobed:
        s = "Цветные группы приходят по стробу, байт на символ: ";
        s += t.codeGenerator ? "код клавиши, КГ переводит его в " + RamFormName(t.ram)
                             : "код символа в виде " + RamFormName(t.ram);
        break;
    case TaskKind::SensorAnalysis:
        s = "Датчики замкнуты по П1 (коды строк); программа читает ОЗУ датчиков и выводит результат по П2";
        break;
    }
    return s + Cw1Text(t);
}

std::string CheckSummary(const TaskTerms& t)
{
    const std::string budget = "до 200 000 шагов";
    static_assert(kCheckStepBudget == 200000);
    std::string problem;
    const auto scripts = CheckScripts(t, &problem);
    if (scripts.empty())
        return "Проверка невозможна: " + problem;
    if (t.kind == TaskKind::Standard)
        return "Проверка: без ввода; программа должна вывести текст и остановиться (или ждать) не позже чем через "
               "200 000 шагов";
    std::string s = "Проверка — " + std::to_string(scripts.size()) + " прогона:";
    for (std::size_t i = 0; i < scripts.size(); ++i)
        s += (i == 0 ? " " : "; ") + std::to_string(i + 1) + ") " + scripts[i].name;
    if (t.kind == TaskKind::SensorAnalysis)
        return s + ". На каждое изменение датчиков — " + budget;
    return s + ". Индикатор сверяется до ввода и после каждого символа; до первого символа и между символами — " +
           budget;
}

// ---- the checker --------------------------------------------------------------

std::string SetupText(const GeneratorSetup& s)
{
    std::string text = s.generator == 0   ? std::string("без знакогенератора")
                       : s.generator == 3 ? std::string("ЗГ3/ЗГ4")
                                          : "ЗГ" + std::to_string(s.generator);
    if (s.codeGenerator)
        text += ", КГ";
    return text;
}

std::string SetupMismatch(const GeneratorSetup& have, const std::vector<GeneratorSetup>& allowed)
{
    auto generatorName = [](int g) {
        return g == 0 ? std::string("«Нет»") : g == 3 ? std::string("«3(4)»") : "«" + std::to_string(g) + "»";
    };
    std::string want;
    bool generatorFits = false;
    for (const GeneratorSetup& a : allowed) {
        generatorFits |= a.generator == have.generator;
        if (want.find(generatorName(a.generator)) == std::string::npos)
            want += (want.empty() ? "" : " или ") + generatorName(a.generator);
    }
    // every setup allowed for a task agrees on the code generator
    std::string out;
    if (!generatorFits)
        out = "в настройке выбран знакогенератор " + generatorName(have.generator) + ", а задание требует " +
              want + ": выберите нужный в группе «Подключенный знакогенератор»";
    if (!allowed.empty() && have.codeGenerator != allowed[0].codeGenerator)
        out += std::string(out.empty() ? "в настройке " : "; ") +
               (have.codeGenerator ? "подключен кодогенератор, а задание его не использует: снимите отметку "
                                     "«Подключить кодогенератор»"
                                   : "не подключен кодогенератор, а задание его требует: отметьте "
                                     "«Подключить кодогенератор»");
    return out;
}

std::vector<GeneratorSetup> AllowedSetups(const TaskTerms& t)
{
    if (t.rows == kRows2)
        return {{3, t.codeGenerator}};
    if (t.kind == TaskKind::SensorAnalysis)
        return {{0, false}, {1, false}, {2, false}};
    if (t.ram == kRamSegments)
        return {{0, t.codeGenerator}};
    return {{1, t.codeGenerator}, {2, t.codeGenerator}};
}

}  // namespace ravx::training
