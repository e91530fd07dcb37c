// Any bytes as a program file: reading must not fail other than by FileError,
// what it loads must save and load back to itself, and bytes the teacher's
// check takes for a whole program must read without an error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "mainwindow/FileError.h"
#include "mainwindow/ProgramFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const bool whole = ravx::ProgramFileProblem(bytes).empty();
    std::istringstream in(bytes);
    ravx::Program loaded;
    ravx::ProgramFileHeader header;
    try {
        header = ravx::ReadProgramFile(in, loaded);
    } catch (const ravx::FileError&) {
        if (whole)
            std::abort();
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
