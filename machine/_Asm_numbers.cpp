// Number readers. Digits accumulate in 16-bit arithmetic, so a hexadecimal
// number of more than four digits keeps its last four.
#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"

namespace ravx {
namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

NumberResult readBase(std::string_view digits, unsigned base, uint32_t max, uint8_t overflowCode)
{
    NumberResult r;
    if (digits.empty()) {
        r.code = kErrNumberFormat;  // a suffix with no digits is no number
        return r;
    }
    uint32_t v = 0;
    for (char c : digits) {
        const int d = digitValue(c);
        if (d < 0 || static_cast<unsigned>(d) >= base) {
            r.code = kErrNumberFormat;
            return r;
        }
        v = (v * base + static_cast<unsigned>(d)) & 0xFFFF;
    }
    r.value = static_cast<uint16_t>(v);
    if (v > max)
        r.code = overflowCode;
    return r;
}

}  // namespace

NumberResult ReadBinary(std::string_view digits, uint32_t max) { return readBase(digits, 2, max, kErrTooBig); }
NumberResult ReadHex(std::string_view digits, uint32_t max) { return readBase(digits, 16, max, kErrTooBig); }
NumberResult ReadOctal(std::string_view digits, uint32_t max, uint8_t overflowCode)
{
    return readBase(digits, 8, max, overflowCode);
}

NumberResult ReadDecimal(std::string_view text, uint32_t max)
{
    NumberResult r;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        r.code = kErrNumberFormat;
        return r;
    }
    uint32_t low16 = 0;    // exact value modulo 65536
    uint64_t bounded = 0;  // the value, saturated well above any maximum
    for (char c : text) {
        if (c < '0' || c > '9') {
            r.code = kErrNumberFormat;
            return r;
        }
        const unsigned d = static_cast<unsigned>(c - '0');
        low16 = (low16 * 10 + d) & 0xFFFF;
        if (bounded < (1ULL << 40))
            bounded = bounded * 10 + d;
    }
    if (negative) {
        // accepted whatever its size, taken modulo 65536
        r.value = static_cast<uint16_t>((0x10000 - low16) & 0xFFFF);
        r.negative = true;
        return r;
    }
    r.value = static_cast<uint16_t>(low16);
    if (bounded > max)
        r.code = kErrTooBig;
    return r;
}

NumberResult ReadNumber(std::string_view text, uint32_t max)
{
    if (text.empty())
        return ReadDecimal(text, max);
    const std::string_view digits = text.substr(0, text.size() - 1);
    switch (text.back()) {
    case 'B': return ReadBinary(digits, max);
    case 'H': return ReadHex(digits, max);
    case 'O': return ReadOctal(digits, max);
    default: return ReadDecimal(text, max);
    }
}

}  // namespace ravx
