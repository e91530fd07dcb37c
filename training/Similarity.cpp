#include "training/Similarity.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <vector>

#include "machine/_Asm.h"

namespace ravx::training {

namespace {

constexpr char kTab = '\t';
constexpr char kBlank = ' ';
constexpr uint32_t kWordLimit = 0xFFFF;
constexpr int kPercent = 100;

// Registers are compared by size, not by name. Renaming them one to one in
// order of first use would keep more (which register is which), but a copy
// with a delay loop put in before the original's first use of a register
// numbers its registers differently, and every statement after it would
// differ. What the classes lose, the order of the statements and their
// constants still tell.
std::string_view RegisterClass(std::string_view t)
{
    static constexpr std::string_view kWords[] = {"AX", "BX", "CX", "DX", "SI", "DI"};
    static constexpr std::string_view kBytes[] = {"AL", "AH", "BL", "BH", "CL", "CH", "DL", "DH"};
    if (std::find(std::begin(kWords), std::end(kWords), t) != std::end(kWords))
        return "R16";
    if (std::find(std::begin(kBytes), std::end(kBytes), t) != std::end(kBytes))
        return "R8";
    return {};
}

// AH is a register, never the number 0Ah.
std::optional<uint16_t> NumberValue(std::string_view t)
{
    if (t.empty() || !RegisterClass(t).empty())
        return std::nullopt;
    const NumberResult n = ReadNumber(t, kWordLimit);
    if (n.code != 0)
        return std::nullopt;
    return n.value;
}

bool IsWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// An operand, word by word: registers become their class, numbers their
// value; brackets, signs and other names (CLEARMEM, ALL) stay.
std::string Operand(std::string_view t)
{
    if (const auto value = NumberValue(t))
        return std::to_string(*value);  // "-1" whole, before its sign is split off
    std::string out;
    for (std::size_t i = 0; i < t.size();) {
        if (!IsWordCharacter(t[i])) {
            out += t[i++];
            continue;
        }
        std::size_t end = i;
        while (end < t.size() && IsWordCharacter(t[end]))
            ++end;
        const std::string_view word = t.substr(i, end - i);
        if (const std::string_view reg = RegisterClass(word); !reg.empty())
            out += reg;
        else if (const auto value = NumberValue(word))
            out += std::to_string(*value);
        else
            out += word;
        i = end;
    }
    return out;
}

// A conditional jump is decided by its second letter, or its third after N;
// Z and E test the same flag.
std::string Mnemonic(std::string_view m)
{
    if (m.size() < 2 || m[0] != 'J' || m == "JMP")
        return std::string(m);
    const bool negated = m[1] == 'N';
    char condition = negated ? (m.size() > 2 ? m[2] : '\0') : m[1];
    if (condition == 'Z')
        condition = 'E';
    std::string out = negated ? "JN" : "J";
    if (condition != '\0')
        out += condition;
    return out;
}

bool TakesTarget(std::string_view m) { return m[0] == 'J' || m == "LOOP" || m == "CALL"; }

std::string Target(std::string_view t, int row)
{
    const auto value = NumberValue(t);
    if (!value)
        return Operand(t);
    return *value < row ? "<" : *value == row ? "=" : ">";
}

// The data port is the even one of the pair, the command port the odd one.
std::string Port(std::string_view t)
{
    const auto value = NumberValue(t);
    if (!value)
        return Operand(t);
    return *value % 2 == 0 ? "PORT0" : "PORT1";
}

}  // namespace

std::string NormalizedStatement(std::string_view statement, int row)
{
    std::string text(statement);
    std::replace(text.begin(), text.end(), kTab, kBlank);
    char buf[kStatementBuffer];
    const ParsedStatement p = SplitStatement(text, buf);
    if (p.mnemonic.empty() || p.mnemonic == "NOP")
        return {};
    const std::string mnemonic = Mnemonic(p.mnemonic);
    std::string op1, op2;
    if (TakesTarget(mnemonic)) {
        op1 = Target(p.op1, row);
        op2 = Operand(p.op2);
    } else if (mnemonic == "IN") {
        op1 = Operand(p.op1);
        op2 = Port(p.op2);
    } else if (mnemonic == "OUT") {
        op1 = Port(p.op1);
        op2 = Operand(p.op2);
    } else {
        op1 = Operand(p.op1);
        op2 = Operand(p.op2);
    }
    std::string out = mnemonic;
    if (!op1.empty() || !op2.empty())
        out += kBlank + op1;
    if (!op2.empty())
        out += ',' + op2;
    return out;
}

int StatementMatch::Percent() const
{
    const int all = statementsA + statementsB;
    return all == 0 ? 0 : 2 * matching * kPercent / all;
}

StatementMatch MatchStatements(std::span<const std::string> rowsA, std::span<const std::string> rowsB)
{
    auto statements = [](std::span<const std::string> rows) {
        std::vector<std::string> out;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            std::string s = NormalizedStatement(rows[row], static_cast<int>(row));
            if (!s.empty())
                out.push_back(std::move(s));
        }
        return out;
    };
    const std::vector<std::string> a = statements(rowsA), b = statements(rowsB);

    // the longest common subsequence, one row of the table at a time
    std::vector<int> previous(b.size() + 1, 0), current(b.size() + 1, 0);
    for (const std::string& s : a) {
        for (std::size_t j = 0; j < b.size(); ++j)
            current[j + 1] = s == b[j] ? previous[j] + 1 : std::max(previous[j + 1], current[j]);
        std::swap(previous, current);
    }
    return {previous[b.size()], static_cast<int>(a.size()), static_cast<int>(b.size())};
}

}  // namespace ravx::training
