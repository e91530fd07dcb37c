#include "mainwindow/MemoryViews.h"

#include "machine/_Asm_errors.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {
constexpr int kOctalPage = 512;  // the three octal digits of an address count to 777
}

std::string StackAddressText(int row) { return hex4(static_cast<unsigned>(2 * StackSlotOfRow(row))).str(); }

std::string StackWordText(const MachineState& m, int row) { return hex4(m.Stack[StackSlotOfRow(row)]).str(); }

std::string DataRamAddressText(int address, bool hex)
{
    if (hex)
        return hex4(static_cast<unsigned>(address)).str();
    return dec(static_cast<unsigned>(address / kOctalPage)).str() +
           std::string(octalPadded(static_cast<unsigned>(address % kOctalPage), 4).view());
}

std::string DataRamWordText(const MachineState& m, int address) { return hex4(m.Ram[address]).str(); }

std::optional<int> DataRamGoTo(MachineState& m, Host& host, std::string_view typed, bool hex)
{
    if (typed.empty())
        return std::nullopt;
    const NumberResult n = hex ? ReadHex(typed, 0xFFFF) : ReadOctal(typed, 0xFFFF);
    if (n.code == kErrNumberFormat) {
        ReportError(m, host, kErrNumberFormat);
        return std::nullopt;
    }
    if (n.code != 0 || n.value > kRamLast)
        return std::nullopt;
    return n.value;
}

}  // namespace ravx
