// What the stack view ("Стек") and the data RAM view ("ОЗУ данных") show,
// and the data RAM view's go-to entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "machine/_Asm.h"

namespace ravx {

// Stack view row r (0..255) shows slot 255 - r at byte address 2 x (255 - r).
constexpr int kStackViewRows = kStackSlots;
constexpr int StackSlotOfRow(int row) { return kStackEmpty - row; }
std::string StackAddressText(int row);  // "01FE" at the top, "0000" at the bottom
std::string StackWordText(const MachineState& m, int row);

// Data RAM view: one row per word 0..3069.
constexpr int kDataRamViewRows = kRamCells;
// Octal: the address div 512 in decimal, then the address mod 512 as three
// octal digits (3069 shows 5775); hexadecimal: four digits (0BFD).
std::string DataRamAddressText(int address, bool hex);
std::string DataRamWordText(const MachineState& m, int address);

// The go-to entry of the data RAM view: the typed digits read as hexadecimal
// or octal. A digit the octal reader refuses reports run-time error 2 through
// the host; an empty text or an address beyond the last word is ignored.
std::optional<int> DataRamGoTo(MachineState& m, Host& host, std::string_view typed, bool hex);

}  // namespace ravx
