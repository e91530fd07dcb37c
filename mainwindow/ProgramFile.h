// The program file: a Windows-1251 text of 1002 CR LF lines. Line 1 holds the
// interrupt routine address, line 2 the port number, then each of the 500
// rows gives its statement (with a trailing code 1 when the row has a
// breakpoint) and its comment.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "mainwindow/Program.h"

namespace ravx {

// Two header lines, then a statement line and a comment line per row.
constexpr int kProgramFileLines = 2 + 2 * kProgramRows;

struct ProgramFileHeader {
    uint16_t interruptAddress = 0;
    uint16_t portBase = 0;

    friend bool operator==(const ProgramFileHeader&, const ProgramFileHeader&) = default;
};

// Throws FileError. The file is replaced only once the new one is complete,
// so a failed save leaves the old one as it was.
void WriteProgramFile(const std::string& path, const Program& program, uint16_t interruptAddress, uint16_t portBase);
void WriteProgramFile(std::ostream& out, const Program& program, uint16_t interruptAddress, uint16_t portBase);

// Clears every breakpoint first, whatever happens next. A bad header throws
// FileError before any row is touched; a file that ends among the rows is no
// error, the rows it does not reach become empty.
ProgramFileHeader ReadProgramFile(const std::string& path, Program& program);
ProgramFileHeader ReadProgramFile(std::istream& in, Program& program);

// Why bytes are not a complete program file as "Сохранить программу" writes
// it, in the student's words; empty when they are one. The reader loads
// anything, a cut file with empty rows included, so a check that must not
// run half a program asks this first. A complete file is text (no control
// bytes but tab, the line ends and the breakpoint mark), not UTF-8, has
// numbers in its first two lines and all kProgramFileLines lines; the last
// one may lack its line end, and lines beyond are ignored, as the reader
// ignores them.
std::string ProgramFileProblem(std::string_view bytes);

// The main window's caption for a loaded or saved file.
std::string ProgramFileCaption(const std::string& path);

}  // namespace ravx
