#include "tools/ravx-run/Runner.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <sstream>

#include "machine/_Asm_text.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "mainwindow/SettingsForm.h"
#include "tools/ravx-run/Json.h"
#include "tools/ravx-run/Trace.h"

namespace ravx {

const char* const kRunUsage =
    "usage: ravx-run [options] PROGRAM.prg\n"
    "  --firmware FILE.dmp   load a firmware dump after the program\n"
    "  --steps N             perform at most N steps (default 100000)\n"
    "  --events FILE         scripted user actions between steps\n"
    "  --seed N              seed of the random source used at reset\n"
    "  --zg 0|1|2|3          character generator choice\n"
    "  --kg                  code generator connected\n"
    "  --no-auto-release     key auto-release off\n"
    "  --no-octal-strobe     octal strobe input off\n"
    "  --json                print the final state as one JSON object\n"
    "  --trace FILE          write one JSON line per step (row, text, changed registers\n"
    "                        and flags, port reads and writes, errors)\n"
    "  --save-program FILE    write the program file as \"Сохранить программу\" does\n"
    "  --save-firmware FILE   write the firmware dump as \"Сохранить прошивку\" does\n"
    "  --listing FILE         write the program listing as the report does\n"
    "  --state-report FILE    write the state report as the report does\n"
    "  --report-options LIST  comma-separated changes to the report options' defaults:\n"
    "                         dos (turn \"Конвертация в ДОС\" on), utf8 (turn \"UTF-8\" on;\n"
    "                         not with dos), no-zg, no-kg, no-ozu, no-ozui, no-mozu, no-cw\n"
    "                         (uncheck that content item)\n";

namespace {

template <typename T>
bool parseUnsigned(std::string_view s, T& out)
{
    if (s.empty())
        return false;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw RunnerError("cannot read " + path);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> w;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r')
            ++j;
        if (j > i)
            w.push_back(line.substr(i, j - i));
        i = j;
    }
    return w;
}

}  // namespace

RunOptions ParseRunOptions(const std::vector<std::string>& args)
{
    RunOptions o;
    auto needValue = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size())
            throw RunnerError("option " + args[i] + " needs a value");
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--firmware") {
            o.firmware = needValue(i);
        } else if (a == "--steps") {
            if (!parseUnsigned(needValue(i), o.steps))
                throw RunnerError("--steps needs a non-negative integer");
        } else if (a == "--events") {
            o.events = needValue(i);
        } else if (a == "--seed") {
            uint32_t s;
            if (!parseUnsigned(needValue(i), s))
                throw RunnerError("--seed needs an integer from 0 to 4294967295");
            o.seed = s;
        } else if (a == "--zg") {
            const std::string& v = needValue(i);
            if (v.size() != 1 || v[0] < '0' || v[0] > '3')
                throw RunnerError("--zg needs 0, 1, 2 or 3");
            o.zg = v[0] - '0';
        } else if (a == "--kg") {
            o.kg = true;
        } else if (a == "--no-auto-release") {
            o.autoRelease = false;
        } else if (a == "--no-octal-strobe") {
            o.octalStrobe = false;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--trace") {
            o.trace = needValue(i);
        } else if (a == "--save-program") {
            o.saveProgram = needValue(i);
        } else if (a == "--save-firmware") {
            o.saveFirmware = needValue(i);
        } else if (a == "--listing") {
            o.listing = needValue(i);
        } else if (a == "--state-report") {
            o.stateReport = needValue(i);
        } else if (a == "--report-options") {
            ApplyReportOptionChanges(needValue(i), o.report);
        } else if (a.size() > 1 && a[0] == '-') {
            throw RunnerError("unknown option " + a);
        } else if (o.program.empty()) {
            o.program = a;
        } else {
            throw RunnerError("only one program may be given");
        }
    }
    if (o.program.empty())
        throw RunnerError("no program given");
    return o;
}

void ApplyReportOptionChanges(const std::string& list, ReportOptions& options)
{
    struct Change {
        std::string_view item;
        bool ReportOptions::*mark;
        bool value;
    };
    static constexpr std::array<Change, 8> kChanges = {{
        {"dos", &ReportOptions::DosP, true},
        {"utf8", &ReportOptions::Utf8P, true},
        {"no-zg", &ReportOptions::ZGP, false},
        {"no-kg", &ReportOptions::KGP, false},
        {"no-ozu", &ReportOptions::OZUP, false},
        {"no-ozui", &ReportOptions::OZUiP, false},
        {"no-mozu", &ReportOptions::MOZUP, false},
        {"no-cw", &ReportOptions::CWP, false},
    }};
    if (list.empty())
        return;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string_view item = std::string_view(list).substr(start, end - start);
        const auto change =
            std::find_if(kChanges.begin(), kChanges.end(), [&](const Change& c) { return c.item == item; });
        if (change == kChanges.end())
            throw RunnerError("unknown report option \"" + std::string(item) + "\"");
        options.*(change->mark) = change->value;
        start = end + 1;
    }
    if (options.DosP && options.Utf8P)
        throw RunnerError("report options \"dos\" and \"utf8\" exclude each other");
}

std::vector<ScriptEvent> ParseEvents(const std::string& text)
{
    std::vector<ScriptEvent> events;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string_view line(raw);
        if (const auto hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        const auto w = words(line);
        if (w.empty())
            continue;
        auto bad = [&](const std::string& why) {
            return RunnerError("events line " + std::to_string(lineNo) + ": " + why);
        };
        ScriptEvent e;
        if (!parseUnsigned(w[0], e.step) || e.step == 0)
            throw bad("the step number must be a positive integer");
        if (w.size() < 2)
            throw bad("missing action");
        const std::string_view action = w[1];
        auto onOff = [&](std::string_view v, std::string_view on, std::string_view off) {
            if (v == on)
                return true;
            if (v == off)
                return false;
            throw bad("expected " + std::string(on) + " or " + std::string(off));
        };
        if (action == "key") {
            if (w.size() != 5 || !parseUnsigned(w[2], e.row) || !parseUnsigned(w[3], e.column) || e.row > 7 ||
                e.column > 7)
                throw bad("expected: key ROW COL down|up (ROW and COL 0..7)");
            e.kind = ScriptEvent::Key;
            e.on = onOff(w[4], "down", "up");
        } else if (action == "ctrl" || action == "shift") {
            if (w.size() != 3)
                throw bad("expected: " + std::string(action) + " on|off");
            e.kind = action == "ctrl" ? ScriptEvent::Ctrl : ScriptEvent::Shift;
            e.on = onOff(w[2], "on", "off");
        } else if (action == "strobe") {
            if (w.size() != 2)
                throw bad("strobe takes no arguments");
            e.kind = ScriptEvent::Strobe;
        } else if (action == "octal") {
            if (w.size() > 3)
                throw bad("expected: octal TEXT");
            e.kind = ScriptEvent::Octal;
            e.text = w.size() == 3 ? std::string(w[2]) : std::string();
        } else {
            throw bad("unknown action " + std::string(action));
        }
        events.push_back(std::move(e));
    }
    // applied in step order, file order within a step
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.step < b.step; });
    return events;
}

void RecordingHost::reportError(uint8_t code) { errors.push_back({step, sim ? sim->m.IP : uint16_t(0), code}); }

bool RecordingHost::processEvents()
{
    ++step;
    while (nextEvent < events.size() && events[nextEvent].step <= step) {
        const ScriptEvent& e = events[nextEvent++];
        switch (e.kind) {
        case ScriptEvent::Key: sim->ravx.SetMatrixCell(e.row, e.column, e.on); break;
        case ScriptEvent::Ctrl:
            if (sim->panel.CtrlChecked != e.on)
                sim->ravx.ClickCtrl();
            break;
        case ScriptEvent::Shift: sim->ravx.SetShift(e.on); break;
        case ScriptEvent::Strobe:
            // the click pair: check, then uncheck
            if (!sim->panel.CtrlChecked)
                sim->ravx.ClickCtrl();
            sim->ravx.ClickCtrl();
            break;
        case ScriptEvent::Octal: sim->ravx.SetOctalEntry(e.text); break;
        }
    }
    return false;  // the script only works the controller's inputs
}

Runner::Runner(const RunOptions& options) : options_(options), sim_(host_)
{
    host_.sim = &sim_;
    sim_.SetHistoryEnabled(false);  // nobody steps back here
    if (!options_.events.empty())
        host_.events = ParseEvents(readWholeFile(options_.events));
    if (options_.seed)
        sim_.ravx.Seed(*options_.seed);
    // the options are the settings dialog's fields, applied as its "Ввод" does
    SettingsForm settings = ShowSettings(sim_);
    settings.Generator = options_.zg;
    settings.CodeGenerator = options_.kg;
    settings.AutoRelease = options_.autoRelease;
    settings.OctalStrobe = options_.octalStrobe;
    ApplySettings(sim_, settings);

    try {
        OpenProgram(sim_, options_.program);
    } catch (const FileError& e) {
        throw RunnerError(options_.program + ": " + e.what());
    }
    if (!options_.firmware.empty()) {
        try {
            LoadFirmware(sim_, options_.firmware);
        } catch (const FileError& e) {
            throw RunnerError(options_.firmware + ": " + e.what());
        }
    }
    host_.errors.clear();
    host_.step = 0;
}

RunResult Runner::Run()
{
    RunResult r;
    if (options_.trace.empty()) {
        if (options_.steps > 0)
            r.stop = sim_.Run(options_.steps, &r.steps);
        return r;
    }
    TraceWriter trace(options_.trace, sim_, host_);
    uint64_t n = 0;
    if (options_.steps > 0)
        r.stop = sim_.Run(options_.steps, &r.steps, [&] {
            trace.AfterStep(++n);
            return false;  // the trace only reads
        });
    return r;
}

void Runner::WriteOutputs()
{
    auto write = [](const std::string& path, const auto& save) {
        if (path.empty())
            return;
        try {
            save(path);
        } catch (const FileError& e) {
            throw RunnerError(path + ": " + e.what());
        }
    };
    const ReportSources sources = ReportSourcesOf(sim_);
    write(options_.saveProgram, [&](const std::string& p) { SaveProgram(sim_, p); });
    write(options_.saveFirmware, [&](const std::string& p) { SaveFirmware(sim_, p); });
    write(options_.listing,
          [&](const std::string& p) { WriteReport(ReportFile::Listing, p, sources, options_.report); });
    write(options_.stateReport,
          [&](const std::string& p) { WriteReport(ReportFile::State, p, sources, options_.report); });
}

const char* RunStopName(RunStop s)
{
    switch (s) {
    case RunStop::Breakpoint: return "breakpoint";
    case RunStop::Error: return "error";
    case RunStop::Stopped:
    case RunStop::Target:  // the runner sets no target
    case RunStop::Steps: return "steps";
    }
    return "steps";
}

namespace {
const char* modeName(const TRavx& c)
{
    if (c.ModeRollover)
        return "rollover";
    if (c.ModeSensor)
        return "sensor";
    if (c.ModeStrobed)
        return "strobed";
    return "lockout";
}
}  // namespace

std::string Runner::Json(const RunResult& r) const
{
    const MachineState& m = sim_.m;
    const TRavx& c = sim_.ravx;
    const FrontPanel& p = sim_.panel;
    JsonWriter j(true);
    j.beginObject();
    j.key("steps").value(r.steps);
    j.key("stop").value(RunStopName(r.stop));
    j.key("errors").beginArray();
    for (const ErrorRecord& e : host_.errors) {
        j.beginObject(true);
        j.key("step").value(e.step).key("ip").value(unsigned{e.ip}).key("code").value(unsigned{e.code});
        j.endObject();
    }
    j.endArray();
    j.key("ax").value(unsigned{m.AX}).key("bx").value(unsigned{m.BX}).key("cx").value(unsigned{m.CX});
    j.key("dx").value(unsigned{m.DX}).key("di").value(unsigned{m.DI}).key("si").value(unsigned{m.SI});
    j.key("sp").value(unsigned{m.SP}).key("ip").value(unsigned{m.IP});
    j.key("af").value(unsigned{m.AF}).key("zf").value(int{m.ZF}).key("sf").value(int{m.SF});
    j.key("pf").value(int{m.PF}).key("if").value(int{m.IF});
    j.key("errorCode").value(unsigned{m.ErrorCode}).key("errorCounter").value(unsigned{m.ErrorCounter});
    j.key("interruptAddress").value(unsigned{m.InterruptAddress});
    j.key("ram").beginObject();
    for (int a = 0; a < kRamCells; ++a)
        if (m.Ram[a] != 0)
            j.key(std::to_string(a)).value(unsigned{m.Ram[a]});
    j.endObject();
    j.key("stack").beginArray(true);
    // SP + 1 wraps to slot 0 on a full stack (SP = 65535): all 256 slots
    for (unsigned i = static_cast<uint16_t>(m.SP + 1); i <= kStackEmpty; ++i)
        j.value(unsigned{m.Stack[i]});
    j.endArray();

    j.key("controller").beginObject();
    j.key("portBase").value(unsigned{c.PortBase});
    j.key("displayRam").beginArray(true);
    for (uint8_t v : c.DisplayRam)
        j.value(unsigned{v});
    j.endArray();
    j.key("sensorRam").beginArray(true);
    for (uint8_t v : c.SensorRam)
        j.value(unsigned{v});
    j.endArray();
    j.key("fifoCount").value(unsigned{c.FifoCount}).key("fifoReadPtr").value(unsigned{c.FifoReadPtr});
    j.key("fifoWritePtr").value(unsigned{c.FifoWritePtr}).key("ramAddress").value(unsigned{c.RamAddress});
    j.key("intLine").value(int{c.IntLine}).key("scanCounter").value(unsigned{c.ScanCounter});
    j.key("mode").value(modeName(c)).key("clearing").value(int{c.Clearing});
    j.endObject();

    j.key("labels").beginObject();
    auto label = [&](const char* name, const Label& l) { j.key(name).value(l.view()); };
    label("CS", p.CS);
    label("D", p.D);
    label("RetC", p.RetC);
    label("OUTAC", p.OUTAC);
    label("OutBC", p.OutBC);
    label("S30C", p.S30C);
    label("intC", p.intC);
    label("BDC", p.BDC);
    label("RgAC", p.RgAC);
    label("IncLab", p.IncLab);
    label("STk", p.STk);
    label("Stg", p.Stg);
    label("Sthv", p.Sthv);
    label("PSWLab", p.PSWLab);
    label("CyclC", p.CyclC);
    for (int i = 0; i < 8; ++i)
        label(("C" + std::to_string(i)).c_str(), p.C[i]);
    j.key("CWLab").value(p.CWLabVisible ? p.CWLab.view() : std::string_view());
    label("ZGOutL", p.ZGOutL);
    label("ZGOutL1", p.ZGOutL1);
    label("KodL", p.KodL);
    label("NumZGL", p.NumZGL);
    j.endObject();

    j.key("indicators").beginArray();
    for (int row = 0; row < p.DGridRows; ++row) {
        j.beginArray(true);
        for (int col = 0; col < p.DGridCols; ++col)
            j.value(p.Indicator[row][col].view());
        j.endArray();
    }
    j.endArray();
    j.key("matrix").beginArray();
    for (int row = 0; row < p.MatrixRows; ++row)
        j.value(std::string_view(p.Matrix[row].data(), kMatrixSize));
    j.endArray();
    j.endObject();
    return j.str() + "\n";
}

std::string Runner::Summary(const RunResult& r) const
{
    const MachineState& m = sim_.m;
    std::ostringstream s;
    s << "steps: " << r.steps << ", stopped by " << RunStopName(r.stop) << "\n";
    s << "IP=" << RowAddressText(m.IP) << "  AX=" << hex4(m.AX).view() << " BX=" << hex4(m.BX).view()
      << " CX=" << hex4(m.CX).view() << " DX=" << hex4(m.DX).view() << " DI=" << hex4(m.DI).view()
      << " SI=" << hex4(m.SI).view() << " SP=" << hex4(2u * m.SP).view() << "\n";
    s << "ZF=" << m.ZF << " SF=" << m.SF << " PF=" << m.PF << " IF=" << m.IF << "\n";
    s << "errors: " << host_.errors.size();
    for (const ErrorRecord& e : host_.errors)
        s << "  [step " << e.step << ", row " << RowAddressText(e.ip) << ", error " << unsigned{e.code} << "]";
    s << "\n";
    const TRavx& c = sim_.ravx;
    s << "controller: mode " << modeName(c) << ", INT " << c.IntLine << ", FIFO " << unsigned{c.FifoCount}
      << ", display RAM";
    for (uint8_t v : c.DisplayRam)
        s << ' ' << hex2(v).view();
    s << "\n";
    return s.str();
}

}  // namespace ravx
