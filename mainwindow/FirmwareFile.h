// The firmware dump: the controller's five character/code tables and the data
// RAM up to the last writable cell, as 4894 bytes without a header. The
// layout interleaves the tables index by index in three blocks, because the
// short tables end at 16 and the RAM goes on alone after 256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "controller/Timer_state.h"
#include "machine/_Asm.h"

namespace ravx {

constexpr size_t kFirmwareFileSize = 4894;

// The parts of the machine the dump holds.
struct FirmwareTables {
    std::array<uint8_t, 256>& zg1;
    std::array<uint8_t, 256>& zg2;
    std::array<uint8_t, 16>& zg3;
    std::array<uint8_t, 16>& zg4;
    std::array<uint8_t, 256>& kg;
    std::array<uint16_t, kRamCells>& ram;
};

FirmwareTables FirmwareTablesOf(RavxState& ravx, MachineState& m);

// Throws FileError. The file is replaced only once the new one is complete,
// so a failed save leaves the old one as it was.
void WriteFirmwareFile(const std::string& path, const FirmwareTables& tables);
void WriteFirmwareFile(std::ostream& out, const FirmwareTables& tables);

// Stores the bytes in file order as they come; a short file leaves what it
// reached stored and then throws FileError. Nothing else is reset.
void ReadFirmwareFile(const std::string& path, const FirmwareTables& tables);
void ReadFirmwareFile(std::istream& in, const FirmwareTables& tables);

// Why bytes are not a whole firmware dump, in the student's words; empty when
// they are one. The reader stores what a short dump reaches before it fails;
// bytes beyond the dump are ignored by it and here.
std::string FirmwareFileProblem(std::string_view bytes);

// The dump name offered after a program was loaded or saved under lastName:
// its folder, its file name up to the name's first dot, and ".dmp". Empty when
// the file name has nothing before a dot.
std::string SuggestedDumpName(const std::string& lastName);

}  // namespace ravx
