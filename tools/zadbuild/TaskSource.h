// The human-editable source of the task file (resources/tasks/tasks.txt) and
// its translation into the 424-byte records of "ravx.zad". The format is
// described at the top of the source itself.
#pragma once

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ravx::zadbuild {

// A mistake in the source: the message names the line, the task and the field.
class SourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the whole source and gives the bytes of the task file, 22 records.
std::vector<uint8_t> BuildTaskFile(std::istream& source);

}  // namespace ravx::zadbuild
