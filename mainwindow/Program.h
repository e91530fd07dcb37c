// The program: 499 statement rows (addresses 000..1F2) and the spare row
// 1F3 that only a loaded file fills.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ravx {

constexpr int kStatementRows = 499;
constexpr int kProgramRows = 500;  // with the spare row

struct ProgramRow {
    std::string statement;
    std::string comment;
    bool breakpoint = false;

    friend bool operator==(const ProgramRow&, const ProgramRow&) = default;
};

class Program {
public:
    std::array<ProgramRow, kProgramRows> rows;

    // The statement at a row address; beyond the last statement row there is
    // none, and the executor sees an empty text.
    std::string_view StatementAt(uint16_t address) const
    {
        return address < kStatementRows ? std::string_view(rows[address].statement) : std::string_view();
    }
    bool BreakpointAt(uint16_t address) const { return address < kStatementRows && rows[address].breakpoint; }
    void ToggleBreakpoint(uint16_t address)
    {
        if (address < kStatementRows)
            rows[address].breakpoint = !rows[address].breakpoint;
    }
    void ClearBreakpoints()
    {
        for (auto& r : rows)
            r.breakpoint = false;
    }
    void Clear()
    {
        for (auto& r : rows)
            r = ProgramRow{};
    }
};

// The row address as the grid shows it: three upper-case hexadecimal digits.
std::string RowAddressText(int address);
// The statement as the executed-statement grid shows it: centred in a field
// of 21 characters ((21 - L) div 2 leading blanks, none from 21 on).
std::string CentredStatement(std::string_view statement);

}  // namespace ravx
