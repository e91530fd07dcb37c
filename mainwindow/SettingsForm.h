// The settings dialog's fields and what its "Ввод" does to the machine: the
// dialog only shows and edits a SettingsForm. The runner applies its options
// through the same form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mainwindow/Simulator.h"

namespace ravx {

struct SettingsForm {
    int Group = 1;  // kNoSelection: the list is empty
    int Machine = 1;
    std::string Address;  // "Адрес начала ППОП", hexadecimal, three characters
    int Generator = 0;    // "Нет", "1", "2", "3(4)"
    bool CodeGenerator = false;
    bool AutoRelease = true;
    bool ShiftMode = false;
    bool OctalStrobe = true;
    bool MouseFocus = false;
    RegisterMode Registers = RegisterMode::Octal;

    friend bool operator==(const SettingsForm&, const SettingsForm&) = default;
};

// The dialog's fields when it is shown: empty lists select "1", the address
// shows its last three hexadecimal digits, the rest their current values.
SettingsForm ShowSettings(const Simulator& sim);
// The text of the read-only port field: two hexadecimal digits.
std::string PortText(int group, int machine);
// A key typed into the address field: upper-cased, or refused (nullopt)
// when it is printable and no hexadecimal digit. Control keys pass.
std::optional<char> AddressFieldKey(char c);

enum class SettingsResult { Applied, NoGroup, NoMachine, BadAddress };
// "Ввод": checks the lists and the address (above 1F3 reports run-time error
// 13 through the host), then applies every setting in the dialog's order.
// Nothing is applied unless the result is Applied.
SettingsResult ApplySettings(Simulator& sim, const SettingsForm& form);
// The messages of the two missing lists.
std::string_view SettingsMessage(SettingsResult r);

}  // namespace ravx
