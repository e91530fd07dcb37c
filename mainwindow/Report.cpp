#include "mainwindow/Report.h"

#include <algorithm>
#include <ostream>
#include <span>

#include "machine/Codepage.h"
#include "mainwindow/FileName.h"
#include "mainwindow/SafeSave.h"
#include "mainwindow/Simulator.h"

namespace ravx {

const std::array<ReportOptionItem, 11> kReportOptionItems = {{
    {"Текст программы", &ReportOptions::PrgP, false},
    {"Конвертация в ДОС", &ReportOptions::DosP, false},
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

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// ---- texts in the file's code page ------------------------------------------

// A text marked for conversion goes out in 866 when "Конвертация в ДОС" is on;
// every other text is written as the Windows-1251 files hold it.
class Encoder {
public:
    explicit Encoder(bool dos) : dos_(dos) {}
    std::string Converted(std::string_view utf8) const { return dos_ ? ToDosText(utf8) : Utf8ToCp1251(utf8); }
    static std::string Plain(std::string_view utf8) { return Utf8ToCp1251(utf8); }

private:
    bool dos_;
};

// A line break inside a cell text would split one listing line into two.
std::string OneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

// ---- the program listing -----------------------------------------------------

// Frame characters, as code page 866 bytes in both modes.
constexpr char kFrameTopLeft = '\xDA';
constexpr char kFrameTopRight = '\xBF';
constexpr char kFrameLeftTee = '\xC3';
constexpr char kFrameRightTee = '\xB4';
constexpr char kFrameTopTee = '\xC2';
constexpr char kFrameCross = '\xC5';
constexpr char kFrameHorizontal = '\xC4';
constexpr char kFrameVertical = '\xB3';

// Inner widths of the three columns between the vertical bars, and the part
// of the text columns a text may fill (a blank stays on either side).
constexpr size_t kAddressColumn = 5;
constexpr size_t kStatementColumn = 28;
constexpr size_t kCommentColumn = 34;
constexpr size_t kStatementWidth = kStatementColumn - 2;
constexpr size_t kCommentWidth = kCommentColumn - 2;

std::string FrameLine(char left, char tee, char right)
{
    std::string line(1, left);
    line.append(kAddressColumn, kFrameHorizontal).push_back(tee);
    line.append(kStatementColumn, kFrameHorizontal).push_back(tee);
    line.append(kCommentColumn, kFrameHorizontal).push_back(right);
    return line;
}

// The heading's texts with the blanks that centre them over the columns.
constexpr std::string_view kHeadingAddress = "  №  ";
constexpr std::string_view kHeadingStatement = "       Программа            ";
constexpr std::string_view kHeadingComment = "      Комментарии                 ";

std::string HeadingLine(const Encoder& enc)
{
    std::string line(1, kFrameVertical);
    line += enc.Converted(kHeadingAddress);
    line += kFrameVertical;
    line += enc.Converted(kHeadingStatement);
    line += kFrameVertical;
    line += enc.Converted(kHeadingComment);
    line += kFrameVertical;
    return line;
}

// The text padded with blanks and cut to the column, counted in bytes of the
// single-byte code page, so in characters.
std::string Cell(std::string bytes, size_t width)
{
    bytes.resize(width, ' ');
    return bytes;
}

std::string RowLine(int address, const ProgramRow& row, const Encoder& enc)
{
    std::string line(1, kFrameVertical);
    line += " " + RowAddressText(address) + " ";
    line += kFrameVertical;
    line += " " + Cell(OneLine(enc.Converted(row.statement)), kStatementWidth) + " ";
    line += kFrameVertical;
    line += " " + Cell(OneLine(enc.Converted(row.comment)), kCommentWidth) + " ";
    line += kFrameVertical;
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
    StateWriter(const ReportSources& s, const ReportOptions& o) : s_(s), o_(o), enc_(o.DosP) {}

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
        return OneLine(Encoder::Plain(text.empty() ? kEmptyIndicatorCell : text));
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
        auto text = [&](int n) { return Encoder::Plain(c[static_cast<size_t>(n)].view()); };
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
    case ReportFile::Listing: return {"Отчеты|*.txt", "txt"};
    case ReportFile::State: return {"Дампы|*.otc", "otc"};
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
    const Encoder enc(options.DosP);
    std::string out;
    auto line = [&](const std::string& bytes) {
        out += bytes;
        out += kLineEnd;
    };
    line(FrameLine(kFrameTopLeft, kFrameTopTee, kFrameTopRight));
    line(HeadingLine(enc));
    line(FrameLine(kFrameLeftTee, kFrameCross, kFrameRightTee));
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
