// Number text helpers shared by the panels, views and reports.
#pragma once

#include <cstdint>

#include "machine/FixedText.h"

namespace ravx {

// Two upper-case hexadecimal digits of the low byte ("0A", "FF").
ShortText hex2(unsigned v);
// Four upper-case hexadecimal digits, high byte then low byte ("07FE").
ShortText hex4(unsigned v);
// Three octal digits of a byte, zero-padded ("377", "005").
ShortText oct3(unsigned v);
// n binary digits, most significant first ("00000101" for 5, n = 8).
ShortText binN(unsigned v, int n);
inline ShortText bin8(unsigned v) { return binN(v, 8); }
inline ShortText bin4(unsigned v) { return binN(v, 4); }
// Decimal text without sign or padding.
ShortText dec(unsigned v);
// The octal helper: below 64 exactly two digits; larger values the octal
// digits of v div 8 followed by v mod 8. With padding the text is padded with
// "0" to six characters and the characters from position `from` (1-based) to
// the sixth are kept, so from = 4 gives the last three digits.
ShortText octal(unsigned v);
ShortText octalPadded(unsigned v, int from);

// Whether a byte of a UTF-8 text continues a character rather than starting one.
constexpr bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace ravx
