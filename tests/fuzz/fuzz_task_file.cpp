// Any bytes as a task file, any task number and kind: the reader must not
// crash or read outside the bytes (ASan watches a buffer of exactly their
// size), must give only texts from the code lists, and must lay out at most 25
// cells with the three known marks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "training/TaskFile.h"

namespace {

constexpr std::size_t kHeaderSize = 2;  // task number byte and kind byte
constexpr int kNumberSpread = 32;       // numbers around 1..22, also out of range

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ravx::training;
    if (size < kHeaderSize)
        return 0;
    const int number = static_cast<int>(data[0] % kNumberSpread) - 4;
    const auto kind = static_cast<TaskKind>(data[1] % kKindCount);
    const std::size_t fileSize = size - kHeaderSize;
    // A copy of exactly the file's size, so that any read past its end is caught.
    std::unique_ptr<uint8_t[]> file(new uint8_t[fileSize ? fileSize : 1]);
    if (fileSize)
        std::memcpy(file.get(), data + kHeaderSize, fileSize);

    TaskDisplay display;
    auto error = ShowTask(std::span<const uint8_t>(file.get(), fileSize), number, kind, "2A", display);
    if (error)
        Check(*error == kReadBeyondEnd);
    else
        Check(display.IO == "2A");
    if (number < 1)  // such a record starts before the file
        Check(error.has_value());
    for (const auto& cell : display.StringGrid1)
        Check(cell.mark == kMarkNone || cell.mark == kMarkRed || cell.mark == kMarkGreen);
    Check(display.analysisShown == (kind == TaskKind::SensorAnalysis) || error.has_value());

    // The two layouts on the raw bytes as a text.
    std::string_view text(reinterpret_cast<const char*>(file.get()), fileSize);
    LayIndicatorText(text);
    LaySecondRow(text);
    return 0;
}
