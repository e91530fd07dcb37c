// zadbuild SOURCE OUTPUT: builds the task file "ravx.zad" from its text source.
// Any mistake in the source stops the build with a message and no output file.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "tools/zadbuild/TaskSource.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: zadbuild SOURCE.txt OUTPUT.zad\n";
        return 2;
    }
    std::ifstream source(argv[1], std::ios::binary);
    if (!source) {
        std::cerr << "zadbuild: cannot read " << argv[1] << "\n";
        return 2;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = ravx::zadbuild::BuildTaskFile(source);
    } catch (const ravx::zadbuild::SourceError& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    const std::string temporary = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::cerr << "zadbuild: cannot write " << temporary << "\n";
            return 2;
        }
    }
    // Renamed into place so that a failed build never leaves half a task file.
    if (std::rename(temporary.c_str(), argv[2]) != 0) {
        std::cerr << "zadbuild: cannot write " << argv[2] << "\n";
        return 2;
    }
    return 0;
}
