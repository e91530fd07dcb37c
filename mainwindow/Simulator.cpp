#include "mainwindow/Simulator.h"

#include <cstring>

#include "machine/_Asm_text.h"

namespace ravx {

std::string RowAddressText(int address)
{
    const TextWord t = hex4(static_cast<unsigned>(address));
    return std::string(t.view().substr(1));
}

std::string CentredStatement(std::string_view statement)
{
    std::size_t chars = 0;
    for (char c : statement)
        if (!IsUtf8Continuation(c))
            ++chars;
    const std::size_t pad = chars < 21 ? (21 - chars) / 2 : 0;
    return std::string(pad, ' ') + std::string(statement);
}

std::string RegisterText(const MachineState& m, PanelRegister r, RegisterMode mode)
{
    static const char* const kLowNames[] = {" AL", " BL", " CL", " DL"};
    uint16_t v = 0;
    switch (r) {
    case PanelRegister::AX: v = m.AX; break;
    case PanelRegister::BX: v = m.BX; break;
    case PanelRegister::CX: v = m.CX; break;
    case PanelRegister::DX: v = m.DX; break;
    case PanelRegister::DI: v = m.DI; break;
    case PanelRegister::SI: v = m.SI; break;
    case PanelRegister::SP: v = static_cast<uint16_t>(2u * m.SP); break;
    case PanelRegister::IP: v = m.IP; break;
    }
    std::string t = hex4(v).str();
    const int index = static_cast<int>(r);
    if (index <= static_cast<int>(PanelRegister::DX) && mode != RegisterMode::None) {
        t += ' ';
        t += (mode == RegisterMode::Octal ? oct3(v & 0xFF) : bin8(v & 0xFF)).view();
        t += kLowNames[index];
    }
    return t;
}

Simulator::Simulator(Host& host) : relay_(host), ravx(m, panel, relay_), interp(m, ravx, relay_), host_(host)
{
    initialise();
}

void Simulator::initialise()
{
    // settings at start: octal strobe input on, no generator, no code generator
    panel.OctalStrobe = true;
    panel.NumZGL = "Номер знакогенератора:0";
    ravx.ConnectedGenerator = 0;
    ravx.CodeGeneratorOn = false;
    m.InterruptAddress = kDefaultInterruptAddress;
    ravx.Zg1.fill(0);
    ravx.Zg2.fill(0);
    ravx.Zg3.fill(0);
    ravx.Zg4.fill(0);
    ravx.Kg.fill(0);
    panel.DGridRows = 1;
    ResetKey();
    ravx.PortBase = kInitialPortBase;  // replaced by the settings dialog at the first showing
    m.SP = kStackEmpty;
    m.IF = true;
    m.RefreshFlags();
    program.ClearBreakpoints();
    for (auto& row : panel.Matrix)
        row.fill('1');
}

namespace {
std::unique_ptr<DecodedStatement> MakeDecoded(std::string_view text)
{
    auto d = std::make_unique<DecodedStatement>();
    Decode(text, *d);
    return d;
}
// The interrupt entry and the empty text beyond the last statement row.
const DecodedStatement& IntCallStatement()
{
    static const std::unique_ptr<DecodedStatement> s = MakeDecoded("INTCALL");
    return *s;
}
const DecodedStatement& EmptyStatement()
{
    static const std::unique_ptr<DecodedStatement> s = MakeDecoded("");
    return *s;
}
}  // namespace

bool Simulator::Step()
{
    ++relay_.epoch;  // the caller may have changed the program since the last step
    return step();
}

bool Simulator::step()
{
    relay_.processEvents();
    if (!historyOn_)
        return stepBody();
    history_.BeforeStep(
        ravx.HandsVersion, [this] { return PanelInputs::Of(panel, ravx); }, [this] { return snapshot(); });
    const bool ok = stepBody();
    history_.AfterStep();
    return ok;
}

bool Simulator::stepBody()
{
    ravx.BeginStep(relay_.epoch);
    const bool interrupt = m.IF && ravx.InterruptRequested();
    lastRow_ = m.IP;
    lastInterrupt_ = interrupt;
    lastStatement_ = interrupt ? std::string_view("INTCALL") : program.StatementAt(m.IP);
    if (decodedOn_)
        interp.Execute(interrupt ? IntCallStatement() : decodedRow(m.IP));
    else
        interp.Execute(lastStatement_);
    ravx.EndStatement(relay_.epoch);
    if (m.ErrorCode != 0)
        return false;
    ++m.IP;
    ravx.Clock(relay_.epoch);
    // the controller's cycle can report too (a strobed value above 377 octal)
    return m.ErrorCode == 0;
}

namespace {
// A statement is short: comparing it inline, eight bytes at a time, beats
// the library's memcmp call, which this check would otherwise make at every
// step.
bool SameText(const std::string& a, const std::string& b)
{
    std::size_t n = a.size();
    if (n != b.size())
        return false;
    const char* x = a.data();
    const char* y = b.data();
    for (; n >= 8; n -= 8, x += 8, y += 8) {
        uint64_t u, v;
        std::memcpy(&u, x, 8);
        std::memcpy(&v, y, 8);
        if (u != v)
            return false;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (x[i] != y[i])
            return false;
    return true;
}
}  // namespace

const DecodedStatement& Simulator::decodedRow(uint16_t address)
{
    if (address >= kStatementRows)
        return EmptyStatement();
    std::unique_ptr<DecodedRow>& row = decodedRows_[address];
    const std::string& text = program.rows[address].statement;
    if (!row) {
        row = std::make_unique<DecodedRow>();
    } else if (row->checkedIn == relay_.epoch) {
        return row->decoded;  // nothing outside the core ran since the row was checked
    } else if (SameText(row->source, text)) {
        row->checkedIn = relay_.epoch;
        return row->decoded;
    }
    // a text typed, pasted or loaded since the row last ran
    row->source = text;
    Decode(row->source, row->decoded);
    row->checkedIn = relay_.epoch;
    return row->decoded;
}

RunStop Simulator::Run(uint64_t maxSteps, uint64_t* steps, const std::function<bool()>& afterStep, int targetRow)
{
    uint64_t n = 0;
    RunStop why = RunStop::Steps;
    runFlag_ = true;
    ++relay_.epoch;
    while (n < maxSteps) {
        const bool ok = step();
        ++n;
        if (afterStep && afterStep())
            ++relay_.epoch;  // window events ran
        if (!ok) {
            why = RunStop::Error;
            break;
        }
        if (program.BreakpointAt(m.IP)) {
            why = RunStop::Breakpoint;
            break;
        }
        if (targetRow >= 0 && m.IP == targetRow) {
            why = RunStop::Target;
            break;
        }
        if (!runFlag_) {
            why = RunStop::Stopped;
            break;
        }
    }
    runFlag_ = false;
    if (steps)
        *steps = n;
    return why;
}

void Simulator::ResetKey()
{
    runFlag_ = false;
    ravx.ResetCommand();
    m.Reset();  // the error counter too
    history_.Clear();
}

StateSnapshot Simulator::snapshot() const { return {m, ravx.State(), panel, ravx.Random()}; }

void Simulator::restore(const StateSnapshot& s)
{
    m = s.m;
    static_cast<RavxState&>(ravx) = s.controller;
    panel = s.panel;
    ravx.SetRandom(s.random);
}

bool Simulator::StepBack()
{
    if (!CanStepBack())
        return false;
    ++relay_.epoch;
    const uint64_t target = history_.Steps() - 1;
    const History::Replay replay = history_.ReplayTo(target);
    if (!replay.from)
        return false;
    const PanelInputs hands = PanelInputs::Of(panel, ravx);
    // an error window once shown stays counted: the teacher's checksum reads
    // the counter, and a step back must not take a shown error away
    const uint16_t counted = m.ErrorCounter;
    restore(*replay.from);
    // the steps from the checkpoint on once more, with the hands as they were
    // and without windows: their errors were shown the first time
    relay_.muted = true;
    std::size_t next = 0;
    for (uint64_t s = replay.fromStep; s < target; ++s) {
        while (next < replay.changes.size() && replay.changes[next].first == s) {
            replay.changes[next++].second.ApplyTo(panel, ravx);
            ++relay_.epoch;
        }
        stepBody();
    }
    relay_.muted = false;
    hands.ApplyTo(panel, ravx);
    m.ErrorCounter = counted;
    history_.TruncateTo(target, hands, ravx.HandsVersion);
    return true;
}

void Simulator::MarkProgramSaved()
{
    for (int r = 0; r < kProgramRows; ++r)
        savedRows_[r] = {program.rows[r].statement, program.rows[r].comment};
}

bool Simulator::ProgramChangedSinceSaved() const
{
    for (int r = 0; r < kProgramRows; ++r) {
        if (program.rows[r].statement != savedRows_[r].first || program.rows[r].comment != savedRows_[r].second)
            return true;
    }
    return false;
}

}  // namespace ravx
