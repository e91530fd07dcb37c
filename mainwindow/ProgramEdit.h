// The editing rules of the program rows: insert and delete rows with and
// without the shift mode, and the program block that copy and paste move
// through the clipboard. They move texts only; breakpoint marks stay with
// their row addresses.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mainwindow/Program.h"

namespace ravx {

constexpr int kLastStatementRow = kStatementRows - 1;  // 1F2
// Typing into a cell longer than this goes on in the next row.
constexpr std::size_t kStatementSoftLimit = 26;
constexpr std::size_t kCommentSoftLimit = 32;

// The editable columns of the grid.
enum class ProgramColumn { Statement = 1, Comment = 2 };

// Whether a key typed into the cell of `column` in `row`, whose editor holds
// `edited`, goes on in the same cell of the next row: only past the cell's
// soft limit, and only when that next cell is empty. Otherwise the text
// simply grows in its own cell, so typing never runs into a text that is
// already there.
bool TypingGoesOnInNextRow(const Program& program, int row, ProgramColumn column, std::string_view edited);

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

// The rows top..bottom as plain text for other programs, one line a row: the
// statement, and the comment after "; " in a column of its own. One column
// selected gives that column only, a comment still after "; ".
std::string PlainTextOfRows(const Program& program, int top, int bottom, int left, int right);
// Plain text pasted from `row` on, one line a row: the text before the first
// ";" becomes the statement, the text after it the comment, each without the
// blanks around it, and they replace both texts of the row (an empty line
// empties it). A line keeps its whole text however long: the soft limits
// only move typing on. A final line break adds no row; rows below the last
// statement row are not written; breakpoint marks stay. Nothing happens
// without a line to paste or outside the statement rows.
std::optional<PastedRows> PastePlainText(Program& program, std::u32string_view text, int row);
// "Вставить" with the clipboard's text: a text that begins as a program block
// does (the block as this program's earlier versions put it on the clipboard)
// pastes as a block, any other text as plain lines.
std::optional<PastedRows> PasteText(Program& program, std::u32string_view text, int row);

// What one change did to the rows: each row it changed, before and after.
struct ProgramChange {
    struct Row {
        int address = 0;
        ProgramRow before, after;
    };
    std::vector<Row> rows;

    bool Empty() const { return rows.empty(); }
    // Whether a statement text changed (steps run before it ran other texts).
    bool ChangesStatements() const;
    // Whether a statement or a comment changed: only such a change is worth
    // an undo step of its own.
    bool ChangesTexts() const;
};
using ProgramRows = std::array<ProgramRow, kProgramRows>;
// The rows first..last that differ between `was` and the program now.
ProgramChange ChangedRows(const ProgramRows& was, const Program& now, int first, int last);
// Undo and redo of a change: both texts of every row as they were before (or
// after); a breakpoint mark only where the change itself moved it, so the
// marks set or cleared since stay as they are.
void UndoChange(Program& program, const ProgramChange& change);
void RedoChange(Program& program, const ProgramChange& change);

}  // namespace ravx
