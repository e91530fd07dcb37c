// Normalisation, splitting, dispatch and the operand evaluator.
#include <gtest/gtest.h>

#include "Rig.h"

namespace ravx::test {
namespace {

TEST(Executor, EmptyAndUnknownStatements)
{
    Rig r;
    EXPECT_EQ(r.exec(""), 9);
    EXPECT_EQ(r.exec("     "), 9);
    EXPECT_EQ(r.exec("movax,5"), 10);     // the mnemonic is MOVAX,5
    EXPECT_EQ(r.exec("\tmov ax,5"), 10);  // a tab is an ordinary character
    EXPECT_EQ(r.exec("jc 5"), 0);         // any J-mnemonic reaches the conditional jump
    EXPECT_EQ(r.exec("foo"), 10);
    EXPECT_EQ(r.errors.size(), 1u);
}

TEST(Executor, NormalisesBlanksAndCase)
{
    Rig r;
    EXPECT_EQ(r.exec("   mov   ax , 1 0"), 0);
    EXPECT_EQ(r.m.AX, 10);
    EXPECT_EQ(r.exec("MoV a x,0FfH"), 0);
    EXPECT_EQ(r.m.AX, 0xFF);
    r.m.BX = 7;
    r.m.Ram[8] = 0x1234;
    EXPECT_EQ(r.exec("mov   ax , [bx + 1]"), 0);
    EXPECT_EQ(r.m.AX, 0x1234);
}

TEST(Executor, SecondOperandTakesEverythingAfterTheFirstComma)
{
    Rig r;
    EXPECT_EQ(r.exec("mov ax,1,2"), 2);
}

TEST(Executor, StatementIsCutTo255Characters)
{
    Rig r;
    // 255 characters end inside the blanks, so the trailing garbage is never seen
    std::string s = "mov ax,5" + std::string(300, ' ') + "xyz";
    EXPECT_EQ(r.exec(s), 0);
    EXPECT_EQ(r.m.AX, 5);
    // stray UTF-8 continuation bytes still count, four bytes at most a character
    s = "nop " + std::string(4000, '\x80');
    EXPECT_EQ(r.exec(s), 0);
    s = "mov ax,1" + std::string(247, ' ') + "2";  // the 256th character is cut off
    EXPECT_EQ(r.exec(s), 0);
    EXPECT_EQ(r.m.AX, 1);
}

TEST(Executor, OneErrorPerStatementAndFreshCodeEachTime)
{
    Rig r;
    EXPECT_EQ(r.exec("mov al,0FFFh"), 1);
    EXPECT_EQ(r.errors, std::vector<uint8_t>{1});
    EXPECT_EQ(r.m.ErrorCounter, 1);
    EXPECT_EQ(r.exec("add [bx+ax],[si]"), 3);  // the destination fails first; nothing more is reported
    EXPECT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.exec("cli"), 0);  // a correct statement after a failed one ends with code 0
}

struct BracketCase {
    const char* operand;
    uint8_t code;
    uint16_t address;  // when code is 0
};

TEST(Evaluator, BracketForms)
{
    Rig r;
    r.m.BX = 100;
    r.m.SI = 10;
    r.m.DI = 20;
    r.m.AX = 30;
    r.m.DX = 40;
    r.m.Ram[100] = 200;
    for (int a = 0; a < kRamCells; ++a)
        if (a != 100)
            r.m.Ram[a] = static_cast<uint16_t>(a ^ 0x5555);
    const BracketCase cases[] = {
        {"[BX+1]", 0, 101}, {"[DI+SI]", 0, 30},   {"[5+BX]", 0, 105}, {"[SI-2]", 0, 8},    {"[AX]", 0, 30},
        {"[DX]", 0, 40},    {"[21H]", 0, 33},     {"[AL]", 0, 30},    {"[[BX]]", 0, 200},  {"[BX+SI]", 0, 110},
        {"[DI+AX]", 0, 50}, {"[BX+1FH]", 0, 131}, {"[AX+1]", 3, 0},   {"[BX+AX]", 3, 0},   {"[1-BX]", 3, 0},
        {"[BX+90]", 3, 0},  {"[BX+BX]", 3, 0},    {"[3070]", 5, 0},   {"[BX+3000]", 5, 0}, {"[SI+Q]", 2, 0},
        {"[BX+Q]", 3, 0},   {"[BX", 2, 0},        {"[]", 2, 0},       {"[SI-1-1]", 3, 0},  // every "-" switches sides:
                                                                                           // the first term reads SI1
    };
    for (const auto& c : cases) {
        r.errors.clear();
        const Operand v = r.sim.interp.Evaluate(c.operand, 0xFFFF);
        EXPECT_EQ(r.m.ErrorCode, c.code) << c.operand;
        if (c.code == 0) {
            EXPECT_TRUE(v.memory && !v.immediate && !v.word) << c.operand;
            EXPECT_EQ(r.m.LastMemAddress, c.address) << c.operand;
            EXPECT_EQ(v.value, r.m.Ram[c.address]) << c.operand;
        }
    }
}

TEST(Evaluator, AttributesOfRegistersAndNumbers)
{
    Rig r;
    r.m.AX = 0x1234;
    Operand v = r.sim.interp.Evaluate("AH", 0xFFFF);
    EXPECT_EQ(v.value, 0x12);
    EXPECT_FALSE(v.word || v.memory || v.immediate);
    v = r.sim.interp.Evaluate("AF", 0xFFFF);
    EXPECT_EQ(v.value, 64);  // after reset only IF is set
    EXPECT_TRUE(v.word);
    v = r.sim.interp.Evaluate("256", 0xFFFF);
    EXPECT_TRUE(v.immediate && v.word);
    v = r.sim.interp.Evaluate("255", 0xFFFF);
    EXPECT_TRUE(v.immediate && !v.word);
    v = r.sim.interp.Evaluate("-1", 0xFFFF);
    EXPECT_TRUE(v.immediate && !v.word);  // negatives never count as words
    r.sim.interp.Evaluate("AX1", 0xFFFF);
    EXPECT_EQ(r.m.ErrorCode, 2);
}

}  // namespace
}  // namespace ravx::test
