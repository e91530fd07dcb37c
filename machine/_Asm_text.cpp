#include "machine/_Asm_text.h"

#include <cstring>

namespace ravx {
namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

ShortText hex2(unsigned v)
{
    const char s[2] = {kHexDigits[(v >> 4) & 0xF], kHexDigits[v & 0xF]};
    return ShortText(std::string_view(s, 2));
}

ShortText hex4(unsigned v)
{
    const char s[4] = {kHexDigits[(v >> 12) & 0xF], kHexDigits[(v >> 8) & 0xF], kHexDigits[(v >> 4) & 0xF],
                       kHexDigits[v & 0xF]};
    return ShortText(std::string_view(s, 4));
}

ShortText oct3(unsigned v)
{
    v &= 0xFF;
    const char s[3] = {char('0' + ((v >> 6) & 7)), char('0' + ((v >> 3) & 7)), char('0' + (v & 7))};
    return ShortText(std::string_view(s, 3));
}

ShortText binN(unsigned v, int n)
{
    // the panels show several of these on every step: four digits at a time
    static constexpr char kNibbles[16][4] = {
        {'0', '0', '0', '0'}, {'0', '0', '0', '1'}, {'0', '0', '1', '0'}, {'0', '0', '1', '1'},
        {'0', '1', '0', '0'}, {'0', '1', '0', '1'}, {'0', '1', '1', '0'}, {'0', '1', '1', '1'},
        {'1', '0', '0', '0'}, {'1', '0', '0', '1'}, {'1', '0', '1', '0'}, {'1', '0', '1', '1'},
        {'1', '1', '0', '0'}, {'1', '1', '0', '1'}, {'1', '1', '1', '0'}, {'1', '1', '1', '1'},
    };
    char s[16];
    if (n > 16)
        n = 16;
    if (n == 8) {
        std::memcpy(s, kNibbles[(v >> 4) & 0xF], 4);
        std::memcpy(s + 4, kNibbles[v & 0xF], 4);
    } else if (n == 4) {
        std::memcpy(s, kNibbles[v & 0xF], 4);
    } else {
        for (int i = 0; i < n; ++i)
            s[i] = (v >> (n - 1 - i)) & 1 ? '1' : '0';
    }
    return ShortText(std::string_view(s, static_cast<std::size_t>(n)));
}

ShortText dec(unsigned v)
{
    char s[12];
    int n = 0;
    do {
        s[11 - n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    return ShortText(std::string_view(s + 12 - n, static_cast<std::size_t>(n)));
}

ShortText octal(unsigned v)
{
    if (v < 64) {
        const char s[2] = {char('0' + (v >> 3)), char('0' + (v & 7))};
        return ShortText(std::string_view(s, 2));
    }
    // the digits of v div 8, then the last digit
    char s[12];
    int n = 0;
    unsigned q = v / 8;
    do {
        s[11 - n++] = char('0' + q % 8);
        q /= 8;
    } while (q != 0);
    ShortText t(std::string_view(s + 12 - n, static_cast<std::size_t>(n)));
    const char last = char('0' + v % 8);
    t.append(std::string_view(&last, 1));
    return t;
}

ShortText octalPadded(unsigned v, int from)
{
    const ShortText raw = octal(v);
    char s[24];
    std::size_t n = 0;
    for (std::size_t i = raw.size(); i < 6; ++i)
        s[n++] = '0';
    for (char c : raw.view())
        s[n++] = c;
    const std::size_t start = from > 1 ? static_cast<std::size_t>(from - 1) : 0;
    if (start >= n || start >= 6)
        return ShortText();
    const std::size_t end = n < 6 ? n : 6;
    return ShortText(std::string_view(s + start, end - start));
}

}  // namespace ravx
