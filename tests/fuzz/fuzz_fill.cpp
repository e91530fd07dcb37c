// Arbitrary cell texts into the fill dialog's check and store: never a crash,
// nothing stored unless every cell reads, and what is stored is what reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "controller/Timer_state.h"
#include "controller/ZGfill_model.h"
#include "machine/_Asm.h"

namespace {
constexpr int kTargets = 6;
constexpr uint8_t kHexValuesBit = 0x08;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ravx;
    if (size < 2)
        return 0;
    static RavxState controller;
    static MachineState machine;
    const auto target = static_cast<FillTarget>(data[0] % kTargets);
    const bool hex = data[0] & kHexValuesBit;
    FillSheet sheet(controller, machine);
    if (sheet.SetHexValues(hex))
        std::abort();  // an empty sheet always switches
    sheet.Open(target);

    // cells separated by newlines, spread over the rows by the second byte
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    int row = data[1] % sheet.Entries();
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view text = rest.substr(0, end);
        sheet.SetCell(row, text);
        if (sheet.Cell(row).size() > static_cast<std::size_t>(CellLength(target)))
            std::abort();
        row = (row * 7 + 1) % sheet.Entries();
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }

    const RavxState controllerBefore = controller;
    const MachineState machineBefore = machine;
    const FillFailure failure = sheet.Enter();
    if (failure) {
        if (!(controller == controllerBefore) || !(machine == machineBefore))
            std::abort();
        if (failure.row < 0 || failure.row >= sheet.Entries() ||
            ReadCell(target, sheet.Cell(failure.row), hex).code == 0)
            std::abort();
        return 0;
    }
    // stored: a new opening shows every cell as it reads
    FillSheet reopened(controller, machine);
    if (reopened.SetHexValues(hex))
        std::abort();
    reopened.Open(target);
    for (int i = 0; i < sheet.Entries(); ++i)
        if (ReadCell(target, reopened.Cell(i), hex).value != ReadCell(target, sheet.Cell(i), hex).value)
            std::abort();
    return 0;
}
