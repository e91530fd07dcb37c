// Number readers and number text helpers.
#include <gtest/gtest.h>

#include "machine/_Asm.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {

struct NumberCase {
    const char* text;
    uint32_t max;
    uint16_t value;
    uint8_t code;
};

TEST(NumberReader, ReadsEveryBaseWithItsChecks)
{
    const NumberCase cases[] = {
        {"100H", 255, 0x100, 1},  // above the byte maximum
        {"100H", 65535, 0x100, 0},
        {"12345H", 65535, 0x2345, 0},  // more than four digits keep the last four
        {"FFH", 255, 255, 0},          // may begin with a letter
        {"0AH", 255, 10, 0},
        {"101B", 255, 5, 0},
        {"17O", 255, 15, 0},
        {"-1", 255, 0xFFFF, 0},  // negative values are taken modulo 65536, whatever the maximum
        {"+7", 255, 7, 0},
        {"255", 255, 255, 0},
        {"256", 255, 256, 1},
        {"65535", 65535, 65535, 0},
        {"65536", 65535, 0, 1},
        {"99999999999999999999", 65535, 0, 1},  // huge decimals are "too big", not malformed
        {"098O", 65535, 0, 2},                  // digit not allowed in octal
        {"12B", 255, 0, 2},
        {"1G", 255, 0, 2},
        {"0XFF", 65535, 0, 2},  // no C-style prefixes
        {"", 255, 0, 2},
        {"-", 255, 0, 2},
        {"H", 255, 0, 2},  // a suffix without digits
        {"1.5", 255, 0, 2},
        {"11111111111111111B", 65535, 0xFFFF, 0},  // 17 binary digits keep the last 16
    };
    for (const auto& c : cases) {
        const NumberResult r = ReadNumber(c.text, c.max);
        EXPECT_EQ(r.code, c.code) << c.text;
        if (c.code == 0) {
            EXPECT_EQ(r.value, c.value) << c.text;
        }
    }
}

TEST(NumberReader, OctalOverflowCodeIsTheCallers)
{
    EXPECT_EQ(ReadOctal("400", 255, 14).code, 14);
    EXPECT_EQ(ReadOctal("377", 255, 14).code, 0);
    EXPECT_EQ(ReadOctal("200000", 65535, 18).code, 0);  // 6 digits: 8^5 * 2 wraps to 0
    EXPECT_EQ(ReadOctal("8", 255, 14).code, 2);
    EXPECT_EQ(ReadHex("1f3", 499).value, 0x1F3);  // callers outside statements may pass lower case
    EXPECT_EQ(ReadHex("1F4", 499).code, 1);
}

TEST(NumberText, Helpers)
{
    EXPECT_EQ(hex2(0x0A).view(), "0A");
    EXPECT_EQ(hex2(0x1FF).view(), "FF");
    EXPECT_EQ(hex4(2046).view(), "07FE");
    EXPECT_EQ(hex4(3069).view(), "0BFD");
    EXPECT_EQ(oct3(255).view(), "377");
    EXPECT_EQ(oct3(5).view(), "005");
    EXPECT_EQ(bin8(5).view(), "00000101");
    EXPECT_EQ(binN(31, 5).view(), "11111");
    EXPECT_EQ(binN(0x1D, 3).view(), "101");  // the low bits only
    EXPECT_EQ(bin4(0x1E).view(), "1110");
    EXPECT_EQ(oct3(0x1FF).view(), "377");
    EXPECT_EQ(dec(0).view(), "0");
    EXPECT_EQ(dec(65535).view(), "65535");
    EXPECT_EQ(octal(7).view(), "07");
    EXPECT_EQ(octal(63).view(), "77");
    EXPECT_EQ(octal(64).view(), "100");
    EXPECT_EQ(octal(65535).view(), "177777");
    EXPECT_EQ(octalPadded(255, 4).view(), "377");
    EXPECT_EQ(octalPadded(5, 4).view(), "005");
    EXPECT_EQ(octalPadded(5, 1).view(), "000005");
}

TEST(NumberText, WordsJoinAndReplaceALabelWhole)
{
    EXPECT_EQ((hex2(0x0A) + TextWord(": ") + oct3(8)).view(), "0A: 010");
    EXPECT_EQ((hex4(0x1234) + hex4(0x5678) + hex2(0x9A)).view(), "12345678");  // cut at eight
    Label l = "Загрузка CW0";
    l = bin4(5);
    EXPECT_EQ(l.view(), "0101");
    EXPECT_EQ(l, Label("0101"));
    l.append("-3");
    EXPECT_EQ(l.view(), "0101-3");
}

}  // namespace
}  // namespace ravx
