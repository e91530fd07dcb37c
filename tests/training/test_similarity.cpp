// The comparison of programs' statements that finds copied solutions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "machine/Host.h"
#include "tests/tasks/Listing.h"
#include "training/Similarity.h"

namespace fs = std::filesystem;
using namespace ravx;
using training::MatchStatements;
using training::NormalizedStatement;

namespace {

std::vector<std::string> Statements(const fs::path& listing)
{
    NullHost host;
    Simulator sim(host);
    tasks::LoadListing(listing.string(), sim);
    std::vector<std::string> rows;
    for (const ProgramRow& row : sim.program.rows)
        rows.push_back(row.statement);
    return rows;
}

struct Pair {
    const char* a;
    int rowA;
    const char* b;
    int rowB;
    bool same;
};

}  // namespace

TEST(Similarity, StatementsKeepWhatACopierDoesNotChange)
{
    const std::vector<Pair> pairs = {
        {"mov al,10h", 0, "  MOV   AL , 16", 0, true},    // blanks, case, the number's base
        {"mov al,0ddh", 0, "mov al,11011101b", 0, true},  //
        {"mov bx,-1", 0, "mov bx,0ffffh", 0, true},       //
        {"mov bx,cx", 0, "mov si,dx", 0, true},           // registers renamed
        {"mov cl,[bx+120]", 0, "mov ch,[si+78h]", 0, true},
        {"mov al,bl", 0, "mov ax,bx", 0, false},  // their size stays
        {"mov ah,5", 0, "mov 0ah,5", 0, false},   // AH is a register, not 0Ah
        {"mov al,5", 0, "mov al,6", 0, false},    // constants stay
        {"jz 7", 9, "je 3", 5, true},             // a target back, whichever row
        {"jnz 7", 9, "jne 20h", 1, false},        // back and forward
        {"jmp 16h", 0x16, "jmp 5", 5, true},      // waiting on the row itself
        {"loop 2", 2, "loop 2", 3, false},
        {"call 40h", 3, "call 100", 7, true},
        {"call clearmem", 0, "call inttostr", 0, false},
        {"in al,2ah", 0, "in al,3ch", 0, true},  // the data port on another machine
        {"in al,2ah", 0, "in al,2bh", 0, false},
        {"out 2bh,al", 0, "out 61,al", 0, true},
        {"in al,dx", 0, "in al,bx", 0, true},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(std::string(p.a) + " / " + p.b);
        EXPECT_EQ(NormalizedStatement(p.a, p.rowA) == NormalizedStatement(p.b, p.rowB), p.same)
            << NormalizedStatement(p.a, p.rowA) << " / " << NormalizedStatement(p.b, p.rowB);
    }
    EXPECT_EQ(NormalizedStatement("Mov Al , 0Ah", 0), "MOV R8,10");
    EXPECT_EQ(NormalizedStatement("jnz 7", 9), "JNE <");
    for (const char* nothing : {"", "   ", "\t", "nop", " NOP "})
        EXPECT_EQ(NormalizedStatement(nothing, 0), "") << nothing;
}

TEST(Similarity, InsertedStatementsCostOnlyThemselves)
{
    const std::vector<std::string> original = {"mov al,1", "out 2bh,al", "mov al,2", "out 2ah,al", "jmp 4"};
    const std::vector<std::string> padded = {"mov al,1", "mov cx,9", "loop 2", "out 2bh,al", "nop",
                                             "mov al,2", "mov cx,9", "loop 7", "out 2ah,al", "jmp 9"};
    const auto m = MatchStatements(original, padded);
    EXPECT_EQ(m.matching, 5);
    EXPECT_EQ(m.statementsA, 5);
    EXPECT_EQ(m.statementsB, 9);  // the NOP is not counted
    EXPECT_EQ(m.Percent(), 71);   // 2 * 5 / 14
    EXPECT_EQ(MatchStatements(original, original).Percent(), 100);
    EXPECT_EQ(MatchStatements(original, std::vector<std::string>(3)).Percent(), 0);
    EXPECT_EQ(MatchStatements(std::vector<std::string>{}, std::vector<std::string>{}).Percent(), 0);
}

// A copy of a reference solution disguised as copiers do it is found; a
// second, independently written solution of the same task is not (that it is
// a sound solution, check_cli shows: the checker accepts it).
TEST(Similarity, FindsADisguisedCopyButNotAnIndependentSolution)
{
    const auto reference = Statements(fs::path(RAVX_SOLUTIONS) / "05-strobe.lst");
    const auto copy = Statements(fs::path(RAVX_SIMILAR) / "05-strobe-copy.lst");
    const auto own = Statements(fs::path(RAVX_SIMILAR) / "05-strobe-own.lst");

    const auto copied = MatchStatements(reference, copy);
    EXPECT_EQ(copied.matching, 33);  // all but INC BL, which became INC SI
    EXPECT_EQ(copied.statementsA, 34);
    EXPECT_EQ(copied.statementsB, 40);  // three delay loops
    EXPECT_EQ(copied.Percent(), 89);
    EXPECT_GE(copied.Percent(), training::kSimilarPercent);

    // the controller's set-up is alike in every solution; the rest is not
    const auto independent = MatchStatements(reference, own);
    EXPECT_EQ(independent.Percent(), 40) << independent.matching << " of " << independent.statementsA << " and "
                                         << independent.statementsB;
    EXPECT_LT(independent.Percent(), training::kSimilarPercent);
    EXPECT_LT(MatchStatements(copy, own).Percent(), training::kSimilarPercent);
}
