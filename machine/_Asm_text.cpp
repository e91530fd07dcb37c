#include "machine/_Asm_text.h"

#include <cstring>

namespace ravx {
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
