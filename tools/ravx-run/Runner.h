// The headless runner: loads a program (and firmware), applies scripted user
// actions between steps, runs on the application's step driver and reports
// the final state.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "mainwindow/Report.h"
#include "mainwindow/Simulator.h"

namespace ravx {

// A bad option, an unreadable file or a bad events script.
class RunnerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RunOptions {
    std::string program;
    std::string firmware;
    std::string events;
    uint64_t steps = 100000;
    std::optional<uint32_t> seed;
    int zg = 0;
    bool kg = false;
    bool autoRelease = true;
    bool octalStrobe = true;
    bool json = false;
    std::string trace;
    // files written after the run, in this order
    std::string saveProgram;
    std::string saveFirmware;
    std::string listing;
    std::string stateReport;
    ReportOptions report;
};

// Applies "--report-options LIST": comma-separated changes to the defaults.
// An unknown item throws RunnerError, and so do "dos" and "utf8" together.
void ApplyReportOptionChanges(const std::string& list, ReportOptions& options);

// Parses the command line (without the program name).
RunOptions ParseRunOptions(const std::vector<std::string>& args);
extern const char* const kRunUsage;

struct ScriptEvent {
    enum Kind { Key, Ctrl, Shift, Strobe, Octal };
    uint64_t step = 0;
    Kind kind = Key;
    int row = 0;
    int column = 0;
    bool on = false;  // key down, ctrl/shift on
    std::string text;
};

// Parses an events script; a bad line throws RunnerError naming its number.
std::vector<ScriptEvent> ParseEvents(const std::string& text);

struct ErrorRecord {
    uint64_t step;
    uint16_t ip;
    uint8_t code;
};

class RecordingHost : public Host {
public:
    void reportError(uint8_t code) override;
    bool processEvents() override;

    Simulator* sim = nullptr;
    uint64_t step = 0;  // number of the step in progress (1-based)
    std::vector<ScriptEvent> events;
    std::size_t nextEvent = 0;
    std::vector<ErrorRecord> errors;
};

struct RunResult {
    uint64_t steps = 0;
    RunStop stop = RunStop::Steps;
};

class Runner {
public:
    explicit Runner(const RunOptions& options);
    RunResult Run();
    // The files asked for by --save-program, --save-firmware, --listing and
    // --state-report, in that order; the first that fails throws RunnerError.
    void WriteOutputs();
    std::string Json(const RunResult& r) const;
    std::string Summary(const RunResult& r) const;
    Simulator& sim() { return sim_; }

private:
    RunOptions options_;
    RecordingHost host_;
    Simulator sim_;
};

const char* RunStopName(RunStop s);

}  // namespace ravx
