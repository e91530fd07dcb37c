// What the four commands of the "Файл" menu do to the machine once a file
// name has been chosen: the application's menu and the runner share them.
// A file that cannot be read changes nothing; every failure throws FileError
// with the message the window shows.
#pragma once

#include <string>

#include "mainwindow/ProgramFile.h"
#include "mainwindow/Simulator.h"

namespace ravx {

// "Открыть программу": the rows with their breakpoint marks, the interrupt
// routine address and the port come from the file, then the machine is reset
// as the reset command does; the port also selects the settings' group and
// machine. The header is returned.
ProgramFileHeader OpenProgram(Simulator& sim, const std::string& path);
// "Сохранить программу". Both mark the rows as saved.
void SaveProgram(Simulator& sim, const std::string& path);
// "Загрузить прошивку": the generator tables and the writable data RAM. No
// reset, nothing redrawn.
void LoadFirmware(Simulator& sim, const std::string& path);
// "Сохранить прошивку".
void SaveFirmware(Simulator& sim, const std::string& path);

}  // namespace ravx
