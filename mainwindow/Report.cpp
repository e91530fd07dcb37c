#include "mainwindow/Report.h"

#include <algorithm>
#include <ostream>
#include <span>

#include "machine/Codepage.h"
#include "mainwindow/FileName.h"
#include "mainwindow/SafeSave.h"
#include "mainwindow/Simulator.h"

namespace ravx {

const std::array<ReportOptionItem, 12> kReportOptionItems = {{
    {"Текст программы", &ReportOptions::PrgP, false},
    {"Конвертация в ДОС", &ReportOptions::DosP, false, &ReportOptions::Utf8P},
    {"UTF-8", &ReportOptions::Utf8P, false, &ReportOptions::DosP},
    {"", nullptr, false},
    {"Отчет", &ReportOptions::OtchC, false},
    {"", nullptr, false},
    {"Содержимое ЗГ", &ReportOptions::ZGP, true},
    {"Содержимое КГ", &ReportOptions::KGP, true},
    {"Содержимое ОЗУ данных", &ReportOptions::OZUP, true},
    {"Содержимое ОЗУ индикации", &ReportOptions::OZUiP, true},
    {"Содержимое МОЗУ", &ReportOptions::MOZUP, true},
    {"Управляющие слова", &ReportOptions::CWP, true},
}};

void ToggleReportOption(ReportOptions& options, std::size_t index)
{
    if (index >= kReportOptionItems.size() || !kReportOptionItems[index].mark)
        return;
    const ReportOptionItem& item = kReportOptionItems[index];
    bool& mark = options.*item.mark;
    mark = !mark;
    if (mark && item.excludes)
        options.*item.excludes = false;
}

ReportCoding CodingOf(const ReportOptions& options)
{
    if (options.Utf8P)
        return ReportCoding::Utf8;
    return options.DosP ? ReportCoding::Dos : ReportCoding::Windows;
}

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// ---- texts in the file's code page ------------------------------------------

// A text marked for conversion goes out in 866 when "Конвертация в ДОС" is on;
// every other text is written as the Windows-1251 files hold it. In UTF-8 a
// text holds the same characters as in Windows-1251 (what the program file
// keeps of it), only encoded for any editor to read.
class Encoder {
public:
    explicit Encoder(const ReportOptions& options) : coding_(CodingOf(options)) {}
    std::string Converted(std::string_view utf8) const { return Encoded(SingleByte(utf8, true)); }
    std::string Plain(std::string_view utf8) const { return Encoded(SingleByte(utf8, false)); }
    // The text padded with blanks and cut to `width` characters, counted in
    // the single-byte form, where one byte is one character.
    std::string Cell(std::string_view utf8, size_t width) const
    {
        std::string bytes = SingleByte(utf8, true);
        bytes.resize(width, ' ');
        return Encoded(bytes);
    }
    // A frame character, given in UTF-8: an 866 byte in the other code pages.
    std::string Frame(std::string_view utf8) const
    {
        return coding_ == ReportCoding::Utf8 ? std::string(utf8) : Utf8ToCp866(utf8);
    }

private:
    // The text as the file would hold it in a single-byte code page.
    std::string SingleByte(std::string_view utf8, bool converted) const
    {
        return converted && coding_ == ReportCoding::Dos ? ToDosText(utf8) : Utf8ToCp1251(utf8);
    }
    std::string Encoded(const std::string& singleByte) const
    {
        return coding_ == ReportCoding::Utf8 ? Cp1251ToUtf8(singleByte) : singleByte;
    }

    ReportCoding coding_;
};

// A line break inside a cell text would split one listing line into two.
std::string OneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

// ---- the program listing -----------------------------------------------------

// Frame characters: code page 866 bytes in a single-byte file.
constexpr std::string_view kFrameTopLeft = "┌";
constexpr std::string_view kFrameTopRight = "┐";
constexpr std::string_view kFrameLeftTee = "├";
constexpr std::string_view kFrameRightTee = "┤";
constexpr std::string_view kFrameTopTee = "┬";
constexpr std::string_view kFrameCross = "┼";
constexpr std::string_view kFrameHorizontal = "─";
constexpr std::string_view kFrameVertical = "│";

// Inner widths of the three columns between the vertical bars, and the part
// of the text columns a text may fill (a blank stays on either side).
constexpr size_t kAddressColumn = 5;
constexpr size_t kStatementColumn = 28;
constexpr size_t kCommentColumn = 34;
constexpr size_t kStatementWidth = kStatementColumn - 2;
constexpr size_t kCommentWidth = kCommentColumn - 2;

std::string FrameLine(std::string_view left, std::string_view tee, std::string_view right, const Encoder& enc)
{
    const std::string bar = enc.Frame(kFrameHorizontal);
    auto bars = [&](size_t n) {
        std::string run;
        for (size_t i = 0; i < n; ++i)
            run += bar;
        return run;
    };
    return enc.Frame(left) + bars(kAddressColumn) + enc.Frame(tee) + bars(kStatementColumn) + enc.Frame(tee) +
           bars(kCommentColumn) + enc.Frame(right);
}

// The heading's texts with the blanks that centre them over the columns.
constexpr std::string_view kHeadingAddress = "  №  ";
constexpr std::string_view kHeadingStatement = "       Программа            ";
constexpr std::string_view kHeadingComment = "      Комментарии                 ";

std::string HeadingLine(const Encoder& enc)
{
    const std::string bar = enc.Frame(kFrameVertical);
    return bar + enc.Converted(kHeadingAddress) + bar + enc.Converted(kHeadingStatement) + bar +
           enc.Converted(kHeadingComment) + bar;
}

std::string RowLine(int address, const ProgramRow& row, const Encoder& enc)
{
    const std::string bar = enc.Frame(kFrameVertical);
    std::string line = bar;
    line += " " + RowAddressText(address) + " ";
    line += bar;
    line += " " + enc.Cell(OneLine(row.statement), kStatementWidth) + " ";
    line += bar;
    line += " " + enc.Cell(OneLine(row.comment), kCommentWidth) + " ";
    line += bar;
    line += ' ';
    return line;
}

// ---- the state report --------------------------------------------------------

constexpr int kOctalBits = 3;
constexpr unsigned kOctalDigitMask = 07;
constexpr int kOctalShort = 2;        // "short octal": 00..17 for 0..15
constexpr int kOctalByte = 3;         // "three-digit octal": 000..377
constexpr int kOctalWideAddress = 4;  // data RAM cells 512..1023: 1000..1777
constexpr size_t kDumpGroup = 8;
constexpr size_t kRamDumpCells = 1024;
constexpr size_t kRamDumpBreak = 256;         // a blank line before this cell's group
constexpr size_t kThreeDigitAddresses = 512;  // the first cell three octal digits cannot hold
constexpr uint16_t kLowByteMask = 0x00FF;
constexpr int kNarrowIndicators = 8;
constexpr int kWideIndicators = 16;
constexpr std::string_view kEmptyIndicatorCell = "#";
constexpr std::string_view kNarrowDigitHeading = "0 1 2 3 4 5 6 7";
constexpr std::string_view kWideDigitHeading = "0 1 2 3 4 5 6 7 8 9 A B C D E F";
constexpr std::string_view kDisplayRamHeading = " ОЗУ индикации           ";
constexpr std::string_view kFifoHeading = "       МОЗУ";
constexpr std::string_view kDisplayColumnGap = "            ";
constexpr std::string_view kFifoColumnGap = "     ";
constexpr std::string_view kCommandWordGap = "      ";
constexpr std::string_view kSensorEndSeen = "  1";
constexpr std::string_view kSensorEndNotSeen = "  0";

// The last `digits` octal digits of v.
std::string Octal(unsigned v, int digits)
{
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, v >>= kOctalBits)
        text[static_cast<size_t>(i)] = static_cast<char>('0' + (v & kOctalDigitMask));
    return text;
}

class StateWriter {
public:
    StateWriter(const ReportSources& s, const ReportOptions& o) : s_(s), o_(o), enc_(o) {}

    std::string Write()
    {
        Indicators();
        if (o_.ZGP) {
            Dump(" Дамп знакогенератора 1", s_.controller.Zg1);
            Dump(" Дамп знакогенератора 2", s_.controller.Zg2);
            Dump(" Дамп знакогенератора 3", s_.controller.Zg3);
            Dump(" Дамп знакогенератора 4", s_.controller.Zg4);
        }
        if (o_.KGP)
            Dump(" Дамп кодогенератора", s_.controller.Kg);
        if (o_.OZUP)
            RamDump();
        DisplayAndFifo();
        if (o_.CWP)
            CommandWords();
        return out_;
    }

private:
    void Line(std::string_view bytes)
    {
        out_ += bytes;
        out_ += kLineEnd;
    }

    // An empty cell holds "#" once the grid has painted it; a position
    // beyond the grid's columns has no cell and gives an empty text.
    std::string IndicatorCell(int row, int column) const
    {
        if (column >= s_.panel.DGridCols)
            return {};
        std::string_view text = s_.panel.Indicator[static_cast<size_t>(row)][static_cast<size_t>(column)].view();
        return OneLine(enc_.Plain(text.empty() ? kEmptyIndicatorCell : text));
    }

    void Indicators()
    {
        Line(enc_.Converted("Линейки индикаторов:"));
        Line(s_.panel.DGridCols > kNarrowIndicators ? kWideDigitHeading : kNarrowDigitHeading);
        const int positions = s_.controller.Display16 ? kWideIndicators : kNarrowIndicators;
        const int rows = s_.panel.DGridRows > 1 ? 2 : 1;
        for (int row = 0; row < rows; ++row) {
            std::string line;
            for (int column = 0; column < positions; ++column)
                line += IndicatorCell(row, column) + " ";
            Line(line);
        }
    }

    // Eight entries as three-digit octals, each followed by a blank; empty
    // when all eight are zero, since such lines are left out.
    template <class Value>
    static std::string GroupValues(std::span<const Value> group)
    {
        if (std::all_of(group.begin(), group.end(), [](Value v) { return (v & kLowByteMask) == 0; }))
            return {};
        std::string values;
        for (Value v : group)
            values += Octal(v & kLowByteMask, kOctalByte) + " ";
        return values;
    }

    template <class Value, size_t N>
    void Dump(std::string_view title, const std::array<Value, N>& table)
    {
        static_assert(N % kDumpGroup == 0, "a dump is made of whole groups");
        Line(enc_.Converted(title));
        for (size_t first = 0; first < N; first += kDumpGroup) {
            std::string values = GroupValues(std::span<const Value>(table.data() + first, kDumpGroup));
            if (!values.empty())
                Line(Octal(static_cast<unsigned>(first), kOctalByte) + ": " + values);
        }
    }

    // Addresses from 512 on need four octal digits; the colon then follows
    // without its blank, so every value column stays where it is and no
    // address repeats.
    static std::string RamAddressField(size_t cell)
    {
        if (cell < kThreeDigitAddresses)
            return Octal(static_cast<unsigned>(cell), kOctalByte) + ": ";
        return Octal(static_cast<unsigned>(cell), kOctalWideAddress) + ":";
    }

    void RamDump()
    {
        Line(enc_.Converted(" Дамп ОЗУ данных"));
        for (size_t first = 0; first < kRamDumpCells; first += kDumpGroup) {
            if (first == kRamDumpBreak)
                Line("");
            std::string values = GroupValues(std::span<const uint16_t>(s_.machine.Ram.data() + first, kDumpGroup));
            if (!values.empty())
                Line(RamAddressField(first) + values);
        }
    }

    std::string PointerMark(size_t i) const
    {
        const bool read = s_.controller.FifoReadPtr == i;
        const bool write = s_.controller.FifoWritePtr == i;
        if (read && write)
            return " RW";
        if (read)
            return " R";
        if (write)
            return "  W";
        return {};
    }

    void DisplayAndFifo()
    {
        std::string heading;
        if (o_.OZUiP)
            heading += kDisplayRamHeading;
        if (o_.MOZUP)
            heading += kFifoHeading;
        Line(enc_.Converted(heading));

        const auto& ram = s_.controller.DisplayRam;
        const size_t half = ram.size() / 2;
        for (size_t i = 0; i < s_.controller.SensorRam.size(); ++i) {
            std::string line = " ";
            if (o_.OZUiP) {
                line += Octal(static_cast<unsigned>(i), kOctalShort) + ": " + Octal(ram[i], kOctalByte);
                line += kDisplayColumnGap;
                line += Octal(static_cast<unsigned>(i + half), kOctalShort) + ": " + Octal(ram[i + half], kOctalByte);
            }
            if (o_.MOZUP) {
                line += kFifoColumnGap;
                line += Octal(static_cast<unsigned>(i), kOctalShort) + ": " +
                        Octal(s_.controller.SensorRam[i], kOctalByte) + PointerMark(i);
            }
            Line(line);
        }
    }

    void CommandWords()
    {
        const auto& c = s_.panel.C;
        auto word = [&](int n) { return std::string("CW") + std::to_string(n) + ":"; };
        auto text = [&](int n) { return enc_.Plain(c[static_cast<size_t>(n)].view()); };
        std::string cw7 = s_.controller.ModeSensor
                              ? std::string(s_.controller.EndInterruptSeen ? kSensorEndSeen : kSensorEndNotSeen)
                              : text(7);
        Line(enc_.Converted("Управляющие слова"));
        Line(OneLine(word(0) + text(0) + std::string(kCommandWordGap) + word(4) + text(4)));
        Line(OneLine(word(1) + text(1) + std::string(kCommandWordGap) + word(5) + text(5)));
        Line(OneLine(word(2) + text(2) + std::string(kCommandWordGap) + word(7) + cw7));
    }

    const ReportSources& s_;
    const ReportOptions& o_;
    Encoder enc_;
    std::string out_;
};

// ---- DOS conversion ----------------------------------------------------------

struct LookAlike {
    char32_t from;
    char32_t to;
};

// Windows-1251 characters code page 866 has no byte for.
constexpr std::array<LookAlike, 24> kDosLookAlikes = {{
    {U'\u201A', U','}, {U'\u201E', U'"'},      {U'\u2018', U'\''},     {U'\u2019', U'\''},     {U'\u201C', U'"'},
    {U'\u201D', U'"'}, {U'\u00AB', U'"'},      {U'\u00BB', U'"'},      {U'\u2039', U'<'},      {U'\u203A', U'>'},
    {U'\u2013', U'-'}, {U'\u2014', U'-'},      {U'\u00AD', U'-'},      {U'\u2022', U'\u2219'}, {U'\u00A6', U'|'},
    {U'\u0406', U'I'}, {U'\u0456', U'i'},      {U'\u0408', U'J'},      {U'\u0458', U'j'},      {U'\u0405', U'S'},
    {U'\u0455', U's'}, {U'\u0490', U'\u0413'}, {U'\u0491', U'\u0433'}, {U'\u2020', U'+'},
}};

}  // namespace

std::string ToDosText(std::string_view utf8)
{
    // Through the Windows-1251 form first, so the text is what the file
    // would hold unconverted, character for character.
    std::u32string text = Utf8ToUtf32(Cp1251ToUtf8(Utf8ToCp1251(utf8)));
    for (char32_t& c : text) {
        for (const LookAlike& l : kDosLookAlikes) {
            if (c == l.from)
                c = l.to;
        }
    }
    return Utf8ToCp866(Utf32ToUtf8(text));
}

std::vector<ReportFile> ReportFiles(const ReportOptions& options)
{
    std::vector<ReportFile> files;
    if (options.PrgP)
        files.push_back(ReportFile::Listing);
    if (options.OtchC)
        files.push_back(ReportFile::State);
    return files;
}

ReportDialog ReportDialogFor(ReportFile file)
{
    switch (file) {
    case ReportFile::Listing: return {"Сохранить текст программы", "Текст программы|*.txt", "txt"};
    case ReportFile::State: return {"Сохранить отчет о состоянии", "Отчет о состоянии|*.otc", "otc"};
    }
    return {};
}

std::string SuggestedReportName(ReportFile file, const std::string& dialogName)
{
    constexpr std::string_view kBlanks = " \t";
    constexpr std::string_view kDefaultName = "Default";

    auto [folder, name] = SplitFolder(dialogName);
    if (name.find_first_not_of(kBlanks) == std::string::npos)
        name = kDefaultName;
    name = name.substr(0, name.find('.'));
    return folder + name + "." + std::string(ReportDialogFor(file).defaultExtension);
}

ReportSources ReportSourcesOf(const Simulator& sim)
{
    return ReportSources{sim.program, sim.panel, sim.ravx.State(), sim.m};
}

std::string ProgramListing(const Program& program, const ReportOptions& options)
{
    const Encoder enc(options);
    std::string out;
    auto line = [&](const std::string& bytes) {
        out += bytes;
        out += kLineEnd;
    };
    line(FrameLine(kFrameTopLeft, kFrameTopTee, kFrameTopRight, enc));
    line(HeadingLine(enc));
    line(FrameLine(kFrameLeftTee, kFrameCross, kFrameRightTee, enc));
    for (int address = 0; address < kStatementRows; ++address)
        line(RowLine(address, program.rows[static_cast<size_t>(address)], enc));
    return out;
}

std::string StateReport(const ReportSources& sources, const ReportOptions& options)
{
    return StateWriter(sources, options).Write();
}

std::string ReportBytes(ReportFile file, const ReportSources& sources, const ReportOptions& options)
{
    switch (file) {
    case ReportFile::Listing: return ProgramListing(sources.program, options);
    case ReportFile::State: return StateReport(sources, options);
    }
    return {};
}

void WriteReport(ReportFile file, const std::string& path, const ReportSources& sources, const ReportOptions& options)
{
    const std::string bytes = ReportBytes(file, sources, options);
    SaveReplacing(path,
                  [&](std::ostream& out) { out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())); });
}

}  // namespace ravx
