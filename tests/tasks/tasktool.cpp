// Test-side helper for the reference solutions of the training tasks:
//
//   tasktool prg LISTING OUT.prg [OUT.dmp]
//
// turns a listing (see Listing.h) into the program file and, when asked, the
// firmware dump that "Сохранить программу" and "Сохранить прошивку" would write.
#include <iostream>
#include <string>

#include "machine/Host.h"
#include "mainwindow/FileCommands.h"
#include "mainwindow/FileError.h"
#include "tests/tasks/Listing.h"

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if ((argc != 4 && argc != 5) || command != "prg") {
        std::cerr << "usage: tasktool prg LISTING OUT.prg [OUT.dmp]\n";
        return 2;
    }
    ravx::NullHost host;
    ravx::Simulator sim(host);
    try {
        ravx::tasks::LoadListing(argv[2], sim);
        ravx::SaveProgram(sim, argv[3]);
        if (argc == 5)
            ravx::SaveFirmware(sim, argv[4]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    return 0;
}
