// Any bytes as a program file: reading must not fail other than by FileError,
// and what it loads must save and load back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "mainwindow/FileError.h"
#include "mainwindow/ProgramFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    ravx::Program loaded;
    ravx::ProgramFileHeader header;
    try {
        header = ravx::ReadProgramFile(in, loaded);
    } catch (const ravx::FileError&) {
        return 0;
    }

    std::ostringstream out;
    ravx::WriteProgramFile(out, loaded, header.interruptAddress, header.portBase);
    std::istringstream again(out.str());
    ravx::Program reloaded;
    if (!(ravx::ReadProgramFile(again, reloaded) == header) || !(reloaded.rows == loaded.rows))
        std::abort();
    return 0;
}
