#include "mainwindow/SettingsForm.h"

#include <cctype>

#include "machine/_Asm_errors.h"
#include "machine/_Asm_text.h"

namespace ravx {

void SelectListsForPort(Settings& settings, uint16_t port)
{
    // (p mod 40 - 1) div 2 rounds toward zero, so p mod 40 = 0 gives machine 1 too
    const int group = port / 40;
    const int machine = (static_cast<int>(port % 40) - 1) / 2 + 1;
    settings.Group = group >= 1 && group <= kGroups ? group : kNoSelection;
    settings.Machine = machine >= 1 && machine <= kMachines ? machine : kNoSelection;
}

std::string PortText(int group, int machine) { return hex2(PortNumber(group, machine)).str(); }

SettingsForm ShowSettings(const Simulator& sim)
{
    SettingsForm f;
    f.Group = sim.settings.Group == kNoSelection ? 1 : sim.settings.Group;
    f.Machine = sim.settings.Machine == kNoSelection ? 1 : sim.settings.Machine;
    f.Address = hex4(sim.m.InterruptAddress).str().substr(1);
    f.Generator = sim.ravx.ConnectedGenerator;
    f.CodeGenerator = sim.ravx.CodeGeneratorOn;
    f.AutoRelease = sim.panel.AutoRelease;
    f.ShiftMode = sim.settings.ShiftMode;
    f.OctalStrobe = sim.panel.OctalStrobe;
    f.MouseFocus = sim.settings.MouseFocus;
    f.Registers = sim.settings.Registers;
    return f;
}

std::optional<char> AddressFieldKey(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F)
        return c;  // control keys pass
    const char upper = static_cast<char>(std::toupper(u));
    if ((upper >= '0' && upper <= '9') || (upper >= 'A' && upper <= 'F'))
        return upper;
    return std::nullopt;
}

SettingsResult ApplySettings(Simulator& sim, const SettingsForm& f)
{
    if (f.Group < 1 || f.Group > kGroups)
        return SettingsResult::NoGroup;
    if (f.Machine < 1 || f.Machine > kMachines)
        return SettingsResult::NoMachine;
    // An address that does not convert reads as 0, as the field's reader
    // leaves it; only the bound is an error the student is told about.
    const NumberResult address = ReadHex(f.Address, 0xFFFF);
    const uint16_t interruptAddress = address.code == 0 ? address.value : 0;
    if (interruptAddress > kRowLimit) {
        ReportError(sim.m, sim.host(), kErrInterruptAddress);
        return SettingsResult::BadAddress;
    }

    sim.m.InterruptAddress = interruptAddress;
    sim.ravx.PortBase = PortNumber(f.Group, f.Machine);
    sim.settings.Group = f.Group;
    sim.settings.Machine = f.Machine;
    sim.ravx.ApplyGeneratorSettings(f.Generator, f.CodeGenerator);
    sim.settings.Registers = f.Registers;
    sim.panel.OctalStrobe = f.OctalStrobe;
    sim.settings.ShiftMode = f.ShiftMode;
    // these two took effect as they were clicked; the form carries them for
    // callers without a dialog (the runner)
    sim.panel.AutoRelease = f.AutoRelease;
    sim.settings.MouseFocus = f.MouseFocus;

    if (sim.ravx.ModeStrobed) {
        // the strobe comes from the octal box or from the one-row matrix
        sim.panel.STRInpVisible = f.OctalStrobe;
        sim.panel.MatrixVisible = !f.OctalStrobe;
        if (!f.OctalStrobe)
            sim.panel.MatrixRows = 1;
    }
    return SettingsResult::Applied;
}

std::string_view SettingsMessage(SettingsResult r)
{
    switch (r) {
    case SettingsResult::NoGroup: return "Введите номер группы!";
    case SettingsResult::NoMachine: return "Введите номер машины!";
    case SettingsResult::Applied:
    case SettingsResult::BadAddress: break;
    }
    return {};
}

}  // namespace ravx
