// The editing rules of the program rows: insert and delete rows with and
// without the shift mode, and the program block that copy and paste move
// through the clipboard. They move texts only; breakpoint marks stay with
// their row addresses.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "mainwindow/Program.h"

namespace ravx {

constexpr int kLastStatementRow = kStatementRows - 1;  // 1F2
// Typing into a cell longer than this goes on in the next row.
constexpr std::size_t kStatementSoftLimit = 26;
constexpr std::size_t kCommentSoftLimit = 32;

// The editable columns of the grid.
enum class ProgramColumn { Statement = 1, Comment = 2 };

// A row whose statement and comment are empty once leading blanks go.
bool IsBlankRow(const ProgramRow& row);

// "Вставить строку" at a row address.
void InsertRow(Program& program, int row, bool shiftMode);
// "Удалить строку" at a row address.
void DeleteRow(Program& program, int row, bool shiftMode);
// "Удалить": delete row at `top` once for every row of top..bottom.
void DeleteRows(Program& program, int top, int bottom, bool shiftMode);

// The row the go-to entry leads to for the typed hexadecimal digits: none
// when they do not convert, are empty or lie above the row limit 1F3. The
// limit itself has no statement row and leads to the last one.
std::optional<int> GoToRow(std::string_view typed);

// A text as a cell holds it: one line, without control characters. What a
// paste brings after the first line break is not part of the cell.
std::string CellText(std::string_view text);

// The program block of "Копировать" for the rows top..bottom and the
// columns left..right (1 statement, 2 comment). One character stands for each
// byte of the block's layout (head "RAVX", size, row count, columns, texts
// ended by character 3, a final character 0); the texts keep their own
// characters.
std::u32string BuildProgramBlock(const Program& program, int top, int bottom, int left, int right);

struct PastedRows {
    int first = 0;
    int count = 0;  // rows written, from `first` on
};
// "Вставить": writes the block's texts into the rows from `row` on. A text
// that is not a well-formed block changes nothing; nothing is read beyond
// the text, whatever its size field and separators say, and rows below the
// last statement row are not written.
std::optional<PastedRows> PasteProgramBlock(Program& program, std::u32string_view block, int row);

}  // namespace ravx
