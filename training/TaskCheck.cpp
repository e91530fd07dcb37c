#include "training/TaskCheck.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "controller/Timer_chars.h"
#include "machine/Codepage.h"
#include "machine/_Asm_errors.h"
#include "mainwindow/SettingsForm.h"

namespace ravx::training {

namespace {

bool IsSeparator(char c) { return c == ';' || c == ' ' || c == ','; }

std::string Hex(unsigned v, int digits)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%0*X", digits, v);
    return buf;
}

std::string ByteText(uint8_t v) { return Hex(v, 2) + "h"; }

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

std::optional<TaskSpec> ReadTaskSpec(std::span<const uint8_t> file, int number, TaskKind kind, std::string* error)
{
    auto fail = [&](std::string why) -> std::optional<TaskSpec> {
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
    TaskSpec t;
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
    if (ppop.empty() || std::sscanf(ppop.c_str(), "%x", &address) != 1 || address >= kStatementRows)
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

std::optional<uint8_t> FormCode(uint8_t ram, std::string_view character)
{
    switch (ram) {
    case kRamSegments: return SegmentCode(character);
    case kRamKoi8:
        for (const CharRow& row : kCharTable)
            if (row.koi8 >= 0 && row.character == character)
                return static_cast<uint8_t>(row.koi8);
        return std::nullopt;
    case kRamKeyCode:
    case kRamHex: {
        const auto key = KeyFor(character);
        return key ? std::optional<uint8_t>(key->code()) : std::nullopt;
    }
    default: return std::nullopt;
    }
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

namespace {

std::string RamFormName(uint8_t ram) { return "«" + RamContentsText(ram).value_or("?") + "»"; }

std::string Cw1Text(const TaskSpec& t)
{
    const auto d = ClockDivisor(t.pkkiClock);
    if (!d)
        return {};
    return "; CW1 = " + ByteText(static_cast<uint8_t>(0x20 | *d)) + " (" + t.pkkiClock + " / 100 кГц = " +
           std::to_string(*d) + ")";
}

}  // namespace

std::string KindSummary(const TaskSpec& t)
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
        s = "Цветные группы набираются клавишами; коды читает ППОП со строки " + Hex(t.ppop, 3) + " по прерыванию";
        if (t.codeGenerator)
            s += ", КГ переводит код клавиши в " + RamFormName(t.ram);
        break;
    case TaskKind::Strobed:
        s = "Цветные группы приходят по стробу, байт на символ: ";
        s += t.codeGenerator ? "код клавиши, КГ переводит его в " + RamFormName(t.ram)
                             : "код символа в виде " + RamFormName(t.ram);
        break;
    case TaskKind::SensorAnalysis:
        s = "Датчики замкнуты, как сказано в П1 (коды строк ОЗУ датчиков); программа опрашивает матрицу датчиков и "
            "выводит результат по П2";
        break;
    }
    return s + Cw1Text(t);
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

std::vector<GeneratorSetup> AllowedSetups(const TaskSpec& t)
{
    if (t.rows == kRows2)
        return {{3, t.codeGenerator}};
    if (t.kind == TaskKind::SensorAnalysis)
        return {{0, false}, {1, false}, {2, false}};
    if (t.ram == kRamSegments)
        return {{0, t.codeGenerator}};
    return {{1, t.codeGenerator}, {2, t.codeGenerator}};
}

namespace {

constexpr std::string_view kBlank = "·";

class CheckHost : public Host {
public:
    void reportError(uint8_t) override {}
};

struct InputEvent {
    enum Kind { Key, Strobe, Sensor } kind = Key;
    uint64_t step = 0;
    int row = 0, column = 0;
    uint8_t byte = 0;
};

struct Schedule {
    std::string name;  // how the input came, for the verdict
    std::vector<InputEvent> events;
    uint32_t seed = 0;
};

std::vector<std::string> GroupChars(const TaskSpec& t)
{
    std::vector<std::string> out;
    for (const TaskChar& c : t.upper)
        if (c.group >= 0)
            out.push_back(c.text);
    return out;
}

// The input of a kind at two paces: with pauses the program has time for,
// and quickly, so that it arrives while the program is busy with the last.
std::vector<Schedule> Schedules(const TaskSpec& t, std::string* problem)
{
    const uint32_t seed = static_cast<uint32_t>(t.number * 16 + static_cast<int>(t.kind));
    if (t.kind == TaskKind::Standard)
        return {{"", {}, seed}};
    std::vector<Schedule> out;
    if (t.kind == TaskKind::SensorAnalysis) {
        const auto rows = SensorRows(t.p1);
        if (!rows) {
            *problem = "в П1 задания не указаны коды строк датчиков";
            return {};
        }
        Schedule together{"датчики замкнуты все сразу", {}, seed};
        Schedule oneByOne{"датчики замыкаются по строке через 40 шагов", {}, seed + 1000};
        uint64_t step = kReadyStep;
        for (int r = 0; r < 8; ++r) {
            if ((*rows)[r] == 0)
                continue;
            for (int c = 0; c < 8; ++c)
                if ((*rows)[r] & (1u << c)) {
                    together.events.push_back({InputEvent::Sensor, kReadyStep, r, c});
                    oneByOne.events.push_back({InputEvent::Sensor, step, r, c});
                }
            step += 40;
        }
        return {together, oneByOne};
    }
    const auto chars = GroupChars(t);
    const bool strobe = t.kind == TaskKind::Strobed;
    Schedule slow{strobe ? "байты через 40 шагов" : "клавиши через 60 шагов", {}, seed};
    Schedule fast{strobe ? "байты подряд через 3 шага" : "клавиши подряд через 33-45 шагов", {}, seed + 1000};
    static constexpr uint64_t kKeyGaps[] = {33, 41, 36, 45};
    uint64_t slowStep = kReadyStep, fastStep = kReadyStep + 17;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        InputEvent e;
        if (strobe) {
            e.kind = InputEvent::Strobe;
            // with the code generator the key code, which it turns into the form
            const auto code = FormCode(t.codeGenerator ? kRamKeyCode : t.ram, chars[i]);
            if (!code) {
                *problem = "символ «" + chars[i] + "» нельзя передать по стробу";
                return {};
            }
            e.byte = *code;
        } else {
            const auto key = KeyFor(chars[i]);
            if (!key) {
                *problem = "для символа «" + chars[i] + "» нет клавиши";
                return {};
            }
            e.row = key->row;
            e.column = key->column;
        }
        e.step = slowStep;
        slow.events.push_back(e);
        e.step = fastStep;
        fast.events.push_back(e);
        slowStep += strobe ? 40 : 60;
        fastStep += strobe ? 3 : kKeyGaps[i % 4];
    }
    return {slow, fast};
}

void Apply(Simulator& sim, const InputEvent& e)
{
    switch (e.kind) {
    case InputEvent::Key:
    case InputEvent::Sensor: sim.ravx.SetMatrixCell(e.row, e.column, true); break;
    case InputEvent::Strobe: {
        char octal[4];
        std::snprintf(octal, sizeof octal, "%03o", unsigned{e.byte});
        sim.ravx.SetOctalEntry(octal);
        // the click pair on "^STB": check, then uncheck
        if (!sim.panel.CtrlChecked)
            sim.ravx.ClickCtrl();
        sim.ravx.ClickCtrl();
        break;
    }
    }
}

// What a row should show: the characters aligned as the entry order puts them.
std::vector<std::string> ExpectedRow(const std::vector<std::string>& chars, const TaskSpec& t)
{
    std::vector<std::string> row(t.width, std::string(kBlank));
    const std::size_t first = t.rightEntry ? t.width - chars.size() : 0;
    for (std::size_t i = 0; i < chars.size(); ++i)
        row[first + i] = chars[i];
    return row;
}

std::vector<std::string> ShownRow(const Simulator& sim, int row, int width)
{
    std::vector<std::string> out;
    for (int c = 0; c < width && c < sim.panel.DGridCols; ++c) {
        const std::string_view cell = sim.panel.Indicator[row][c].view();
        out.push_back(cell.empty() || cell == " " ? std::string(kBlank) : std::string(cell));
    }
    return out;
}

std::string Joined(const std::vector<std::string>& row)
{
    std::string s;
    for (const auto& c : row)
        s += c;
    return "«" + s + "»";
}

struct RunOutcome {
    bool solved = false;
    std::string reason;
    int score = -1;  // how close the run came (see RunOnce)
};

RunOutcome RunOnce(const ProgramLoader& load, const TaskSpec& t, const GeneratorSetup& setup,
                   const Schedule& schedule)
{
    CheckHost host;
    Simulator sim(host);
    sim.SetHistoryEnabled(false);
    load(sim);
    SettingsForm form = ShowSettings(sim);
    form.Generator = setup.generator;
    form.CodeGenerator = setup.codeGenerator;
    form.AutoRelease = true;
    form.OctalStrobe = true;
    ApplySettings(sim, form);
    sim.ravx.Seed(schedule.seed);
    sim.ResetKey();

    std::vector<std::string> upperChars, lowerChars;
    for (const TaskChar& c : t.upper)
        upperChars.push_back(c.text);
    const auto expectedUpper = ExpectedRow(upperChars, t);
    const auto expectedLower = ExpectedRow(t.lower, t);
    auto showsTask = [&] {
        return sim.panel.DGridCols == t.width && ShownRow(sim, 0, t.width) == expectedUpper &&
               (t.rows == kRows1 || (sim.panel.DGridRows > 1 && ShownRow(sim, 1, t.width) == expectedLower));
    };

    // how close the run came, to pick the setup whose failure to report: the
    // task's characters shown anywhere, and those in their places
    auto score = [&] {
        auto shown = ShownRow(sim, 0, t.width);
        int n = 0;
        for (std::size_t c = 0; c < shown.size() && c < expectedUpper.size(); ++c)
            n += expectedUpper[c] != kBlank && shown[c] == expectedUpper[c];
        for (const std::string& ch : upperChars)
            if (auto at = std::find(shown.begin(), shown.end(), ch); at != shown.end()) {
                *at = kBlank;
                ++n;
            }
        return n;
    };

    const auto& events = schedule.events;
    const uint64_t total = events.empty() ? kStandardSteps : events.back().step + kSettleSteps;
    std::size_t next = 0;
    int interrupts = 0;
    RunOutcome out;
    const std::string pace = schedule.name.empty() ? "" : " (" + schedule.name + ")";
    const bool interruptRule = t.kind == TaskKind::GameWithPsoo;
    auto ppopWrong = [&] {
        return sim.m.InterruptAddress != t.ppop
                   ? "адрес начала ППОП в программе " + Hex(sim.m.InterruptAddress, 3) + ", а в задании " +
                         Hex(t.ppop, 3)
                   : std::string();
    };
    for (uint64_t step = 1; step <= total; ++step) {
        if (next < events.size() && events[next].step == step && next == 0 && showsTask()) {
            out.reason = "текст задания виден еще до ввода: символы цветных групп программа должна получить" +
                         std::string(t.kind == TaskKind::SensorAnalysis ? " из матрицы датчиков" : " при вводе") +
                         ", а не записать сама";
            out.score = score();
            return out;
        }
        while (next < events.size() && events[next].step == step)
            Apply(sim, events[next++]);
        const bool ok = sim.Step();
        if (sim.LastStatement() == "INTCALL")
            ++interrupts;
        if (!ok) {
            if (interrupts > 0 || interruptRule)
                if (auto wrong = ppopWrong(); !wrong.empty()) {
                    out.reason = wrong;
                    out.score = score();
                    return out;
                }
            const uint8_t code = sim.m.ErrorCode;
            out.reason = "ошибка " + std::to_string(code) + " «" + ErrorMessage(code)[0] + "» в строке " +
                         RowAddressText(sim.LastRow()) + " на шаге " + std::to_string(step) + pace;
            out.score = score();
            return out;
        }
    }
    if ((interrupts > 0 || interruptRule) && !ppopWrong().empty()) {
        out.reason = ppopWrong();
        out.score = score();
        return out;
    }

    const auto shownUpper = ShownRow(sim, 0, t.width);
    out.score = score();
    if (t.kind == TaskKind::Game && interrupts > 0) {
        out.reason = "в виде «Игровая» коды клавиш читают опросом FIFO, а программа вошла в прерывание";
        return out;
    }
    if (t.kind == TaskKind::GameWithPsoo && interrupts == 0) {
        out.reason = "в виде «Игровая с ПСОО» коды клавиш читает ППОП, а прерывание не наступило ни разу";
        return out;
    }
    const std::string after = " после " + std::to_string(total) + " шагов" + pace;
    if (std::all_of(shownUpper.begin(), shownUpper.end(), [](const std::string& c) { return c == kBlank; })) {
        out.reason = "на индикаторе ничего нет" + after;
        return out;
    }
    if (sim.panel.DGridCols != t.width) {
        out.reason = "на индикаторе " + std::to_string(sim.panel.DGridCols) + " разрядов, а задание требует " +
                     std::to_string(t.width) + " (CW0)";
        return out;
    }
    if (shownUpper != expectedUpper) {
        out.reason = "верхняя линейка: нужно " + Joined(expectedUpper) + ", показано " + Joined(shownUpper) + after +
                     "; · — пустой разряд";
        return out;
    }
    if (t.rows == kRows2) {
        const auto shownLower = ShownRow(sim, 1, t.width);
        if (shownLower != expectedLower) {
            out.reason = "нижняя линейка: нужно " + Joined(expectedLower) + ", показано " + Joined(shownLower) +
                         after + "; · — пустой разряд";
            return out;
        }
    }
    // the display RAM in the form the task asks
    const bool pair = t.rows == kRows2;
    if (t.ram != 0 || pair) {
        const std::size_t first = t.rightEntry ? t.width - upperChars.size() : 0;
        for (std::size_t i = 0; i < upperChars.size(); ++i) {
            const int column = static_cast<int>(first + i);
            std::optional<uint8_t> want;
            if (pair) {
                const std::size_t lowerFirst = t.rightEntry ? t.width - t.lower.size() : 0;
                const auto hi = HexDigitValue(upperChars[i]);
                const auto lo = column >= static_cast<int>(lowerFirst) &&
                                        column - lowerFirst < t.lower.size()
                                    ? HexDigitValue(t.lower[column - lowerFirst])
                                    : std::nullopt;
                if (hi && lo)
                    want = static_cast<uint8_t>(*hi << 4 | *lo);
            } else {
                want = FormCode(t.ram, upperChars[i]);
            }
            if (!want)
                continue;
            int position = -1;
            for (int p = 0; p < t.width; ++p)
                if (sim.ravx.ColumnOf(static_cast<uint8_t>(p)) == column)
                    position = p;
            if (position < 0)
                continue;
            const uint8_t held = sim.ravx.DisplayRam[position];
            if (held != *want) {
                out.reason = "ОЗУ индикации, позиция " + std::to_string(position) + " (разряд «" + upperChars[i] +
                             "»): записан " + ByteText(held) + ", а задание требует " + ByteText(*want) +
                             (pair ? " (старшая тетрада — верхняя линейка, младшая — нижняя)"
                                   : " — код в виде " + RamFormName(t.ram));
                return out;
            }
        }
    }
    if (const auto divisor = ClockDivisor(t.pkkiClock); divisor && sim.ravx.Prescaler != *divisor) {
        out.reason = "CW1: коэффициент деления " + std::to_string(sim.ravx.Prescaler) + ", а для частоты ПККИ " +
                     t.pkkiClock + " нужен " + std::to_string(*divisor) + " (CW1 = " +
                     ByteText(static_cast<uint8_t>(0x20 | *divisor)) + ")";
        return out;
    }
    out.solved = true;
    return out;
}

}  // namespace

ProgramLoader CopyOfMachine(const Simulator& from)
{
    return [&from](Simulator& to) {
        to.program = from.program;
        to.settings = from.settings;
        to.m.InterruptAddress = from.m.InterruptAddress;
        to.m.Ram = from.m.Ram;
        to.ravx.PortBase = from.ravx.PortBase;
        to.ravx.Zg1 = from.ravx.Zg1;
        to.ravx.Zg2 = from.ravx.Zg2;
        to.ravx.Zg3 = from.ravx.Zg3;
        to.ravx.Zg4 = from.ravx.Zg4;
        to.ravx.Kg = from.ravx.Kg;
    };
}

GeneratorSetup CurrentSetup(const Simulator& sim)
{
    return {sim.ravx.ConnectedGenerator, sim.ravx.CodeGeneratorOn};
}

CheckVerdict CheckSolution(const ProgramLoader& load, const TaskSpec& task, std::optional<GeneratorSetup> fixedSetup)
{
    CheckVerdict verdict;
    std::string problem;
    const auto schedules = Schedules(task, &problem);
    if (schedules.empty()) {
        verdict.reason = "задание нельзя проверить: " + problem;
        return verdict;
    }
    const auto allowed = AllowedSetups(task);
    std::vector<GeneratorSetup> setups = allowed;
    if (fixedSetup) {
        if (std::find(allowed.begin(), allowed.end(), *fixedSetup) == allowed.end()) {
            verdict.setup = *fixedSetup;
            verdict.reason = "в настройке " + SetupText(*fixedSetup) + ", а задание требует " + SetupText(allowed[0]);
            for (std::size_t i = 1; i < allowed.size(); ++i)
                verdict.reason += " или " + SetupText(allowed[i]);
            return verdict;
        }
        setups = {*fixedSetup};
    }
    int best = -2;
    for (const GeneratorSetup& setup : setups) {
        RunOutcome worst{true, {}, 0};
        for (const Schedule& s : schedules) {
            RunOutcome o = RunOnce(load, task, setup, s);
            if (!o.solved) {
                worst = std::move(o);
                break;
            }
        }
        if (worst.solved) {
            verdict = {true, "решено", setup};
            return verdict;
        }
        if (worst.score > best) {
            best = worst.score;
            verdict = {false, std::move(worst.reason), setup};
        }
    }
    return verdict;
}

}  // namespace ravx::training
