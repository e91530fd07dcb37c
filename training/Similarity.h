// How closely the statements of two programs match, for finding copied
// solutions among a class's programs.
//
// Each statement is first reduced to what a copier keeps (NormalizedStatement).
// The two programs are then aligned by a longest common subsequence of those
// statements, so statements inserted into a copy (delay loops, shifted rows)
// cost only themselves and never put the rest out of step. The share is
// 2·M / (A + B) for M matched statements of A and B: the part of both
// programs' statements that found a partner, "93% совпадающих операторов".
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace ravx::training {

// A statement without blanks and letter case: numbers as their values;
// registers as their size only ("R8", "R16"); a numeric target of a jump,
// LOOP or CALL as its direction from the row ("<" back, "=" the row itself,
// ">" forward); the numeric port of IN and OUT as the controller's data or
// command port (even or odd: a copy moved to another machine changes the
// port numbers). JZ and JE, JNZ and JNE are one. Empty for an empty row and
// for NOP, which a copier adds freely.
std::string NormalizedStatement(std::string_view statement, int row);

struct StatementMatch {
    int matching = 0;  // statements of A paired with equal ones of B, in order
    int statementsA = 0;
    int statementsB = 0;
    // 2·matching / (A + B) in whole percent, rounded down; 0 without statements.
    int Percent() const;
};

// `rowsA` and `rowsB` hold each program's statement texts by row address.
StatementMatch MatchStatements(std::span<const std::string> rowsA, std::span<const std::string> rowsB);

// From this share on a pair of programs is listed as similar.
inline constexpr int kSimilarPercent = 75;

}  // namespace ravx::training
