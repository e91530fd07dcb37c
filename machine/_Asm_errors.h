// The catalogue of run-time errors: four lines per code, as the error window
// shows them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ravx {

constexpr uint8_t kErrFirst = 1;
constexpr uint8_t kErrLast = 21;

enum ErrorCode : uint8_t {
    kErrTooBig = 1,
    kErrNumberFormat = 2,
    kErrIndexRegister = 3,
    kErrMemToMem = 4,
    kErrRamBound = 5,
    kErrReadOnly = 6,
    kErrIoRegister = 7,
    kErrOperandTypes = 8,
    kErrNoCommand = 9,
    kErrUnknownCommand = 10,
    kErrNoDestination = 11,
    kErrFillTableValue = 12,
    kErrInterruptAddress = 13,
    kErrStrobeValue = 14,
    kErrStackOverflow = 15,
    kErrStackEmpty = 16,
    kErrProcedure = 17,
    kErrFillRamValue = 18,
    kErrUnknownDestination = 19,
    kErrMissingOperand = 20,
    kErrFifoEmpty = 21,
};

// Line 1 is the headline, lines 2 to 4 the explanation (any may be empty).
// Numbers inside the texts are composed here. An unknown code gives four
// empty lines.
std::array<std::string, 4> ErrorMessage(uint8_t code);

}  // namespace ravx
