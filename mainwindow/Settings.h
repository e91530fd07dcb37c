// The settings of the working place that the editor and the panels read.
// The settings dialog edits this record; every reader consults it, so a
// setting has one home. (The port, the interrupt routine address and the
// generator settings are fields of the controller and the processor.)
#pragma once

namespace ravx {

// The register display modes of the processor panel.
enum class RegisterMode { Octal = 0, Binary = 1, None = 2 };

struct Settings {
    bool ShiftMode = false;   // "Сдвиг при удалении и вставке": row commands move every row below
    bool MouseFocus = false;  // "Смена фокуса ввода мышью": the grid and the matrix take the focus on hover
    RegisterMode Registers = RegisterMode::Octal;

    friend bool operator==(const Settings&, const Settings&) = default;
};

}  // namespace ravx
