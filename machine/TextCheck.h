// The error a statement's text decides before it ever runs: an unknown
// mnemonic, a malformed number, operands of sizes that never fit, a missing
// operand and the like. The grid marks such a row as soon as it is typed;
// running it still reports the error only when the row executes.
#pragma once

#include <cstdint>
#include <string_view>

namespace ravx {

// The error code, or 0 when the text alone decides none (an empty row too:
// it fails only if it runs). The statement is executed on a few scratch
// machines of very different states, with no device on the bus: an error of
// the text's own kinds (1-4, 7, 8, 10, 11, 19, 20) seen in any of them, or
// an address error (5, 6) seen in all of them, is the text's.
uint8_t TextDecidedError(std::string_view statement);

}  // namespace ravx
