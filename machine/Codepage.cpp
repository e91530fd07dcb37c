#include "machine/Codepage.h"

#include <array>
#include <cstdint>

namespace ravx {

namespace {

constexpr int kUpperHalf = 0x80;
constexpr int kUpperHalfSize = 128;
constexpr char32_t kUndefined = 0;  // a byte the code page leaves unassigned
constexpr char kReplacement = '?';

using UpperHalf = std::array<char32_t, kUpperHalfSize>;

// Bytes 0x80..0xFF of Windows-1251.
constexpr UpperHalf kCp1251 = {
    0x0402,     0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC,     0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452,     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    kUndefined, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0,     0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401,     0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0,     0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451,     0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410,     0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418,     0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420,     0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428,     0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430,     0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438,     0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440,     0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448,     0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// Bytes 0x80..0xFF of code page 866.
constexpr UpperHalf kCp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // F8
};

// ---- UTF-8 -------------------------------------------------------------

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr uint8_t kContinuationMask = 0xC0;
constexpr uint8_t kContinuationTag = 0x80;
constexpr uint8_t kContinuationBits = 0x3F;
constexpr int kContinuationShift = 6;

struct SequenceForm {
    uint8_t leadMask;  // bits that must match leadTag
    uint8_t leadTag;
    uint8_t payloadMask;  // value bits in the lead byte
    int length;
    char32_t minimum;  // smaller values are overlong encodings
};

constexpr std::array<SequenceForm, 3> kMultiByteForms = {{
    {0xE0, 0xC0, 0x1F, 2, 0x80},
    {0xF0, 0xE0, 0x0F, 3, 0x800},
    {0xF8, 0xF0, 0x07, 4, 0x10000},
}};

// Decodes one character at `pos` and advances past it. A byte that does not
// start a well-formed sequence gives kInvalid and is passed alone, so the
// bytes after it are looked at afresh.
char32_t DecodeNext(std::string_view s, size_t& pos)
{
    auto lead = static_cast<uint8_t>(s[pos]);
    if (lead < kUpperHalf) {
        ++pos;
        return lead;
    }
    for (const auto& form : kMultiByteForms) {
        if ((lead & form.leadMask) != form.leadTag)
            continue;
        if (s.size() - pos < static_cast<size_t>(form.length))
            break;
        char32_t cp = lead & form.payloadMask;
        for (int k = 1; k < form.length; ++k) {
            auto next = static_cast<uint8_t>(s[pos + k]);
            if ((next & kContinuationMask) != kContinuationTag) {
                ++pos;
                return kInvalid;
            }
            cp = (cp << kContinuationShift) | (next & kContinuationBits);
        }
        if (cp < form.minimum || cp > kMaxCodePoint || (cp >= kSurrogateFirst && cp <= kSurrogateLast))
            break;
        pos += form.length;
        return cp;
    }
    ++pos;
    return kInvalid;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    constexpr char32_t kOneByteLimit = 0x80;
    constexpr char32_t kTwoByteLimit = 0x800;
    constexpr char32_t kThreeByteLimit = 0x10000;
    auto continuation = [](char32_t bits) { return static_cast<char>(kContinuationTag | (bits & kContinuationBits)); };
    if (cp < kOneByteLimit) {
        out += static_cast<char>(cp);
    } else if (cp < kTwoByteLimit) {
        out += static_cast<char>(kMultiByteForms[0].leadTag | (cp >> kContinuationShift));
        out += continuation(cp);
    } else if (cp < kThreeByteLimit) {
        out += static_cast<char>(kMultiByteForms[1].leadTag | (cp >> (2 * kContinuationShift)));
        out += continuation(cp >> kContinuationShift);
        out += continuation(cp);
    } else {
        out += static_cast<char>(kMultiByteForms[2].leadTag | (cp >> (3 * kContinuationShift)));
        out += continuation(cp >> (2 * kContinuationShift));
        out += continuation(cp >> kContinuationShift);
        out += continuation(cp);
    }
}

// ---- single-byte pages -------------------------------------------------

char Encode(const UpperHalf& table, char32_t cp)
{
    if (cp < static_cast<char32_t>(kUpperHalf))
        return static_cast<char>(cp);
    if (cp == kInvalid)
        return kReplacement;
    for (int i = 0; i < kUpperHalfSize; ++i) {
        if (table[i] == cp)
            return static_cast<char>(kUpperHalf + i);
    }
    return kReplacement;
}

std::string EncodeAll(const UpperHalf& table, std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size())
        out += Encode(table, DecodeNext(utf8, pos));
    return out;
}

}  // namespace

std::string Utf8ToCp1251(std::string_view utf8) { return EncodeAll(kCp1251, utf8); }

std::string Utf8ToCp866(std::string_view utf8) { return EncodeAll(kCp866, utf8); }

std::string Cp1251ToUtf8(std::string_view cp1251)
{
    std::string out;
    out.reserve(cp1251.size());
    for (char c : cp1251) {
        auto byte = static_cast<uint8_t>(c);
        if (byte < kUpperHalf) {
            out += c;
            continue;
        }
        char32_t cp = kCp1251[byte - kUpperHalf];
        if (cp == kUndefined)
            out += kReplacement;
        else
            AppendUtf8(out, cp);
    }
    return out;
}

std::u32string Utf8ToUtf32(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = DecodeNext(utf8, pos);
        out += cp == kInvalid ? static_cast<char32_t>(kReplacement) : cp;
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        const bool valid = cp <= kMaxCodePoint && (cp < kSurrogateFirst || cp > kSurrogateLast);
        AppendUtf8(out, valid ? cp : static_cast<char32_t>(kReplacement));
    }
    return out;
}

bool LooksLikeUtf8(std::string_view bytes)
{
    bool multiByte = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t start = pos;
        if (DecodeNext(bytes, pos) == kInvalid)
            return false;
        multiByte = multiByte || pos - start > 1;
    }
    return multiByte;
}

}  // namespace ravx
