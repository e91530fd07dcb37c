// The command line of the application: "ravx [FILE]", where FILE is a
// program (.prg) opened, or a firmware dump (.dmp) loaded, once the start-up
// windows are done; "--help" and "--version" answer without a window.
#pragma once

#include <string>
#include <vector>

namespace ravx {

enum class FileKind { Program, Firmware, Unknown };
// By the name's extension, in any case: ".prg", ".dmp".
FileKind KindOfFile(const std::string& path);

struct StartArguments {
    enum class Action { Start, Help, Version, Error };
    Action action = Action::Start;
    std::string file;   // empty: no file given
    std::string error;  // for Action::Error, the line for standard error
};

// args without the program's own name, Qt's options already taken out.
StartArguments ParseStartArguments(const std::vector<std::string>& args);

// The texts of "--help" and "--version", each ending in a new line.
std::string StartUsage();
std::string StartVersion();

}  // namespace ravx
