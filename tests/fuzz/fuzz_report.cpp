// Any statement and comment bytes and any controller state in the report:
// nothing may crash, the listing keeps its 502 lines of the frame's width (in
// characters, in UTF-8), a UTF-8 report is valid UTF-8, and both files hold
// only whole CR LF lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "machine/Codepage.h"
#include "mainwindow/Report.h"

namespace {

constexpr size_t kFrameLineWidth = 71;  // the frame and the heading
constexpr size_t kRowLineWidth = 72;    // a row line ends in a blank after its bar
constexpr size_t kFrameLines = 3;
constexpr size_t kIndicatorCellBytes = 7;

// The lines without their CR LF; aborts on a stray CR or LF or a missing end.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find("\r\n");
        if (end == std::string_view::npos)
            std::abort();
        const std::string_view line = text.substr(0, end);
        if (line.find_first_of("\r\n") != std::string_view::npos)
            std::abort();
        lines.push_back(line);
        text.remove_prefix(end + 2);
    }
    return lines;
}

void FillRows(FuzzedDataProvider& in, ravx::Program& program)
{
    const int rows = in.ConsumeIntegralInRange(0, ravx::kProgramRows);
    for (int i = 0; i < rows; ++i) {
        ravx::ProgramRow& row = program.rows[in.ConsumeIntegralInRange(0, ravx::kProgramRows - 1)];
        row.statement = in.ConsumeRandomLengthString(64);
        row.comment = in.ConsumeRandomLengthString(64);
        row.breakpoint = in.ConsumeBool();
    }
}

void FillPanel(FuzzedDataProvider& in, ravx::FrontPanel& panel)
{
    panel.DGridCols = in.ConsumeIntegralInRange(-1, 20);
    panel.DGridRows = in.ConsumeIntegralInRange(-1, 3);
    for (auto& row : panel.Indicator)
        for (auto& cell : row)
            cell = in.ConsumeRandomLengthString(kIndicatorCellBytes);
    for (auto& c : panel.C)
        c = in.ConsumeRandomLengthString(20);
}

void FillController(FuzzedDataProvider& in, ravx::RavxState& c, ravx::MachineState& m)
{
    auto fill = [&](auto& table) {
        for (auto& v : table)
            v = in.ConsumeIntegral<std::remove_reference_t<decltype(v)>>();
    };
    fill(c.Zg1);
    fill(c.Zg2);
    fill(c.Zg3);
    fill(c.Zg4);
    fill(c.Kg);
    fill(c.DisplayRam);
    fill(c.SensorRam);
    c.FifoReadPtr = in.ConsumeIntegral<uint8_t>();
    c.FifoWritePtr = in.ConsumeIntegral<uint8_t>();
    c.Display16 = in.ConsumeBool();
    c.ModeSensor = in.ConsumeBool();
    c.EndInterruptSeen = in.ConsumeBool();
    const size_t cells = in.ConsumeIntegralInRange<size_t>(0, m.Ram.size());
    for (size_t i = 0; i < cells; ++i)
        m.Ram[in.ConsumeIntegralInRange<size_t>(0, m.Ram.size() - 1)] = in.ConsumeIntegral<uint16_t>();
}

ravx::ReportOptions Options(FuzzedDataProvider& in)
{
    ravx::ReportOptions o;
    for (const ravx::ReportOptionItem& item : ravx::kReportOptionItems)
        if (item.mark)
            o.*(item.mark) = in.ConsumeBool();
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    static ravx::Program program;
    static ravx::FrontPanel panel;
    static ravx::RavxState controller;
    static ravx::MachineState machine;
    program = ravx::Program{};
    panel = ravx::FrontPanel{};
    controller = ravx::RavxState{};
    machine = ravx::MachineState{};

    const ravx::ReportOptions options = Options(in);
    FillRows(in, program);
    FillPanel(in, panel);
    FillController(in, controller, machine);
    const ravx::ReportSources sources{program, panel, controller, machine};

    const bool utf8 = ravx::CodingOf(options) == ravx::ReportCoding::Utf8;
    // a UTF-8 text re-encodes to itself only when every byte was valid
    auto validUtf8 = [](const std::string& text) { return ravx::Utf32ToUtf8(ravx::Utf8ToUtf32(text)) == text; };
    const std::string listingText = ravx::ProgramListing(program, options);
    if (utf8 && !validUtf8(listingText))
        std::abort();
    const std::vector<std::string_view> listing = Lines(listingText);
    if (listing.size() != kFrameLines + ravx::kStatementRows)
        std::abort();
    for (size_t i = 0; i < listing.size(); ++i) {
        const size_t width = utf8 ? ravx::Utf8ToUtf32(listing[i]).size() : listing[i].size();
        if (width != (i < kFrameLines ? kFrameLineWidth : kRowLineWidth))
            std::abort();
    }
    const std::string state = ravx::StateReport(sources, options);
    if (utf8 && !validUtf8(state))
        std::abort();
    Lines(state);
    return 0;
}
