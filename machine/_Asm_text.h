// Number text helpers shared by the panels, views and reports.
#pragma once

#include <array>
#include <cstdint>

#include "machine/FixedText.h"

namespace ravx {

namespace text_detail {
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint64_t hexDigit(unsigned v, int at) { return static_cast<uint64_t>(kHexDigits[v & 0xF]) << (8 * at); }
constexpr uint64_t digit(unsigned v, int at) { return static_cast<uint64_t>('0' + v) << (8 * at); }
// the four binary digits of a nibble as one word: "0101" for 5
constexpr auto kNibbleWords = [] {
    std::array<uint32_t, 16> w{};
    for (unsigned v = 0; v < 16; ++v)
        for (int i = 0; i < 4; ++i)
            w[v] |= static_cast<uint32_t>('0' + ((v >> (3 - i)) & 1)) << (8 * i);
    return w;
}();
}  // namespace text_detail

// Two upper-case hexadecimal digits of the low byte ("0A", "FF").
constexpr TextWord hex2(unsigned v)
{
    using namespace text_detail;
    return TextWord(hexDigit(v >> 4, 0) | hexDigit(v, 1), 2);
}
// Four upper-case hexadecimal digits, high byte then low byte ("07FE").
constexpr TextWord hex4(unsigned v)
{
    using namespace text_detail;
    return TextWord(hexDigit(v >> 12, 0) | hexDigit(v >> 8, 1) | hexDigit(v >> 4, 2) | hexDigit(v, 3), 4);
}
// Three octal digits of a byte, zero-padded ("377", "005").
constexpr TextWord oct3(unsigned v)
{
    using namespace text_detail;
    return TextWord(digit((v >> 6) & 3, 0) | digit((v >> 3) & 7, 1) | digit(v & 7, 2), 3);
}
// Eight binary digits, most significant first ("00000101" for 5).
constexpr TextWord bin8(unsigned v)
{
    using namespace text_detail;
    return TextWord(kNibbleWords[(v >> 4) & 0xF] | static_cast<uint64_t>(kNibbleWords[v & 0xF]) << 32, 8);
}
// n (at most 8) binary digits of the low bits, most significant first.
constexpr TextWord binN(unsigned v, int n)
{
    if (n <= 0)
        return {};
    if (n > 8)
        n = 8;
    return TextWord(bin8(v << (8 - n)).bytes(), static_cast<std::size_t>(n));
}
constexpr TextWord bin4(unsigned v) { return binN(v, 4); }
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
