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

TEST(CellText, OneLineWithoutControlCharacters)
{
    EXPECT_EQ(CellText("mov al,1\r\nout 2ah,al"), "mov al,1");
    EXPECT_EQ(CellText("mov\tal,1\x01"), "mov al,1");
    EXPECT_EQ(CellText("счётчик"), "счётчик");
}

}  // namespace
}  // namespace ravx
