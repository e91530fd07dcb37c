// The row commands of the program editor and the clipboard's program block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/Codepage.h"
#include "mainwindow/ProgramEdit.h"

namespace ravx {
namespace {

// Rows written as "statement|comment" ("" for a blank row), from `first` on.
Program rowsFrom(int first, const std::vector<std::string>& rows)
{
    Program p;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& t = rows[i];
        const auto bar = t.find('|');
        p.rows[first + i].statement = t.substr(0, bar);
        p.rows[first + i].comment = bar == std::string::npos ? "" : t.substr(bar + 1);
    }
    return p;
}
std::vector<std::string> texts(const Program& p, int first, int count)
{
    std::vector<std::string> out;
    for (int r = first; r < first + count; ++r) {
        const ProgramRow& row = p.rows[r];
        out.push_back(row.comment.empty() ? row.statement : row.statement + "|" + row.comment);
    }
    return out;
}

enum class Op { Insert, Delete };
struct EditCase {
    const char* what;
    Op op;
    bool shift;
    int first;  // the rows given start here
    std::vector<std::string> before;
    int at;
    std::vector<std::string> after;  // the same rows afterwards
};

TEST(RowCommands, InsertAndDeleteRow)
{
    const int L = kLastStatementRow;  // 1F2
    const std::vector<EditCase> cases = {
        {"insert moves the block down into the first blank row", Op::Insert, false, 0,
         {"a", "b|x", "c", "", "d"}, 1, {"a", "", "b|x", "c", "d"}},
        {"insert above a blank row moves only the current row", Op::Insert, false, 0,
         {"a", "", "c"}, 0, {"", "a", "c"}},
        {"insert on a blank row still moves the block after it", Op::Insert, false, 0,
         {"a", "", "c"}, 1, {"a", "", "", "c"}},
        {"a row of blanks counts as blank", Op::Insert, false, 0, {"a", "  |   ", "c"}, 0, {"", "a", "c"}},
        {"insert with shift moves everything below", Op::Insert, true, 0,
         {"a", "b", "", "c"}, 0, {"", "a", "b", "", "c"}},
        {"insert with shift drops the last row's texts", Op::Insert, true, L - 2,
         {"x", "y", "z"}, L - 2, {"", "x", "y"}},
        {"insert on the last row only clears it", Op::Insert, false, L - 1, {"y", "z"}, L, {"y", ""}},
        {"insert reaching the last row stops there", Op::Insert, false, L - 2,
         {"x", "y", "z"}, L - 2, {"", "x", "y"}},
        {"delete pulls the block below up", Op::Delete, false, 0,
         {"a", "b", "c", "", "d"}, 0, {"b", "c", "", "", "d"}},
        {"delete of a blank row removes one row of the gap", Op::Delete, false, 0,
         {"a", "", "", "d", "e", "", "f"}, 1, {"a", "", "d", "e", "", "", "f"}},
        {"delete with shift moves every row but the last", Op::Delete, true, L - 3,
         {"w", "", "y", "z"}, L - 3, {"", "y", "", "z"}},
        {"delete on the row before the last only clears it", Op::Delete, false, L - 1, {"y", "z"}, L - 1, {"", "z"}},
        {"delete on the last row only clears it", Op::Delete, true, L - 1, {"y", "z"}, L, {"y", ""}},
        {"delete stops before the last row without shift too", Op::Delete, false, L - 3,
         {"w", "x", "y", "z"}, L - 3, {"x", "y", "", "z"}},
    };
    for (const EditCase& c : cases) {
        Program p = rowsFrom(c.first, c.before);
        p.rows[c.at].breakpoint = true;
        if (c.op == Op::Insert)
            InsertRow(p, c.at, c.shift);
        else
            DeleteRow(p, c.at, c.shift);
        EXPECT_EQ(texts(p, c.first, static_cast<int>(c.after.size())), c.after) << c.what;
        EXPECT_TRUE(p.rows[c.at].breakpoint) << c.what << ": marks stay with their row";
    }
}

TEST(RowCommands, DeleteRowsDeletesOncePerSelectedRow)
{
    Program p = rowsFrom(10, {"a", "b", "c", "d", "e", "", "f"});
    DeleteRows(p, 11, 12, false);
    EXPECT_EQ(texts(p, 10, 7), (std::vector<std::string>{"a", "d", "e", "", "", "", "f"}));
    DeleteRows(p, 12, 11, false);  // bottom above top: nothing
    EXPECT_EQ(texts(p, 10, 3), (std::vector<std::string>{"a", "d", "e"}));
}

TEST(ProgramBlock, ThreeRowsOfBothColumns)
{
    Program p = rowsFrom(4, {"mov al,1", "out 2,al", "jmp 0004"});
    const std::u32string b = BuildProgramBlock(p, 4, 6, 1, 2);
    const std::u32string expected = U"RAVX002B\x03\x01\x02\x02"
                                    U"mov al,1\x03\x03"
                                    U"out 2,al\x03\x03"
                                    U"jmp 0004\x03\x03";
    EXPECT_EQ(b, expected + std::u32string(1, U'\0'));
}

TEST(ProgramBlock, SizeCountsCharactersOfBothColumns)
{
    Program p = rowsFrom(0, {"nop|пауза"});
    const std::u32string b = BuildProgramBlock(p, 0, 0, 2, 2);  // comments only
    EXPECT_EQ(b.substr(0, 12), std::u32string(U"RAVX0017\x01\x01\x01\x02"));  // 13 + 3 + 5 + 2
    EXPECT_EQ(Utf32ToUtf8(b.substr(12)), std::string("пауза\x03") + '\0');
}

TEST(ProgramBlock, PasteOneAndTwoColumns)
{
    Program source = rowsFrom(0, {"a|1", "b|2"});
    Program p = rowsFrom(20, {"x|9", "y|8", "z|7"});
    p.rows[21].breakpoint = true;

    auto pasted = PasteProgramBlock(p, BuildProgramBlock(source, 0, 1, 2, 2), 20);  // comments only
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->count, 2);
    EXPECT_EQ(texts(p, 20, 3), (std::vector<std::string>{"x|1", "y|2", "z|7"}));

    pasted = PasteProgramBlock(p, BuildProgramBlock(source, 0, 1, 1, 1), 21);  // statements only
    ASSERT_TRUE(pasted);
    EXPECT_EQ(texts(p, 20, 3), (std::vector<std::string>{"x|1", "a|2", "b|7"}));

    pasted = PasteProgramBlock(p, BuildProgramBlock(source, 0, 1, 1, 2), 19);  // both
    ASSERT_TRUE(pasted);
    EXPECT_EQ(texts(p, 19, 4), (std::vector<std::string>{"a|1", "b|2", "a|2", "b|7"}));
    EXPECT_TRUE(p.rows[21].breakpoint);
}

TEST(ProgramBlock, BlockOf256RowsAndRowsPastTheEnd)
{
    Program source;
    for (int r = 0; r < 256; ++r)
        source.rows[r].statement = "s" + std::to_string(r);
    const std::u32string b = BuildProgramBlock(source, 0, 255, 1, 1);
    EXPECT_EQ(b[8], U'\0');  // ((256 - 1) mod 256) + 1 kept in eight bits
    EXPECT_EQ(b[9], U'\x01');
    Program p;
    auto pasted = PasteProgramBlock(p, b, 0);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->count, 256);
    EXPECT_EQ(p.rows[255].statement, "s255");

    Program q;
    pasted = PasteProgramBlock(q, b, kLastStatementRow - 1);  // two rows fit
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->count, 2);
    EXPECT_EQ(q.rows[kLastStatementRow].statement, "s1");
    EXPECT_EQ(q.rows[kStatementRows].statement, "");  // the spare row is not written
}

TEST(ProgramBlock, MalformedBlocksChangeNothingOrStopAtTheTextsEnd)
{
    const Program original = rowsFrom(0, {"a|1", "b|2", "c|3"});
    const std::vector<std::pair<const char*, std::u32string>> refused = {
        {"plain text", U"mov al,1\nout 2ah,al"},
        {"no head", U"RAV"},
        {"head only", U"RAVX"},
        {"size not hexadecimal", U"RAVX00G1\x01\x01\x01\x01x\x03"},
        {"no texts", U"RAVX000D\x01\x01\x01\x01"},
        {"target column 0", U"RAVX000D\x01\x01\x01\x00x\x03"},
        {"target column 3", U"RAVX000D\x01\x01\x01\x03x\x03"},
        {"row byte above a byte", U"RAVX000D\x101\x01\x01\x01x\x03"},
    };
    for (const auto& [what, block] : refused) {
        Program p = original;
        EXPECT_FALSE(PasteProgramBlock(p, block, 0)) << what;
        EXPECT_EQ(p.rows, original.rows) << what;
    }
    // 200 rows announced, two texts there: two rows, no more
    Program p = original;
    auto pasted = PasteProgramBlock(p, U"RAVXFFFF\xC8\x01\x01\x01x\x03y", 0);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->count, 2);
    EXPECT_EQ(texts(p, 0, 3), (std::vector<std::string>{"x|1", "y|2", "c|3"}));
    // a pasted text holds one line
    p = original;
    ASSERT_TRUE(PasteProgramBlock(p, U"RAVX0010\x01\x01\x01\x01mov al,1\nnop\x03", 2));
    EXPECT_EQ(p.rows[2].statement, "mov al,1");
}

TEST(Typing, GoesOnInTheNextRowOnlyPastTheLimitAndIntoAnEmptyCell)
{
    const std::string statement27(27, 'a'), comment33(33, 'c');
    auto cyrillic = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += "ж";  // two bytes each
        return s;
    };
    struct Case {
        const char* what;
        ProgramColumn column;
        std::string edited;
        int row;
        std::vector<std::string> below;  // the rows from row + 1 on
        bool goesOn;
    };
    const std::vector<Case> cases = {
        {"a statement of 26 stays", ProgramColumn::Statement, std::string(26, 'a'), 5, {""}, false},
        {"a statement of 27 goes on", ProgramColumn::Statement, statement27, 5, {""}, true},
        {"characters are counted, not bytes", ProgramColumn::Statement, cyrillic(26), 5, {""}, false},
        {"27 Cyrillic characters go on", ProgramColumn::Statement, cyrillic(27), 5, {""}, true},
        {"a statement below stops it", ProgramColumn::Statement, statement27, 5, {"nop"}, false},
        {"a comment below does not stop a statement", ProgramColumn::Statement, statement27, 5, {"|x"}, true},
        {"a comment of 32 stays", ProgramColumn::Comment, std::string(32, 'c'), 5, {""}, false},
        {"a comment of 33 goes on", ProgramColumn::Comment, comment33, 5, {""}, true},
        {"a comment below stops a comment", ProgramColumn::Comment, comment33, 5, {"|x"}, false},
        {"a statement below does not stop a comment", ProgramColumn::Comment, comment33, 5, {"nop"}, true},
        {"blanks are a text", ProgramColumn::Comment, comment33, 5, {"| "}, false},
        {"no row below the last", ProgramColumn::Statement, statement27, kLastStatementRow, {}, false},
        {"the row before the last goes on", ProgramColumn::Statement, statement27, kLastStatementRow - 1, {""}, true},
    };
    for (const Case& c : cases) {
        const Program p = rowsFrom(c.row + 1, c.below);
        EXPECT_EQ(TypingGoesOnInNextRow(p, c.row, c.column, c.edited), c.goesOn) << c.what;
    }
}

TEST(PlainText, PastesOneRowALine)
{
    struct Case {
        const char* what;
        std::u32string text;
        std::vector<std::string> after;  // rows 10.. (the rows before: "x|1", "y|2", "z|3")
        int count;
    };
    const std::vector<Case> cases = {
        {"statements and comments",
         U"mov al,08h\nout 2bh,al     ; управляющее слово\n",
         {"mov al,08h", "out 2bh,al|управляющее слово", "z|3"},
         2},
        {"blanks and tabs around both texts go", U"  mov al,1 \t;  CW0 ", {"mov al,1|CW0", "y|2", "z|3"}, 1},
        {"the first ; divides, later ones stay in the comment", U"nop ; a; b", {"nop|a; b", "y|2", "z|3"}, 1},
        {"a comment alone", U"; только комментарий", {"|только комментарий", "y|2", "z|3"}, 1},
        {"an empty line empties its row", U"nop\n\nhlt", {"nop", "", "hlt"}, 3},
        {"CR LF and CR end lines too", U"a\r\nb\rc", {"a", "b", "c"}, 3},
        {"control characters are dropped", U"mov al,1\x01", {"mov al,1", "y|2", "z|3"}, 1},
        {"a long line stays whole",
         U"mov ax,1234h ; set up the ax register and more",
         {"mov ax,1234h|set up the ax register and more", "y|2", "z|3"},
         1},
    };
    for (const Case& c : cases) {
        Program p = rowsFrom(10, {"x|1", "y|2", "z|3"});
        p.rows[11].breakpoint = true;
        const auto pasted = PasteText(p, c.text, 10);
        ASSERT_TRUE(pasted) << c.what;
        EXPECT_EQ(pasted->first, 10) << c.what;
        EXPECT_EQ(pasted->count, c.count) << c.what;
        EXPECT_EQ(texts(p, 10, 3), c.after) << c.what;
        EXPECT_TRUE(p.rows[11].breakpoint) << c.what << ": marks stay";
    }
}

TEST(PlainText, StopsAtTheLastRowAndRefusesNothingToPaste)
{
    Program p;
    const auto pasted = PasteText(p, U"a\nb\nc\n", kLastStatementRow - 1);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->count, 2);
    EXPECT_EQ(texts(p, kLastStatementRow - 1, 2), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(p.rows[kStatementRows].statement, "");  // the spare row is not written
    EXPECT_FALSE(PasteText(p, U"", 0));
    EXPECT_FALSE(PasteText(p, U"nop", kStatementRows));
    EXPECT_FALSE(PasteText(p, U"nop", -1));
}

TEST(PlainText, CopiedRowsReadAsTextAndPasteBack)
{
    const Program source = rowsFrom(0, {"mov al,08h|CW0: 8 знаков", "out 2bh,al", "", "|пауза"});
    const std::string both = PlainTextOfRows(source, 0, 3, 1, 2);
    EXPECT_EQ(both,
              "mov al,08h                 ; CW0: 8 знаков\n"
              "out 2bh,al\n"
              "\n"
              "                           ; пауза\n");
    EXPECT_EQ(PlainTextOfRows(source, 0, 1, 1, 1), "mov al,08h\nout 2bh,al\n");
    EXPECT_EQ(PlainTextOfRows(source, 0, 1, 2, 2), "; CW0: 8 знаков\n\n");
    Program p = rowsFrom(20, {"x|1", "x|1", "x|1", "x|1", "x|1"});
    const auto pasted = PasteText(p, Utf8ToUtf32(both), 20);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->count, 4);
    EXPECT_EQ(texts(p, 20, 5),
              (std::vector<std::string>{"mov al,08h|CW0: 8 знаков", "out 2bh,al", "", "|пауза", "x|1"}));
}

TEST(PlainText, ABlockOfAnEarlierVersionStillPastesAsABlock)
{
    // the block as the clipboard's only text, as earlier versions put it there
    const Program source = rowsFrom(0, {"a|1", "b|2"});
    Program p = rowsFrom(30, {"x|9", "y|8"});
    ASSERT_TRUE(PasteText(p, BuildProgramBlock(source, 0, 1, 2, 2), 30));
    EXPECT_EQ(texts(p, 30, 2), (std::vector<std::string>{"x|1", "y|2"}));
    EXPECT_FALSE(PasteText(p, U"RAVX00G1", 30));  // begins as a block, is none: nothing
    EXPECT_EQ(texts(p, 30, 2), (std::vector<std::string>{"x|1", "y|2"}));
}

TEST(Undo, ChangeOfRowsIsUndoneAndRedoneExactly)
{
    Program p = rowsFrom(0, {"a|1", "b|2", "c|3", "", "d"});
    p.rows[1].breakpoint = true;
    const ProgramRows before = p.rows;
    InsertRow(p, 1, false);
    const ProgramRows inserted = p.rows;
    const ProgramChange change = ChangedRows(before, p, 0, kProgramRows - 1);
    EXPECT_EQ(change.rows.size(), 3u);  // rows 1..3: the block moved down into the blank row
    EXPECT_TRUE(change.ChangesStatements());
    EXPECT_TRUE(change.ChangesTexts());

    UndoChange(p, change);
    EXPECT_EQ(p.rows, before);
    RedoChange(p, change);
    EXPECT_EQ(p.rows, inserted);

    // a mark set after the change stays through its undo; a mark the change
    // itself moved (another program opened) comes back
    p.rows[3].breakpoint = true;
    UndoChange(p, change);
    EXPECT_EQ(texts(p, 0, 5), texts(rowsFrom(0, {"a|1", "b|2", "c|3", "", "d"}), 0, 5));
    EXPECT_TRUE(p.rows[3].breakpoint);
    EXPECT_TRUE(p.rows[1].breakpoint);

    const ProgramRows beforeOpen = p.rows;
    Program opened = rowsFrom(0, {"nop"});
    opened.rows[kStatementRows].statement = "spare";  // a file fills the spare row too
    opened.rows[7].breakpoint = true;
    p.rows = opened.rows;
    const ProgramChange open = ChangedRows(beforeOpen, p, 0, kProgramRows - 1);
    UndoChange(p, open);
    EXPECT_EQ(p.rows, beforeOpen);
    RedoChange(p, open);
    EXPECT_EQ(p.rows, opened.rows);
}

TEST(Undo, WhatAChangeChanges)
{
    Program p = rowsFrom(0, {"a|1"});
    const ProgramRows before = p.rows;
    EXPECT_TRUE(ChangedRows(before, p, 0, kProgramRows - 1).Empty());
    p.rows[0].comment = "2";
    ProgramChange change = ChangedRows(before, p, 0, kProgramRows - 1);
    EXPECT_TRUE(change.ChangesTexts());
    EXPECT_FALSE(change.ChangesStatements());  // a comment never runs
    p.rows[0].comment = "1";
    p.rows[0].breakpoint = true;
    change = ChangedRows(before, p, 0, kProgramRows - 1);
    EXPECT_FALSE(change.Empty());
    EXPECT_FALSE(change.ChangesTexts());                // a mark alone is no step to undo
    EXPECT_TRUE(ChangedRows(before, p, 1, 5).Empty());  // outside the rows looked at
}

TEST(CellText, OneLineWithoutControlCharacters)
{
    EXPECT_EQ(CellText("mov al,1\r\nout 2ah,al"), "mov al,1");
    EXPECT_EQ(CellText("mov\tal,1\x01"), "mov al,1");
    EXPECT_EQ(CellText("счётчик"), "счётчик");
}

}  // namespace
}  // namespace ravx
