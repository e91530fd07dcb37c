#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>
#include <vector>

#include "machine/Codepage.h"

namespace ravx {
namespace {

constexpr int kFirstUpperByte = 0x80;
constexpr int kLastByte = 0xFF;
constexpr unsigned char kUndefined1251Byte = 0x98;

// The system's converter is the reference for what each byte means.
std::optional<std::string> SystemToUtf8(const char* codePage, unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    return std::string(out, sizeof out - outLeft);
}

TEST(Codepage, Cp1251UpperHalfMatchesSystemConverter)
{
    for (int b = kFirstUpperByte; b <= kLastByte; ++b) {
        SCOPED_TRACE(b);
        const auto byte = static_cast<unsigned char>(b);
        const std::string raw(1, static_cast<char>(byte));
        std::optional<std::string> expected = SystemToUtf8("CP1251", byte);
        if (byte == kUndefined1251Byte && !expected) {
            EXPECT_EQ(Cp1251ToUtf8(raw), "?");
            continue;
        }
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(Cp1251ToUtf8(raw), *expected);
        EXPECT_EQ(Utf8ToCp1251(*expected), raw);
    }
}

TEST(Codepage, Cp866UpperHalfMatchesSystemConverter)
{
    for (int b = kFirstUpperByte; b <= kLastByte; ++b) {
        SCOPED_TRACE(b);
        const auto byte = static_cast<unsigned char>(b);
        std::optional<std::string> expected = SystemToUtf8("CP866", byte);
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(Utf8ToCp866(*expected), std::string(1, static_cast<char>(byte)));
    }
}

TEST(Codepage, AsciiPassesUnchanged)
{
    std::string ascii;
    for (int b = 0; b < kFirstUpperByte; ++b)
        ascii += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(ascii), ascii);
    EXPECT_EQ(Utf8ToCp866(ascii), ascii);
    EXPECT_EQ(Cp1251ToUtf8(ascii), ascii);
}

TEST(Codepage, Cp1251TextRoundTrips)
{
    std::string every;
    for (int b = 0; b <= kLastByte; ++b) {
        if (b != kUndefined1251Byte)
            every += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(every)), every);

    const std::string mixed = "MOV AX, 5 ; загрузка Ёё №1";
    EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(mixed)), mixed);
}

TEST(Codepage, CyrillicInBothPages)
{
    EXPECT_EQ(Utf8ToCp1251("АЯая"), "\xC0\xDF\xE0\xFF");
    EXPECT_EQ(Utf8ToCp866("АЯая"), "\x80\x9F\xA0\xEF");
}

struct BadInput {
    const char* name;
    std::string utf8;
    std::string cp1251;
    std::string cp866;
};

class CodepageBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(CodepageBadInput, BecomesQuestionMarks)
{
    const BadInput& c = GetParam();
    EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251);
    EXPECT_EQ(Utf8ToCp866(c.utf8), c.cp866);
}

INSTANTIATE_TEST_SUITE_P(Cases, CodepageBadInput,
                         ::testing::Values(BadInput{"NotInEitherPage", "aΩb", "a?b", "a?b"},
                                           BadInput{"EuroOnlyIn1251", "€", "\x88", "?"},
                                           BadInput{"BoxOnlyIn866", "╬", "?", "\xCE"},
                                           BadInput{"FourByteCharacter", "x\xF0\x9F\x98\x80y", "x?y", "x?y"},
                                           BadInput{"LoneContinuation",
                                                    "\x80"
                                                    "a",
                                                    "?a", "?a"},
                                           BadInput{"TruncatedAtEnd", "a\xD0", "a?", "a?"},
                                           BadInput{"TruncatedBeforeAscii",
                                                    "\xD0"
                                                    "A",
                                                    "?A", "?A"},
                                           BadInput{"OverlongSlash", "\xC0\xAF", "??", "??"},
                                           BadInput{"OverlongThreeByte", "\xE0\x80\x80", "???", "???"},
                                           BadInput{"Surrogate", "\xED\xA0\x80", "???", "???"},
                                           BadInput{"BeyondUnicode", "\xF4\x90\x80\x80", "????", "????"},
                                           BadInput{"InvalidLead", "\xFF\xFE", "??", "??"},
                                           BadInput{"BadByteThenValid", "\xD0\xD0\xB0", "?\xE0", "?\xA0"}),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(Codepage, Utf8IsToldFromSingleByteText)
{
    const std::string utf8Comment = "mov al,5 ; загрузка";
    EXPECT_TRUE(LooksLikeUtf8(utf8Comment));
    EXPECT_TRUE(LooksLikeUtf8("\xEF\xBB\xBF"));  // the byte-order mark alone is a sequence
    EXPECT_FALSE(LooksLikeUtf8(Utf8ToCp1251(utf8Comment)));
    EXPECT_FALSE(LooksLikeUtf8(Utf8ToCp1251("Ёжик в тумане ждёт №5")));
    EXPECT_FALSE(LooksLikeUtf8("mov al,5"));            // plain ASCII is any page's text
    EXPECT_FALSE(LooksLikeUtf8(utf8Comment + "\xE0"));  // one stray byte and it is not UTF-8
}

}  // namespace
}  // namespace ravx
