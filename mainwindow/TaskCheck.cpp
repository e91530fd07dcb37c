#include "mainwindow/TaskCheck.h"

#include <algorithm>
#include <cstdio>

#include "controller/Timer_chars.h"
#include "machine/_Asm_errors.h"
#include "mainwindow/SettingsForm.h"

namespace ravx::training {

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

std::vector<std::string> GroupChars(const TaskTerms& t)
{
    std::vector<std::string> out;
    for (const TaskChar& c : t.upper)
        if (c.group >= 0)
            out.push_back(c.text);
    return out;
}

// The input of a kind at two paces: with pauses the program has time for,
// and quickly, so that it arrives while the program is busy with the last.
std::vector<Schedule> Schedules(const TaskTerms& t, std::string* problem)
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
std::vector<std::string> ExpectedRow(const std::vector<std::string>& chars, const TaskTerms& t)
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

RunOutcome RunOnce(const ProgramLoader& load, const TaskTerms& t, const GeneratorSetup& setup,
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

    std::vector<std::string> upperChars;
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
                   ? "адрес начала ППОП в программе " + RowAddressText(sim.m.InterruptAddress) + ", а в задании " +
                         RowAddressText(t.ppop)
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

CheckVerdict CheckSolution(const ProgramLoader& load, const TaskTerms& task, std::optional<GeneratorSetup> fixedSetup)
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
