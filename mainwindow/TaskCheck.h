// The solution checker: decides whether a program (with its firmware) solves a
// training task in a kind. It runs the program as the runner does, supplies
// the input the conventions define for the task's groups at several moments,
// and compares the indicators and the display RAM with the task.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "mainwindow/Simulator.h"
#include "training/TaskConventions.h"

namespace ravx::training {

// The display RAM byte of a character in a form of "Данные в ОЗУ индикации:"
// on one row: the seven-segment code, the lab's КОИ-8 code, the key code, or
// for "16сс" the digit's value (other characters: their key code).
std::optional<uint8_t> FormCode(uint8_t ram, std::string_view character);
// Loads the program to check into a fresh simulator: its rows, interrupt
// routine address, port, firmware tables and data RAM. The checker then sets
// the generators and resets the machine.
using ProgramLoader = std::function<void(Simulator&)>;

// A loader that copies a machine as it stands: the program rows, the interrupt
// routine address, the port and settings, the generator tables and the data
// RAM. The machine itself is not touched; it must outlive the check.
ProgramLoader CopyOfMachine(const Simulator& from);
// The generator settings a machine has now.
GeneratorSetup CurrentSetup(const Simulator& sim);

// Checks a program against a task. With `fixedSetup` only those settings are
// tried (the student's own); without, every setup the conventions allow, and
// the verdict names the one that solved it (or the closest failure).
CheckVerdict CheckSolution(const ProgramLoader& load, const TaskTerms& task,
                           std::optional<GeneratorSetup> fixedSetup = std::nullopt);

}  // namespace ravx::training
