#include "mainwindow/ProgramEdit.h"

#include <algorithm>
#include <array>
#include <utility>

#include "machine/_Asm.h"
#include "machine/_Asm_text.h"
#include "machine/Codepage.h"

namespace ravx {
namespace {

// The program block's layout, in characters from the start.
constexpr std::u32string_view kBlockHead = U"RAVX";
constexpr std::size_t kSizeAt = 4;
constexpr std::size_t kSizeDigits = 4;
constexpr std::size_t kLowRowsAt = 8;
constexpr std::size_t kHighRowsAt = 9;
constexpr std::size_t kColumnsAt = 10;
constexpr std::size_t kRightColumnAt = 11;
constexpr std::size_t kTextsAt = 12;
constexpr std::size_t kHeadSize = 13;  // the fixed characters, the final 0 included
constexpr char32_t kTextEnd = 3;
constexpr char32_t kBlockEnd = 0;
constexpr int kRowByteRange = 256;
constexpr int kLastRowNumber = 0xFFFF;

std::string& textOf(ProgramRow& row, int column)
{
    return column == static_cast<int>(ProgramColumn::Comment) ? row.comment : row.statement;
}
const std::string& textOf(const ProgramRow& row, int column)
{
    return column == static_cast<int>(ProgramColumn::Comment) ? row.comment : row.statement;
}

using RowTexts = std::pair<std::string, std::string>;

RowTexts take(ProgramRow& row)
{
    RowTexts t{std::move(row.statement), std::move(row.comment)};
    row.statement.clear();
    row.comment.clear();
    return t;
}

void put(ProgramRow& row, RowTexts t)
{
    row.statement = std::move(t.first);
    row.comment = std::move(t.second);
}

bool blankText(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

bool blank(const RowTexts& t) { return blankText(t.first) && blankText(t.second); }

bool inStatementRows(int row) { return row >= 0 && row < kStatementRows; }

std::size_t characters(std::string_view utf8) { return Utf8ToUtf32(utf8).size(); }

std::string_view trimmed(std::string_view s)
{
    const std::size_t from = s.find_first_not_of(' ');
    if (from == std::string_view::npos)
        return {};
    return s.substr(from, s.find_last_not_of(' ') - from + 1);
}

// Undo and redo: the texts of the one side, a breakpoint only where the
// change moved it.
void applyChange(Program& program, const ProgramChange& change, bool undo)
{
    for (const ProgramChange::Row& r : change.rows) {
        const ProgramRow& to = undo ? r.before : r.after;
        ProgramRow& row = program.rows[static_cast<std::size_t>(r.address)];
        row.statement = to.statement;
        row.comment = to.comment;
        if (r.before.breakpoint != r.after.breakpoint)
            row.breakpoint = to.breakpoint;
    }
}

}  // namespace

bool IsBlankRow(const ProgramRow& row) { return blankText(row.statement) && blankText(row.comment); }

void InsertRow(Program& program, int row, bool shiftMode)
{
    if (!inStatementRows(row))
        return;
    RowTexts held = take(program.rows[row]);
    if (row >= kLastStatementRow)
        return;  // the last row only loses its texts
    for (int r = row + 1;; ++r) {
        RowTexts previous = take(program.rows[r]);
        put(program.rows[r], std::move(held));
        held = std::move(previous);
        if ((!shiftMode && blank(held)) || r == kLastStatementRow)
            break;  // a blank row was consumed, or the last row's texts drop out
    }
}

void DeleteRow(Program& program, int row, bool shiftMode)
{
    if (!inStatementRows(row))
        return;
    const bool wasBlank = blank(take(program.rows[row]));
    if (row + 1 >= kLastStatementRow)
        return;
    int from = row + 1;
    if (wasBlank) {
        // a blank row pulls up the next block: one row of the gap goes
        while (from < kLastStatementRow && IsBlankRow(program.rows[from]))
            ++from;
    }
    int lastFilled = -1;
    // the last statement row itself never moves
    for (int r = from; r < kLastStatementRow; ++r) {
        put(program.rows[r - 1], take(program.rows[r]));
        lastFilled = r - 1;
        if (!shiftMode && IsBlankRow(program.rows[r + 1]))
            break;
    }
    if (lastFilled >= 0)
        take(program.rows[lastFilled + 1]);
}

void DeleteRows(Program& program, int top, int bottom, bool shiftMode)
{
    for (int n = top; n <= bottom; ++n)
        DeleteRow(program, top, shiftMode);
}

bool TypingGoesOnInNextRow(const Program& program, int row, ProgramColumn column, std::string_view edited)
{
    const std::size_t limit = column == ProgramColumn::Comment ? kCommentSoftLimit : kStatementSoftLimit;
    if (characters(edited) <= limit || row < 0 || row >= kLastStatementRow)
        return false;  // within the limit, or no row below: the text grows here
    return textOf(program.rows[static_cast<std::size_t>(row) + 1], static_cast<int>(column)).empty();
}

std::optional<int> GoToRow(std::string_view typed)
{
    if (typed.empty())
        return std::nullopt;
    const NumberResult n = ReadHex(typed, 0xFFFF);
    if (n.code != 0 || n.value > kRowLimit)
        return std::nullopt;
    return std::min<int>(n.value, kLastStatementRow);
}

std::string CellText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r' || c == '\n')
            break;
        if (c == '\t')
            out += ' ';
        else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            out += c;
    }
    return out;
}

std::u32string BuildProgramBlock(const Program& program, int top, int bottom, int left, int right)
{
    std::u32string block(kBlockHead);
    if (top < 0 || bottom >= kProgramRows || bottom < top)
        return block;  // nothing selected: not a block that pastes
    const int n = bottom - top + 1;
    const int columns = right - left + 1;
    std::size_t size = kHeadSize;
    for (int r = top; r <= bottom; ++r)
        size += characters(program.rows[r].statement) + characters(program.rows[r].comment) + 2;
    const std::string sizeText = hex4(static_cast<unsigned>(size)).str();
    block.append(sizeText.begin(), sizeText.end());
    // ((N - 1) mod 256) + 1 in eight bits: a block of 256 rows gets 0 here
    block += static_cast<char32_t>((((n - 1) % kRowByteRange) + 1) % kRowByteRange);
    block += static_cast<char32_t>((n - 1) / kRowByteRange + 1);
    block += static_cast<char32_t>(columns);
    block += static_cast<char32_t>(right);
    for (int r = top; r <= bottom; ++r) {
        const ProgramRow& row = program.rows[r];
        block += Utf8ToUtf32(columns == 2 ? row.statement : textOf(row, left));
        block += kTextEnd;
        if (columns == 2) {
            block += Utf8ToUtf32(row.comment);
            block += kTextEnd;
        }
    }
    block += kBlockEnd;
    return block;
}

std::optional<PastedRows> PasteProgramBlock(Program& program, std::u32string_view block, int row)
{
    if (block.size() <= kTextsAt || block.substr(0, kBlockHead.size()) != kBlockHead)
        return std::nullopt;
    // The size field must be four hexadecimal digits; the text itself
    // bounds what is read.
    std::string sizeText;
    for (char32_t c : block.substr(kSizeAt, kSizeDigits))
        sizeText += c < 0x80 ? static_cast<char>(c) : '?';
    if (ReadHex(sizeText, 0xFFFF).code != 0)
        return std::nullopt;
    const char32_t low = block[kLowRowsAt], high = block[kHighRowsAt];
    const char32_t columns = block[kColumnsAt], right = block[kRightColumnAt];
    if (low >= kRowByteRange || high == 0 || high >= kRowByteRange)
        return std::nullopt;
    // a low byte of 0 is what a block of 256 rows (or a multiple) carries
    const int n = (low == 0 ? kRowByteRange : static_cast<int>(low)) + kRowByteRange * (static_cast<int>(high) - 1);
    const int target = columns == 2 ? 1 : static_cast<int>(right);
    if (target != 1 && target != 2)
        return std::nullopt;
    if (!inStatementRows(row) || row + n - 1 > kLastRowNumber)
        return std::nullopt;

    // A text runs to its end mark, or to the end of the block; the block's
    // final 0 is no text of its own.
    std::u32string_view rest = block.substr(kTextsAt);
    if (!rest.empty() && rest.back() == kBlockEnd)
        rest.remove_suffix(1);
    std::size_t pos = 0;
    auto more = [&] { return pos < rest.size(); };
    auto nextText = [&] {
        const std::size_t end = std::min(rest.find(kTextEnd, pos), rest.size());
        const std::u32string_view t = rest.substr(pos, end - pos);
        pos = end < rest.size() ? end + 1 : end;
        return CellText(Utf32ToUtf8(t));
    };
    PastedRows done{row, 0};
    for (int r = row; r < row + n && r < kStatementRows && more(); ++r) {
        textOf(program.rows[r], target) = nextText();
        if (columns == 2 && more())
            program.rows[r].comment = nextText();
        ++done.count;
    }
    return done;
}

std::string PlainTextOfRows(const Program& program, int top, int bottom, int left, int right)
{
    std::string out;
    if (top < 0 || bottom >= kProgramRows || bottom < top)
        return out;
    const bool statements = left <= static_cast<int>(ProgramColumn::Statement);
    const bool comments = right >= static_cast<int>(ProgramColumn::Comment);
    for (int r = top; r <= bottom; ++r) {
        const ProgramRow& row = program.rows[static_cast<std::size_t>(r)];
        std::string line = statements ? row.statement : std::string();
        if (comments && !row.comment.empty()) {
            // the comments in a column of their own, as the grid shows them
            if (statements)
                line.append(kStatementSoftLimit + 1 - std::min(characters(line), kStatementSoftLimit), ' ');
            line += "; " + row.comment;
        }
        out += line;
        out += '\n';
    }
    return out;
}

std::optional<PastedRows> PastePlainText(Program& program, std::u32string_view wide, int row)
{
    if (!inStatementRows(row) || wide.empty())
        return std::nullopt;
    const std::string utf8 = Utf32ToUtf8(wide);
    const std::string_view text = utf8;
    PastedRows done{row, 0};
    std::size_t pos = 0;
    for (int r = row; r < kStatementRows && pos < text.size(); ++r) {
        // a line ends at LF, CR LF or CR alone
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::string line = CellText(text.substr(pos, end - pos));
        pos = text.substr(end, 2) == "\r\n" ? end + 2 : end + 1;
        const std::size_t semicolon = line.find(';');
        ProgramRow& target = program.rows[static_cast<std::size_t>(r)];
        target.statement = trimmed(std::string_view(line).substr(0, semicolon));
        target.comment = semicolon == std::string::npos
                             ? std::string()
                             : std::string(trimmed(std::string_view(line).substr(semicolon + 1)));
        ++done.count;
    }
    return done;
}

std::optional<PastedRows> PasteText(Program& program, std::u32string_view text, int row)
{
    if (text.substr(0, kBlockHead.size()) == kBlockHead)
        return PasteProgramBlock(program, text, row);
    return PastePlainText(program, text, row);
}

bool ProgramChange::ChangesStatements() const
{
    return std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.before.statement != r.after.statement; });
}

bool ProgramChange::ChangesTexts() const
{
    return std::any_of(rows.begin(), rows.end(), [](const Row& r) {
        return r.before.statement != r.after.statement || r.before.comment != r.after.comment;
    });
}

ProgramChange ChangedRows(const ProgramRows& was, const Program& now, int first, int last)
{
    ProgramChange change;
    first = std::max(first, 0);
    last = std::min(last, kProgramRows - 1);
    for (int r = first; r <= last; ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (!(was[i] == now.rows[i]))
            change.rows.push_back({r, was[i], now.rows[i]});
    }
    return change;
}

void UndoChange(Program& program, const ProgramChange& change) { applyChange(program, change, true); }
void RedoChange(Program& program, const ProgramChange& change) { applyChange(program, change, false); }

}  // namespace ravx
