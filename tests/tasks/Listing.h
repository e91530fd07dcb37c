// Reference solutions of the training tasks are kept as plain listings:
// UTF-8 text, one line per filled row, with the firmware tables they need.
//
//   int 0A0                       interrupt routine address (hexadecimal row)
//   port 42                       port number, decimal
//   setup ЗГ1, КГ                 the generator settings the solution is for
//   zg1 30:3F 31:06 ...           table entries, index:value in hexadecimal
//                                 (zg1, zg2, zg3, zg4, kg)
//   00C in al,2ah ; comment       row address (hexadecimal), statement, comment
// Lines starting with "#" and blank lines are skipped.
#pragma once

#include <stdexcept>
#include <string>

#include "mainwindow/Simulator.h"

namespace ravx::tasks {

class ListingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Puts the listing into the machine as opening its program and loading its
// firmware would (no reset). Returns the "setup" line's text. Throws
// ListingError naming the bad line.
std::string LoadListing(const std::string& path, Simulator& sim);

}  // namespace ravx::tasks
