// Any bytes as a firmware dump: reading must not fail other than by FileError,
// and the tables must give back exactly the bytes that were read.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "mainwindow/FileError.h"
#include "mainwindow/FirmwareFile.h"

namespace {

struct Tables {
    std::array<uint8_t, 256> zg1{};
    std::array<uint8_t, 256> zg2{};
    std::array<uint8_t, 16> zg3{};
    std::array<uint8_t, 16> zg4{};
    std::array<uint8_t, 256> kg{};
    std::array<uint16_t, ravx::kRamCells> ram{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tables tables;
    tables = Tables{};
    const ravx::FirmwareTables view{tables.zg1, tables.zg2, tables.zg3, tables.zg4, tables.kg, tables.ram};

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    try {
        ravx::ReadFirmwareFile(in, view);
    } catch (const ravx::FileError&) {
        if (size >= ravx::kFirmwareFileSize)
            std::abort();
    }

    std::ostringstream out;
    ravx::WriteFirmwareFile(out, view);
    const std::string dump = out.str();
    const size_t read = std::min(size, ravx::kFirmwareFileSize);
    if (dump.size() != ravx::kFirmwareFileSize || dump.compare(0, read, input, 0, read) != 0 ||
        dump.find_first_not_of('\0', read) != std::string::npos)
        std::abort();
    return 0;
}
