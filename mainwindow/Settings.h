// The settings of a working place. Each setting has one home: the group and
// machine numbers and the editor and display options live here; the port
// (TRavx::PortBase), the interrupt routine address
// (MachineState::InterruptAddress), the generator choice and the code
// generator (TRavx::ConnectedGenerator, CodeGeneratorOn), key auto-release
// and octal strobe input (FrontPanel::AutoRelease, OctalStrobe) live with
// the models that read them.
#pragma once

#include <cstdint>

namespace ravx {

// The register display modes of the processor panel.
enum class RegisterMode { Octal = 0, Binary = 1, None = 2 };

constexpr int kGroups = 9;     // "Номер группы:" 1..9
constexpr int kMachines = 20;  // "Номер машины:" 1..20
constexpr int kNoSelection = 0;

struct Settings {
    int Group = 1;    // kNoSelection when a loaded port matches no group
    int Machine = 1;  // kNoSelection likewise
    bool ShiftMode = false;   // "Сдвиг при удалении и вставке": row commands move every row below
    bool MouseFocus = false;  // "Смена фокуса ввода мышью": the grid and the matrix take the focus on hover
    RegisterMode Registers = RegisterMode::Octal;

    friend bool operator==(const Settings&, const Settings&) = default;
};

// The port of a working place: (40 x group + 2 x machine) mod 256.
constexpr uint8_t PortNumber(int group, int machine) { return static_cast<uint8_t>(40 * group + 2 * machine); }

// The group and machine lists for the port a program file brings: the
// inverse of PortNumber, with no selection where the port fits no item.
void SelectListsForPort(Settings& settings, uint16_t port);

}  // namespace ravx
