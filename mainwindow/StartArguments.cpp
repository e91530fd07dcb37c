#include "mainwindow/StartArguments.h"

#include <algorithm>
#include <cctype>

namespace ravx {

FileKind KindOfFile(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileKind::Unknown;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "prg")
        return FileKind::Program;
    if (extension == "dmp")
        return FileKind::Firmware;
    return FileKind::Unknown;
}

StartArguments ParseStartArguments(const std::vector<std::string>& args)
{
    StartArguments result;
    auto fail = [&result](const std::string& error) {
        result.action = StartArguments::Action::Error;
        result.error = error;
        return result;
    };
    bool optionsEnd = false;
    for (const std::string& arg : args) {
        if (!optionsEnd && (arg == "--help" || arg == "-h"))
            result.action = StartArguments::Action::Help;
        else if (!optionsEnd && (arg == "--version" || arg == "-v"))
            result.action = result.action == StartArguments::Action::Help ? result.action
                                                                          : StartArguments::Action::Version;
        else if (!optionsEnd && arg == "--")
            optionsEnd = true;
        else if (!optionsEnd && arg.size() > 1 && arg[0] == '-')
            return fail("ravx: неизвестный параметр " + arg);
        else if (!result.file.empty())
            return fail("ravx: можно открыть только один файл");
        else if (KindOfFile(arg) == FileKind::Unknown)
            return fail("ravx: " + arg + ": открываются только программы (.prg) и прошивки (.dmp)");
        else
            result.file = arg;
    }
    return result;
}

std::string StartUsage()
{
    return "Использование: ravx [ФАЙЛ]\n"
           "ПККИ RAVX: тренажёр лаборатории микропроцессорной техники.\n"
           "\n"
           "  ФАЙЛ           программа (.prg), которая открывается после входного теста\n"
           "                 и настройки рабочего места, или прошивка (.dmp), которая\n"
           "                 тогда же загружается\n"
           "  -h, --help     показать эту справку и выйти\n"
           "  -v, --version  показать версию и выйти\n"
           "\n"
           "Программы без окон проверяет ravx-run (man ravx-run).\n";
}

std::string StartVersion() { return std::string("ravx ") + RAVX_VERSION + "\n"; }

}  // namespace ravx
