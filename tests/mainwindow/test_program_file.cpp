#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/mainwindow/TempDir.h"
#include "machine/Codepage.h"
#include "mainwindow/FileError.h"
#include "mainwindow/ProgramFile.h"

namespace ravx {
namespace {

using filetest::ReadBytes;
using filetest::TempDir;
using filetest::WriteBytes;

constexpr int kFileLines = 1002;
constexpr int kSpareRow = kProgramRows - 1;

std::vector<std::string> SplitCrLf(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start != bytes.size())
        lines.push_back(bytes.substr(start));  // an unterminated tail shows up as an extra line
    return lines;
}

// A program whose every row has text and a breakpoint, so a reader that
// leaves anything behind is seen.
Program FullProgram()
{
    Program p;
    for (int r = 0; r < kProgramRows; ++r) {
        p.rows[r].statement = "old " + std::to_string(r);
        p.rows[r].comment = "старый " + std::to_string(r);
        p.rows[r].breakpoint = true;
    }
    return p;
}

class ProgramFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("task.prg");
};

TEST_F(ProgramFileTest, WritesTheExactLayout)
{
    Program p;
    p.rows[0] = {"MOV AX, 5", "загрузка", true};
    p.rows[1].breakpoint = true;  // an empty row can still hold a breakpoint
    p.rows[2] = {"NOP", "", false};
    p.rows[kSpareRow] = {"запас", "spare", false};

    WriteProgramFile(path, p, 100, 0x2A);
    const std::string bytes = ReadBytes(path);
    const std::vector<std::string> lines = SplitCrLf(bytes);

    ASSERT_EQ(lines.size(), static_cast<size_t>(kFileLines));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), kFileLines) << "every line ends in CR LF";
    EXPECT_EQ(lines[0], "100");
    EXPECT_EQ(lines[1], "42");
    EXPECT_EQ(lines[2], "MOV AX, 5\x01");
    EXPECT_EQ(lines[3], "\xE7\xE0\xE3\xF0\xF3\xE7\xEA\xE0");
    EXPECT_EQ(lines[4], "\x01");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "NOP");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[kFileLines - 2], "\xE7\xE0\xEF\xE0\xF1");
    EXPECT_EQ(lines[kFileLines - 1], "spare");
}

TEST_F(ProgramFileTest, EmptyProgramStillWritesAllLines)
{
    WriteProgramFile(path, Program{}, 65535, 0);
    std::string expected = "65535\r\n0\r\n";
    for (int i = 2; i < kFileLines; ++i)
        expected += "\r\n";
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(ProgramFileTest, LineFeedInsideATextDoesNotShiftTheLayout)
{
    Program p;
    p.rows[0].statement = "a\nb";
    WriteProgramFile(path, p, 1, 2);
    EXPECT_EQ(SplitCrLf(ReadBytes(path)).size(), static_cast<size_t>(kFileLines));
    Program back;
    ReadProgramFile(path, back);
    EXPECT_EQ(back.rows[0].statement, "a b");
    EXPECT_EQ(back.rows[1], ProgramRow{});
}

TEST_F(ProgramFileTest, RoundTripRestoresEveryRowAndTheHeader)
{
    Program p;
    p.rows[0] = {"MOV AX, 1", "первый", true};
    p.rows[7] = {"", "", true};
    p.rows[8] = {"JMP 0", "Ёё № «»", false};
    p.rows[kStatementRows - 1] = {"HLT", "last", true};
    p.rows[kSpareRow] = {"спрятано", "hidden", false};

    WriteProgramFile(path, p, 300, 0x2A);
    Program back = FullProgram();
    const ProgramFileHeader header = ReadProgramFile(path, back);

    EXPECT_EQ(header, (ProgramFileHeader{300, 0x2A}));
    for (int r = 0; r < kProgramRows; ++r)
        EXPECT_EQ(back.rows[r], p.rows[r]) << "row " << r;
}

TEST_F(ProgramFileTest, ReadsBareLineFeedsAndStripsOneCarriageReturn)
{
    WriteBytes(path, "7\n 42 \r\nabc\x01\r\ncomment\nline\r\r\n\xCA\xEE\xEC\r\n\x01\n");
    Program p = FullProgram();
    EXPECT_EQ(ReadProgramFile(path, p), (ProgramFileHeader{7, 42}));
    EXPECT_EQ(p.rows[0], (ProgramRow{"abc", "comment", true}));
    EXPECT_EQ(p.rows[1], (ProgramRow{"line\r", "Ком", false}));
    EXPECT_EQ(p.rows[2], (ProgramRow{"", "", true}));
    EXPECT_EQ(p.rows[3], ProgramRow{});
}

TEST_F(ProgramFileTest, ShortFileEmptiesTheRowsItDoesNotReach)
{
    struct Case {
        const char* name;
        std::string bytes;
        ProgramRow firstRow;
    };
    const std::vector<Case> cases = {
        {"HeaderOnly", "1\r\n2\r\n", {}},
        {"StatementOnly", "1\r\n2\r\nA\r\n", {"A", "", false}},
        {"UnterminatedBreakpoint", "1\r\n2\r\nA\x01", {"A", "", true}},
        {"UnterminatedComment", "1\r\n2\r\nA\r\nnote", {"A", "note", false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, c.bytes);
        Program p = FullProgram();
        EXPECT_EQ(ReadProgramFile(path, p), (ProgramFileHeader{1, 2}));
        EXPECT_EQ(p.rows[0], c.firstRow);
        for (int r = 1; r < kProgramRows; ++r)
            ASSERT_EQ(p.rows[r], ProgramRow{}) << "row " << r;
    }
}

TEST_F(ProgramFileTest, BytesAfterTheLastLineAreIgnored)
{
    Program p;
    p.rows[kSpareRow].comment = "end";
    WriteProgramFile(path, p, 5, 6);
    WriteBytes(path, ReadBytes(path) + "extra\r\nlines\r\n");
    Program back = FullProgram();
    EXPECT_EQ(ReadProgramFile(path, back), (ProgramFileHeader{5, 6}));
    EXPECT_EQ(back.rows[kSpareRow], (ProgramRow{"", "end", false}));
}

struct HeaderNumber {
    const char* text;
    uint16_t value;
};

TEST_F(ProgramFileTest, HeaderNumbersKeepTheLowWord)
{
    const std::vector<HeaderNumber> cases = {
        {"0", 0},     {"42", 42},      {"  +42\t", 42},       {"007", 7},         {"-1", 65535},
        {"65536", 0}, {"70000", 4464}, {"2147483647", 65535}, {"-2147483648", 0},
    };
    for (const HeaderNumber& c : cases) {
        SCOPED_TRACE(c.text);
        WriteBytes(path, std::string(c.text) + "\r\n" + c.text + "\r\n");
        Program p;
        EXPECT_EQ(ReadProgramFile(path, p), (ProgramFileHeader{c.value, c.value}));
    }
}

struct BadHeader {
    const char* name;
    std::string bytes;
    const char* message;
};

TEST_F(ProgramFileTest, BadHeaderClearsBreakpointsAndChangesNothingElse)
{
    const std::vector<BadHeader> cases = {
        {"EmptyFile", "", kErrorReadBeyondEnd},
        {"NoSecondLine", "100\r\n", kErrorReadBeyondEnd},
        {"UnterminatedFirstLine", "100", kErrorReadBeyondEnd},
        {"WordInFirstLine", "abc\r\n42\r\nMOV\r\n", kErrorInvalidNumber},
        {"EmptyFirstLine", "\r\n42\r\n", kErrorInvalidNumber},
        {"BlankFirstLine", "  \r\n42\r\n", kErrorInvalidNumber},
        {"HexPort", "100\r\n2A\r\n", kErrorInvalidNumber},
        {"EmptySecondLine", "100\r\n\r\n", kErrorInvalidNumber},
        {"TwoNumbers", "1 2\r\n3\r\n", kErrorInvalidNumber},
        {"SignAlone", "-\r\n3\r\n", kErrorInvalidNumber},
        {"SignThenBlank", "+ 3\r\n3\r\n", kErrorInvalidNumber},
        {"BeyondInteger", "2147483648\r\n0\r\n", kErrorInvalidNumber},
        {"NulInNumber",
         std::string("1\0"
                     "2\r\n3\r\n",
                     8),
         kErrorInvalidNumber},
    };
    for (const BadHeader& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, c.bytes);
        Program p = FullProgram();
        Program expected = FullProgram();
        expected.ClearBreakpoints();
        try {
            ReadProgramFile(path, p);
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_TRUE(p.rows == expected.rows);
    }
}

TEST_F(ProgramFileTest, MissingFileClearsBreakpointsAndSaysNotFound)
{
    Program p = FullProgram();
    try {
        ReadProgramFile(dir.File("absent.prg"), p);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), kErrorFileNotFound);
    }
    for (const ProgramRow& row : p.rows)
        ASSERT_FALSE(row.breakpoint);
    EXPECT_EQ(p.rows[3].statement, "old 3");
}

TEST_F(ProgramFileTest, WritingIntoAMissingFolderFails)
{
    EXPECT_THROW(WriteProgramFile(dir.File("no/such/folder.prg"), Program{}, 0, 0), FileError);
}

TEST_F(ProgramFileTest, KeepsNulBytesAndHugeLines)
{
    const std::string nul("\0a\0", 3);
    const std::string huge(1 << 20, 'x');
    WriteBytes(path, "1\r\n2\r\n" + nul + "\r\n" + huge);
    Program p;
    ReadProgramFile(path, p);
    EXPECT_EQ(p.rows[0].statement, nul);
    EXPECT_EQ(p.rows[0].comment, huge);
}

// Whatever a file holds, what is loaded must save and load back to itself.
TEST(ProgramFileGarbage, LoadedProgramIsAFixedPointOfSaveAndLoad)
{
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 20000);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        std::string garbage = "9\r\n-3\r\n";
        for (int n = length(random); n > 0; --n) {
            int b = byte(random);
            garbage += static_cast<char>(b % 7 == 0 ? '\n' : b % 11 == 0 ? '\x01' : b);
        }
        std::istringstream in(garbage);
        Program first;
        ASSERT_EQ(ReadProgramFile(in, first), (ProgramFileHeader{9, 65533}));

        std::ostringstream out;
        WriteProgramFile(out, first, 9, 65533);
        std::istringstream again(out.str());
        Program second = FullProgram();
        ReadProgramFile(again, second);
        ASSERT_TRUE(second.rows == first.rows);
    }
}

// The teacher's check refuses what is not a whole saved program, and says why.
TEST(ProgramFileProblem, NamesWhatKeepsBytesFromBeingAWholeProgram)
{
    Program p;
    p.rows[0] = {"mov al,5", "загрузка", true};
    p.rows[kSpareRow].comment = "end";
    std::ostringstream out;
    WriteProgramFile(out, p, 100, 42);
    const std::string saved = out.str();
    auto replaced = [&saved](const std::string& from, const std::string& to) {
        std::string s = saved;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    std::string lineFeedsOnly;
    for (char c : saved) {
        if (c != '\r')
            lineFeedsOnly += c;
    }
    auto firstLines = [&saved](int n) {
        size_t end = 0;
        for (int i = 0; i < n; ++i)
            end = saved.find('\n', end) + 1;
        return saved.substr(0, end);
    };
    const std::string cut = "файл обрезан: строк ";
    const std::string utf8 = "текст в кодировке UTF-8, а программа хранится в Windows-1251";

    struct Case {
        const char* name;
        std::string bytes;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"AsSaved", saved, ""},
        {"LinesBeyondIgnored", saved + "extra\r\n", ""},
        {"BareLineFeeds", lineFeedsOnly, ""},
        {"LastLineWithoutItsEnd", saved.substr(0, saved.size() - 2), ""},
        {"Empty", "", "файл пуст"},
        {"FortyLines", firstLines(40), cut + "40 из 1002"},
        {"CutInsideALine", firstLines(40) + "mov a", cut + "41 из 1002"},
        {"OneLineShort", firstLines(1001), cut + "1001 из 1002"},
        {"Utf8Comment", replaced(Utf8ToCp1251("загрузка"), "загрузка"), utf8},
        {"Utf8WithByte98", replaced(Utf8ToCp1251("загрузка"), "Игра"), utf8},  // И is D0 98
        {"NulByte", replaced("mov al,5", std::string("mov\0al,5", 9)), "не текст программы: байт 00h в строке 3"},
        {"ByteOutside1251", replaced("end", "\x98"), "не текст программы: байт 98h в строке 1002"},
        {"NotAProgram", "not a program\n", "в строке 1 не число (адрес начала ППОП)"},
        {"NoPortLine", "100\r\n", "в строке 2 не число (номер порта)"},
        {"BadPortLine", replaced("42\r\n", "2ah\r\n"), "в строке 2 не число (номер порта)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProgramFileProblem(c.bytes), c.problem);
    }
}

TEST(ProgramFileCaption, ShowsTheNameWithoutFolder)
{
    EXPECT_EQ(ProgramFileCaption("/home/student/lab/task3.prg"), "ПККИ RAVX task3.prg");
    EXPECT_EQ(ProgramFileCaption("task3.prg"), "ПККИ RAVX task3.prg");
    EXPECT_EQ(ProgramFileCaption("C:\\lab\\t.prg"), "ПККИ RAVX t.prg");
}

}  // namespace
}  // namespace ravx
