#include "mainwindow/FileCommands.h"

#include "mainwindow/FirmwareFile.h"

namespace ravx {

ProgramFileHeader OpenProgram(Simulator& sim, const std::string& path)
{
    // Read into a copy first: a file that fails on its header or cannot be
    // opened leaves the student's program and marks as they were.
    Program loaded = sim.program;
    const ProgramFileHeader h = ReadProgramFile(path, loaded);
    sim.program = std::move(loaded);
    sim.MarkProgramSaved();
    sim.m.InterruptAddress = h.interruptAddress;
    sim.ravx.PortBase = h.portBase;
    SelectListsForPort(sim.settings, h.portBase);
    sim.ResetKey();
    return h;
}

void SaveProgram(Simulator& sim, const std::string& path)
{
    WriteProgramFile(path, sim.program, sim.m.InterruptAddress, sim.ravx.PortBase);
    sim.MarkProgramSaved();
}

void LoadFirmware(Simulator& sim, const std::string& path)
{
    // A short dump would leave the tables half filled: read into copies.
    RavxState tables = sim.ravx.State();
    MachineState ram = sim.m;
    ReadFirmwareFile(path, FirmwareTablesOf(tables, ram));
    sim.ravx.Zg1 = tables.Zg1;
    sim.ravx.Zg2 = tables.Zg2;
    sim.ravx.Zg3 = tables.Zg3;
    sim.ravx.Zg4 = tables.Zg4;
    sim.ravx.Kg = tables.Kg;
    sim.m.Ram = ram.Ram;
    sim.EndHistory();  // the steps before ran on other tables
}

void SaveFirmware(Simulator& sim, const std::string& path)
{
    WriteFirmwareFile(path, FirmwareTablesOf(sim.ravx, sim.m));
}

}  // namespace ravx
