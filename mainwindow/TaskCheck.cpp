#include "mainwindow/TaskCheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

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
// Gaps between inputs given while the program is busy.
constexpr uint64_t kKeyGaps[] = {33, 41, 36, 45};
constexpr uint64_t kStrobeGap = 3;
constexpr uint64_t kSensorRowGap = 40;
constexpr uint64_t kFirstBusyInput = 17;  // steps after the program came to rest
// The random source's starting values tried for the display RAM after
// reset; each run takes one of those that leave the most positions visible.
constexpr uint32_t kSeedCandidates = 64;
constexpr std::size_t kSeedsUsed = 3;

// Keeps the first error window the run would show: some errors (an empty
// FIFO read) let the statement go on once the window is closed.
class CheckHost : public Host {
public:
    void reportError(uint8_t code) override
    {
        if (reported == 0)
            reported = code;
    }
    uint8_t reported = 0;
};

std::string StepsText(uint64_t n)
{
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ' ';
        out += digits[i];
    }
    return out;
}

// What a row should show: the characters aligned as the entry order puts them.
std::vector<std::string> ExpectedRow(const std::vector<std::string>& chars, const TaskTerms& t)
{
    std::vector<std::string> row(t.width, std::string(kBlank));
    const std::size_t count = std::min<std::size_t>(chars.size(), t.width);
    const std::size_t first = t.rightEntry ? t.width - count : 0;
    for (std::size_t i = 0; i < count; ++i)
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

bool AllBlank(const std::vector<std::string>& row)
{
    return std::all_of(row.begin(), row.end(), [](const std::string& c) { return c == kBlank; });
}

// Whether a display RAM byte shows anything through the connected generator.
bool Visible(const Simulator& sim, uint8_t code)
{
    switch (sim.ravx.ConnectedGenerator) {
    case 1: return sim.ravx.Zg1[code] != 0;
    case 2: return sim.ravx.Zg2[code] != 0;
    case 3: return sim.ravx.Zg3[code >> 4] != 0 || sim.ravx.Zg4[code & 0x0F] != 0;
    default: return code != 0;
    }
}

// A fresh machine with the program loaded and the settings a check runs with.
void LoadForCheck(Simulator& sim, const ProgramLoader& load, const GeneratorSetup& setup)
{
    load(sim);
    sim.program.ClearBreakpoints();
    SettingsForm form = ShowSettings(sim);
    form.Generator = setup.generator;
    form.CodeGenerator = setup.codeGenerator;
    form.AutoRelease = true;
    form.OctalStrobe = true;
    ApplySettings(sim, form);
}

struct RunOutcome {
    bool solved = false;
    std::string reason;
    int score = -1;  // how close the run came, to pick the setup whose failure to report
};

// The whole state a program's future depends on until the next input: when
// it comes back, the program waits (or stops) and shows what it will show.
struct RestProbe {
    MachineState m;
    RavxState r;
    std::array<std::array<char, kMatrixSize>, kMatrixSize> matrix{};
};

// One run of a program on one script with one seed of the random source.
class CheckRun {
public:
    CheckRun(const ProgramLoader& load, const TaskTerms& t, const GeneratorSetup& setup, const CheckScript& script,
             const CheckScript& own, uint32_t seed)
        : t_(t), script_(script), own_(own), seed_(seed), sim_(host_)
    {
        sim_.SetHistoryEnabled(false);
        LoadForCheck(sim_, load, setup);
        sim_.ravx.Seed(seed);
        sim_.ResetKey();
        afterReset_ = sim_.ravx.DisplayRam;
        sim_.ravx.PortWatch = [this](PortRegister reg, bool write, uint8_t value) {
            if (write && reg == PortRegister::Command) {
                ++commandWrites_[value >> kCwCommandShift];
            } else if (!write && reg == PortRegister::Data && sim_.ravx.ReadFifo) {
                ++inputReads_;
            }
        };
    }

    RunOutcome Go();

private:
    enum class Rest { Reached, Stable, Moving, Failed };

    Rest runToRest(const std::vector<std::pair<uint64_t, const ScriptInput*>>& timed);
    void apply(const ScriptInput& in);
    bool judgeShown(const std::vector<std::string>& shown, std::size_t taken, const std::string& when);
    bool judgeFinal();
    bool fail(std::string reason)
    {
        out_.reason = std::move(reason);
        return false;
    }
    std::string pace() const { return script_.name.empty() ? std::string() : " (" + script_.name + ")"; }
    std::string ppopWrong() const
    {
        return sim_.m.InterruptAddress != t_.ppop
                   ? "адрес начала ППОП в программе " + RowAddressText(sim_.m.InterruptAddress) + ", а в задании " +
                         RowAddressText(t_.ppop) + " (задайте его в настройке)"
                   : std::string();
    }
    std::vector<std::string> expected(const std::vector<std::string>& chars) const { return ExpectedRow(chars, t_); }
    int score() const;
    // The display RAM position shown in an indicator column, -1 for none.
    int positionAt(int column, int positions) const
    {
        int position = -1;
        for (int p = 0; p < positions; ++p)
            if (sim_.ravx.ColumnOf(static_cast<uint8_t>(p)) == column)
                position = p;
        return position;
    }
    // Whether the upper row is what `script` asks after `taken` inputs: every
    // character up to the last one taken, and the fixed characters after it
    // up to the next one the program waits for, as far as it has put them.
    bool showsTaken(const CheckScript& script, std::size_t taken, const std::vector<std::string>& shown) const
    {
        const auto& at = script.groupAt;
        const std::size_t from = taken == 0 ? 0 : at[taken - 1] + 1;
        const std::size_t to = taken < at.size() ? at[taken] : script.upper.size();
        for (std::size_t n = from; n <= to; ++n)
            if (shown == expected({script.upper.begin(), script.upper.begin() + n}))
                return true;
        return false;
    }
    std::string errorText(uint8_t code, uint64_t step) const
    {
        return "ошибка " + std::to_string(code) + " «" + ErrorMessage(code)[0] + "» в строке " +
               RowAddressText(sim_.LastRow()) + " на шаге " + StepsText(step);
    }
    // The reason when input was given and the program never read it.
    std::string inputIgnored() const
    {
        if (t_.kind == TaskKind::Standard || inputReads_ != 0)
            return {};
        return std::string(t_.kind == TaskKind::SensorAnalysis ? "программа ни разу не прочитала ОЗУ датчиков"
                                                               : "программа ни разу не прочитала FIFO") +
               " (IN с порта данных после CW2), а символы цветных групп должны браться из ввода" + pace();
    }
    std::string strayReason(const std::vector<std::string>& want, const std::vector<std::string>& shown) const;

    const TaskTerms& t_;
    const CheckScript& script_;
    const CheckScript& own_;  // the task's own input, which the script may vary
    uint32_t seed_;
    CheckHost host_;
    Simulator sim_;
    std::array<uint8_t, kDisplayPositions> afterReset_{};
    std::array<uint64_t, 8> commandWrites_{};
    uint64_t inputReads_ = 0;
    uint64_t interrupts_ = 0;
    uint64_t steps_ = 0;
    std::string restProblem_;  // why the last run to rest failed
    RunOutcome out_;
};

void CheckRun::apply(const ScriptInput& in)
{
    switch (t_.kind) {
    case TaskKind::SensorAnalysis:
        for (int r = 0; r < kMatrixSize; ++r)
            for (int c = 0; c < kMatrixSize; ++c)
                if ((in.sensors[r] & (1u << c)) && sim_.panel.Matrix[r][c] != '0')
                    sim_.ravx.SetMatrixCell(r, c, true);
        break;
    case TaskKind::Strobed: {
        // with the code generator the key code, which it turns into the form
        const auto code = FormCode(t_.codeGenerator ? kRamKeyCode : (t_.rows == kRows2 ? kRamHex : t_.ram),
                                   in.character);
        char octal[4];
        std::snprintf(octal, sizeof octal, "%03o", unsigned{code.value_or(0)});
        sim_.ravx.SetOctalEntry(octal);
        // the click pair on "^STB": check, then uncheck
        if (!sim_.panel.CtrlChecked)
            sim_.ravx.ClickCtrl();
        sim_.ravx.ClickCtrl();
        break;
    }
    default: sim_.ravx.SetMatrixCell(in.key.row, in.key.column, true); break;
    }
}

// Runs until the program comes to rest: its whole state comes back (Brent's
// cycle search over the state after each step) with the display RAM
// unchanged on the way, so that without input it will only repeat itself and
// show the same. Inputs in `timed` are given at their step after
// the start. Past the budget, indicators that stood still for the last
// kCheckStableSteps steps count as the program's result.
CheckRun::Rest CheckRun::runToRest(const std::vector<std::pair<uint64_t, const ScriptInput*>>& timed)
{
    auto probe = std::make_unique<RestProbe>();
    uint64_t power = 1, lambda = 0, step = 0, lastChange = 0, probeAt = 0;
    auto take = [&] {
        probeAt = step;
        probe->m = sim_.m;
        probe->r = sim_.ravx.State();
        probe->matrix = sim_.panel.Matrix;
    };
    auto same = [&] {
        const MachineState& m = sim_.m;
        const MachineState& p = probe->m;
        return m.IP == p.IP && m.AX == p.AX && m.BX == p.BX && m.CX == p.CX && m.DX == p.DX && m.SI == p.SI &&
               m.DI == p.DI && m.SP == p.SP && m.AF == p.AF && sim_.ravx.ScanCounter == probe->r.ScanCounter &&
               sim_.ravx.DisplayRam == probe->r.DisplayRam && m == p && sim_.ravx.State() == probe->r &&
               sim_.panel.Matrix == probe->matrix;
    };
    take();
    std::size_t next = 0;
    std::array<uint8_t, kDisplayPositions> shown = sim_.ravx.DisplayRam;
    bool rest = false, stop = false;
    const uint64_t budget = (timed.empty() ? 0 : timed.back().first) + kCheckStepBudget;
    uint64_t made = 0;
    const RunStop why = sim_.Run(
        budget, &made,
        [&] {
            ++step;
            if (sim_.LastStepEnteredInterrupt()) {
                ++interrupts_;
                if (t_.kind == TaskKind::Game) {
                    restProblem_ = "в виде «Игровая» прерывания не используются (коды клавиш читают опросом FIFO), "
                                   "а программа вошла в прерывание на шаге " +
                                   StepsText(steps_ + step) + " из строки " + RowAddressText(sim_.LastRow()) +
                                   ": запретите прерывания командой CLI";
                    stop = true;
                } else if (const std::string wrong = ppopWrong(); !wrong.empty()) {
                    restProblem_ = wrong;
                    stop = true;
                }
            }
            if (host_.reported != 0 && !stop) {
                restProblem_ = errorText(host_.reported, steps_ + step);
                stop = true;
            }
            if (sim_.ravx.DisplayRam != shown) {
                shown = sim_.ravx.DisplayRam;
                lastChange = step;
            }
            bool handsMoved = false;
            while (next < timed.size() && timed[next].first <= step) {
                apply(*timed[next++].second);
                handsMoved = true;
            }
            if (handsMoved || stop) {
                take();
                power = 1;
                lambda = 0;
            } else if (next == timed.size() && same()) {
                // a loop that keeps changing the display RAM is no rest: it shows changes for ever
                rest = lastChange <= probeAt;
            } else if (++lambda == power) {
                take();
                power *= 2;
                lambda = 0;
            }
            if (rest || stop)
                sim_.StopRun();
            return handsMoved;
        });
    steps_ += made;
    if (stop)
        return Rest::Failed;
    if (why == RunStop::Error) {
        restProblem_ = errorText(sim_.m.ErrorCode, steps_);
        return Rest::Failed;
    }
    if (rest)
        return Rest::Reached;
    return step - lastChange >= kCheckStableSteps ? Rest::Stable : Rest::Moving;
}

int CheckRun::score() const
{
    const auto want = expected(script_.upper);
    auto shown = ShownRow(sim_, 0, t_.width);
    int n = 0;
    for (std::size_t c = 0; c < shown.size() && c < want.size(); ++c)
        n += want[c] != kBlank && shown[c] == want[c];
    for (const std::string& ch : script_.upper)
        if (auto at = std::find(shown.begin(), shown.end(), ch); at != shown.end()) {
            *at = kBlank;
            ++n;
        }
    return n;
}

// The reason when the only difference is characters in positions that must be
// blank and still hold what the random source put there at reset.
std::string CheckRun::strayReason(const std::vector<std::string>& want, const std::vector<std::string>& shown) const
{
    bool any = false;
    for (std::size_t c = 0; c < want.size() && c < shown.size(); ++c) {
        if (want[c] == shown[c])
            continue;
        if (want[c] != kBlank)
            return {};
        const int position = positionAt(static_cast<int>(c), kDisplayPositions);
        if (position < 0 || sim_.ravx.DisplayRam[position] != afterReset_[position])
            return {};
        any = true;
    }
    if (!any)
        return {};
    return "лишние символы в разрядах, которые должны быть пустыми: нужно " + Joined(want) + ", показано " +
           Joined(shown) + pace() +
           ". Это случайное содержимое ОЗУ индикации после сброса (проверка с начальным значением генератора "
           "случайных чисел " +
           std::to_string(seed_) +
           "): очистите ОЗУ индикации командой CW6 кодом, который знакогенератор гасит; · — пустой разряд";
}

// The upper row at rest after `taken` inputs (see showsTaken).
bool CheckRun::judgeShown(const std::vector<std::string>& shown, std::size_t taken, const std::string& when)
{
    const auto& at = script_.groupAt;
    const std::size_t from = taken == 0 ? 0 : at[taken - 1] + 1;
    const std::size_t to = taken < at.size() ? at[taken] : script_.upper.size();
    if (showsTaken(script_, taken, shown))
        return true;
    if (const std::string ignored = inputIgnored(); taken > 0 && !ignored.empty())
        return fail(ignored);
    if (script_.varied && taken > 0 && taken <= own_.groupAt.size() && showsTaken(own_, taken, shown))
        return fail("программа не следует вводу: " + when + " показано " + Joined(shown) + ", как при вводе задания" +
                    pace() + " — символы цветных групп должны браться из ввода, а не из программы");
    if (taken > 0 && shown == expected(script_.upper))
        return fail("весь текст показан уже " + when + ", до ввода остальных символов" + pace() +
                    ": символы цветных групп должны браться из ввода, каждый — когда введен");
    if (taken == 0 && shown == expected(script_.upper))
        return fail("текст задания виден еще до ввода: символы цветных групп программа должна получить" +
                    std::string(t_.kind == TaskKind::SensorAnalysis ? " из матрицы датчиков" : " при вводе") +
                    ", а не записать сама");
    const auto want = expected({script_.upper.begin(), script_.upper.begin() + from});
    if (const std::string stray = strayReason(want, shown); !stray.empty())
        return fail(when + ": " + stray);
    return fail(when + " верхняя линейка: нужно " + Joined(want) +
                (from < to ? " (или с символами задания до следующего ввода)" : "") + ", показано " + Joined(shown) +
                pace() + "; · — пустой разряд");
}

bool CheckRun::judgeFinal()
{
    if (const std::string ignored = inputIgnored(); !ignored.empty())
        return fail(ignored);
    if (t_.kind == TaskKind::GameWithPsoo && interrupts_ == 0) {
        bool typed = false;
        for (const auto& row : sim_.program.rows) {
            std::string text = row.statement;
            for (char& c : text)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            typed |= text.find("INTCALL") != std::string::npos;
        }
        return fail(std::string("в виде «Игровая с ПСОО» коды клавиш читает ППОП, а вход в прерывание по линии INT "
                                "не наступил ни разу: разрешите прерывания (STI) и ждите в цикле") +
                    (typed ? "; строка «INTCALL» в программе — не прерывание" : "") + pace());
    }
    const auto shownUpper = ShownRow(sim_, 0, t_.width);
    const std::string after = " после " + StepsText(steps_) + " шагов" + pace();
    if (AllBlank(shownUpper))
        return fail("на индикаторе ничего нет" + after);
    if (sim_.panel.DGridCols != t_.width)
        return fail("на индикаторе " + std::to_string(sim_.panel.DGridCols) + " разрядов, а задание требует " +
                    std::to_string(t_.width) + " (CW0)");
    const auto wantUpper = expected(script_.upper);
    if (shownUpper != wantUpper) {
        if (script_.varied && shownUpper == expected(own_.upper))
            return fail("программа не следует вводу: при вводе «" + script_.name + "» нужно " + Joined(wantUpper) +
                        ", а показан текст задания " + Joined(shownUpper) +
                        " — символы цветных групп должны браться из ввода, а не из программы");
        if (const std::string stray = strayReason(wantUpper, shownUpper); !stray.empty())
            return fail(stray);
        return fail("верхняя линейка: нужно " + Joined(wantUpper) + ", показано " + Joined(shownUpper) + after +
                    "; · — пустой разряд");
    }
    if (t_.rows == kRows2) {
        const auto shownLower = ShownRow(sim_, 1, t_.width);
        const auto wantLower = expected(script_.lower);
        if (shownLower != wantLower) {
            if (const std::string stray = strayReason(wantLower, shownLower); !stray.empty())
                return fail(stray);
            return fail("нижняя линейка: нужно " + Joined(wantLower) + ", показано " + Joined(shownLower) + after +
                        "; · — пустой разряд");
        }
    }
    // the display RAM in the form the task asks
    const bool pair = t_.rows == kRows2;
    if (t_.ram != 0 || pair) {
        const std::size_t first = t_.rightEntry ? t_.width - script_.upper.size() : 0;
        const std::size_t lowerFirst = t_.rightEntry ? t_.width - script_.lower.size() : 0;
        for (std::size_t i = 0; i < script_.upper.size(); ++i) {
            const std::size_t column = first + i;
            std::optional<uint8_t> want;
            if (pair) {
                const auto hi = HexDigitValue(script_.upper[i]);
                const auto lo = column >= lowerFirst && column - lowerFirst < script_.lower.size()
                                    ? HexDigitValue(script_.lower[column - lowerFirst])
                                    : std::nullopt;
                if (hi && lo)
                    want = static_cast<uint8_t>(*hi << 4 | *lo);
            } else {
                want = FormCode(t_.ram, script_.upper[i]);
            }
            if (!want)
                continue;
            const int position = positionAt(static_cast<int>(column), t_.width);
            if (position < 0)
                continue;
            const uint8_t held = sim_.ravx.DisplayRam[position];
            if (held != *want)
                return fail("ОЗУ индикации, позиция " + std::to_string(position) + " (разряд «" + script_.upper[i] +
                            "»): записан " + ByteText(held) + ", а задание требует " + ByteText(*want) +
                            (pair ? " (старшая тетрада — верхняя линейка, младшая — нижняя)"
                                  : " — код в виде " + RamFormName(t_.ram)));
        }
    }
    // the command words the run wrote, whatever their reset values
    auto missing = [&](int cw, std::string_view what) {
        return commandWrites_[cw] == 0
                   ? "программа не записала CW" + std::to_string(cw) + " (" + std::string(what) +
                         "), а по заданию его записывает программа, даже если значение после сброса подходит"
                   : std::string();
    };
    static constexpr std::pair<int, std::string_view> kRequired[] = {
        {kCw0Mode, "режим, разрядность, порядок ввода"},
        {kCw1Clock, "частота ПККИ"},
        {kCw4WriteDisplay, "запись в ОЗУ индикации"},
    };
    for (const auto& [cw, what] : kRequired)
        if (const std::string m = missing(cw, what); !m.empty())
            return fail(m);
    if (static_cast<int>(script_.upper.size()) < t_.width)
        if (const std::string m = missing(kCw6Clear, "очистка ОЗУ индикации: разряды без текста должны быть пустыми");
            !m.empty())
            return fail(m);
    if (const auto divisor = ClockDivisor(t_.pkkiClock); divisor && sim_.ravx.Prescaler != *divisor)
        return fail("CW1: коэффициент деления " + std::to_string(sim_.ravx.Prescaler) + ", а для частоты ПККИ " +
                    t_.pkkiClock + " нужен " + std::to_string(*divisor) + " (CW1 = " +
                    ByteText(static_cast<uint8_t>(0x20 | *divisor)) + ")");
    return true;
}

RunOutcome CheckRun::Go()
{
    const auto& inputs = script_.inputs;
    const bool eachInput = script_.pace == ScriptPace::AtRest && !script_.groupAt.empty();
    auto rested = [&](Rest r, const std::string& since) {
        if (r == Rest::Failed)
            return fail(restProblem_ + pace());
        if (r == Rest::Moving)
            return fail("индикатор все еще меняется через " + StepsText(kCheckStepBudget) + " шагов " + since +
                        pace() + ": программа должна вывести текст и ждать ввода или остановиться");
        return true;
    };
    auto finish = [&] {
        out_.score = score();
        return out_;
    };
    if (!rested(runToRest({}), "после пуска"))
        return finish();
    if (eachInput && !judgeShown(ShownRow(sim_, 0, t_.width), 0, "до ввода"))
        return finish();
    if (script_.pace == ScriptPace::AtRest) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            apply(inputs[i]);
            const std::string since = inputs.size() == 1 ? std::string("после ввода")
                                                         : "после " + std::to_string(i + 1) + "-го символа";
            if (!rested(runToRest({}), since))
                return finish();
            if (eachInput && i + 1 < inputs.size() &&
                !judgeShown(ShownRow(sim_, 0, t_.width), i + 1,
                            "после " + std::to_string(i + 1) + "-го символа («" + inputs[i].character + "»)"))
                return finish();
        }
    } else {
        std::vector<std::pair<uint64_t, const ScriptInput*>> timed;
        uint64_t at = kFirstBusyInput;
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            timed.emplace_back(at, &inputs[i]);
            at += t_.kind == TaskKind::SensorAnalysis ? kSensorRowGap
                  : t_.kind == TaskKind::Strobed      ? kStrobeGap
                                                      : kKeyGaps[i % std::size(kKeyGaps)];
        }
        if (!rested(runToRest(timed), "после последнего ввода"))
            return finish();
    }
    out_.solved = judgeFinal();
    return finish();
}

// The starting values of the random source that leave the most display RAM
// positions visible through the setup's generator: a program that does not
// clear the display RAM shows stray characters with them.
std::vector<uint32_t> RevealingSeeds(const ProgramLoader& load, const TaskTerms& t, const GeneratorSetup& setup)
{
    CheckHost host;
    Simulator sim(host);
    LoadForCheck(sim, load, setup);
    std::vector<std::pair<int, uint32_t>> ranked;
    const uint32_t base = static_cast<uint32_t>(t.number * 1000 + static_cast<int>(t.kind) * 100);
    for (uint32_t k = 0; k < kSeedCandidates; ++k) {
        sim.ravx.Seed(base + k);
        sim.ResetKey();  // as the run resets
        int visible = 0;
        for (uint8_t code : sim.ravx.DisplayRam)
            visible += Visible(sim, code);
        ranked.emplace_back(-visible, base + k);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<uint32_t> seeds;
    for (std::size_t i = 0; i < kSeedsUsed; ++i)
        seeds.push_back(ranked[i].second);
    return seeds;
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
    const auto scripts = CheckScripts(task, &problem);
    if (scripts.empty()) {
        verdict.reason = "задание нельзя проверить: " + problem;
        return verdict;
    }
    const auto allowed = AllowedSetups(task);
    std::vector<GeneratorSetup> setups = allowed;
    if (fixedSetup) {
        if (std::find(allowed.begin(), allowed.end(), *fixedSetup) == allowed.end()) {
            verdict.setup = *fixedSetup;
            verdict.reason = SetupMismatch(*fixedSetup, allowed);
            return verdict;
        }
        setups = {*fixedSetup};
    }
    int best = -2;
    for (const GeneratorSetup& setup : setups) {
        const auto seeds = RevealingSeeds(load, task, setup);
        RunOutcome worst{true, {}, 0};
        for (std::size_t i = 0; i < scripts.size() && worst.solved; ++i)
            worst = CheckRun(load, task, setup, scripts[i], scripts[0], seeds[i % seeds.size()]).Go();
        // every script has run with one seed; the first script runs with the others too
        for (std::size_t i = scripts.size(); i < seeds.size() && worst.solved; ++i)
            worst = CheckRun(load, task, setup, scripts[0], scripts[0], seeds[i]).Go();
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
