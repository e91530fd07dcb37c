#include "mainwindow/ProgramFile.h"

#include <algorithm>
#include <cstdint>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <string_view>

#include "machine/Codepage.h"
#include "machine/_Asm_text.h"
#include "mainwindow/FileError.h"
#include "mainwindow/FileName.h"
#include "mainwindow/SafeSave.h"

namespace ravx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kBreakpointMark = '\x01';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kCaptionPrefix = "ПККИ RAVX ";

// Bytes a program file never holds: control characters other than the line
// ends, the tab and the breakpoint mark, and the one byte 1251 leaves
// undefined.
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kCp1251Undefined = 0x98;
constexpr char kTab = '\t';

// The header numbers were read into a signed 32-bit integer and then cut to
// the word, so anything outside that range is a bad number, not a wrap.
constexpr int64_t kLargestHeaderNumber = std::numeric_limits<int32_t>::max();
constexpr int64_t kLargestHeaderMagnitude = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
constexpr int kDecimalBase = 10;

std::optional<uint16_t> ParseHeaderNumber(std::string_view line)
{
    size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);

    bool negative = false;
    if (line.front() == '+' || line.front() == '-') {
        negative = line.front() == '-';
        line.remove_prefix(1);
    }
    if (line.empty())
        return std::nullopt;

    const int64_t limit = negative ? kLargestHeaderMagnitude : kLargestHeaderNumber;
    int64_t value = 0;
    for (char c : line) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * kDecimalBase + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<uint16_t>(negative ? -value : value);
}

// One line without its end; a bare LF ends a line as well as CR LF. False
// when the file has no more lines.
bool ReadLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line, kLineFeed)) {
        if (in.bad())
            throw FileErrorFromErrno(EIO);
        return false;
    }
    if (!line.empty() && line.back() == kCarriageReturn)
        line.pop_back();
    return true;
}

uint16_t ReadHeaderLine(std::istream& in)
{
    std::string line;
    if (!ReadLine(in, line))
        throw FileError(kErrorReadBeyondEnd);
    std::optional<uint16_t> value = ParseHeaderNumber(line);
    if (!value)
        throw FileError(kErrorInvalidNumber);
    return *value;
}

// A line feed inside a text would shift every following line of the file.
std::string FileLine(std::string_view utf8)
{
    std::string line = Utf8ToCp1251(utf8);
    for (char& c : line) {
        if (c == kLineFeed)
            c = ' ';
    }
    return line;
}

bool IsForeignByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b < kFirstPrintable)
        return c != kTab && c != kLineFeed && c != kCarriageReturn && c != kBreakpointMark;
    return b == kDelete || b == kCp1251Undefined;
}

std::string ByteName(char c) { return std::string(hex2(static_cast<unsigned char>(c)).str()) + "h"; }

}  // namespace

std::string ProgramFileProblem(std::string_view bytes)
{
    if (bytes.empty())
        return "файл пуст";
    if (LooksLikeUtf8(bytes))  // first: its letters hold bytes such as 98h
        return "текст в кодировке UTF-8, а программа хранится в Windows-1251";
    int lines = 0;  // complete lines, and a last one without its line end
    std::string_view header[2];
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = std::min(bytes.find(kLineFeed, start), bytes.size());
        std::string_view line = bytes.substr(start, end - start);
        ++lines;
        if (const auto foreign = std::find_if(line.begin(), line.end(), IsForeignByte); foreign != line.end())
            return "не текст программы: байт " + ByteName(*foreign) + " в строке " + std::to_string(lines);
        if (!line.empty() && line.back() == kCarriageReturn)
            line.remove_suffix(1);
        if (lines <= 2)
            header[lines - 1] = line;
        start = end + 1;
    }
    if (!ParseHeaderNumber(header[0]))
        return "в строке 1 не число (адрес начала ППОП)";
    if (!ParseHeaderNumber(header[1]))
        return "в строке 2 не число (номер порта)";
    if (lines < kProgramFileLines)
        return "файл обрезан: строк " + std::to_string(lines) + " из " + std::to_string(kProgramFileLines);
    return {};
}

void WriteProgramFile(std::ostream& out, const Program& program, uint16_t interruptAddress, uint16_t portBase)
{
    // to_string, not the stream: a global locale could group the digits.
    out << std::to_string(interruptAddress) << kLineEnd << std::to_string(portBase) << kLineEnd;
    for (const ProgramRow& row : program.rows) {
        out << FileLine(row.statement);
        if (row.breakpoint)
            out << kBreakpointMark;
        out << kLineEnd << FileLine(row.comment) << kLineEnd;
    }
}

void WriteProgramFile(const std::string& path, const Program& program, uint16_t interruptAddress, uint16_t portBase)
{
    SaveReplacing(path, [&](std::ostream& out) { WriteProgramFile(out, program, interruptAddress, portBase); });
}

ProgramFileHeader ReadProgramFile(std::istream& in, Program& program)
{
    program.ClearBreakpoints();

    ProgramFileHeader header;
    header.interruptAddress = ReadHeaderLine(in);
    header.portBase = ReadHeaderLine(in);

    bool more = true;
    std::string line;
    for (ProgramRow& row : program.rows) {
        more = more && ReadLine(in, line);
        if (!more)
            line.clear();
        if (!line.empty() && line.back() == kBreakpointMark) {
            line.pop_back();
            row.breakpoint = true;
        }
        row.statement = Cp1251ToUtf8(line);

        more = more && ReadLine(in, line);
        row.comment = more ? Cp1251ToUtf8(line) : std::string();
    }
    return header;
}

ProgramFileHeader ReadProgramFile(const std::string& path, Program& program)
{
    program.ClearBreakpoints();
    std::ifstream in = OpenInputFile(path);
    return ReadProgramFile(in, program);
}

std::string ProgramFileCaption(const std::string& path)
{
    return std::string(kCaptionPrefix) + SplitFolder(path).name;
}

}  // namespace ravx
