// Data and arithmetic instructions: a table of statements with the state
// before and after.
#include <gtest/gtest.h>

#include "Rig.h"

namespace ravx::test {
namespace {

constexpr int kAny = -1;

struct DataCase {
    const char* stmt;
    uint16_t ax, bx;  // before
    uint8_t code;
    int axAfter;  // kAny: not checked
    int zf, sf, pf;
};

void runCases(const std::vector<DataCase>& cases)
{
    for (const auto& c : cases) {
        Rig r;
        r.m.AX = c.ax;
        r.m.BX = c.bx;
        // distinctive flags so that "unchanged" can be told from "cleared"
        r.m.ZF = r.m.SF = r.m.PF = true;
        r.m.RefreshFlags();
        EXPECT_EQ(r.exec(c.stmt), c.code) << c.stmt;
        if (c.axAfter != kAny) {
            EXPECT_EQ(r.m.AX, c.axAfter) << c.stmt;
        }
        if (c.zf != kAny) {
            EXPECT_EQ(r.m.ZF, c.zf == 1) << c.stmt << " ZF";
        }
        if (c.sf != kAny) {
            EXPECT_EQ(r.m.SF, c.sf == 1) << c.stmt << " SF";
        }
        if (c.pf != kAny) {
            EXPECT_EQ(r.m.PF, c.pf == 1) << c.stmt << " PF";
        }
        EXPECT_TRUE(r.m.IF) << c.stmt;
        EXPECT_EQ(r.m.AF, ((r.m.ZF ? 2 : 0) | (r.m.SF ? 4 : 0) | (r.m.PF ? 16 : 0) | 64)) << c.stmt;
    }
}

TEST(Mov, Registers)
{
    runCases({
        {"mov ax,bl", 0xFFFF, 0x1234, 0, 0x0034, 0, 0, 0},  // zero-extended, flags cleared
        {"mov al,300", 0x1111, 0, 1, 0x1111, 1, 1, 1},
        {"mov al,0ffh", 0x1100, 0, 0, 0x11FF, 0, 0, 0},
        {"mov al,-1", 0x1100, 0, 0, 0x11FF, 0, 0, 0},
        {"mov ah,bl", 0x1111, 0x0022, 0, 0x2211, 0, 0, 0},
        {"mov al,di", 0x1111, 0, 8, 0x1111, 1, 1, 1},
        {"mov al,af", 0x1111, 0, 8, 0x1111, 1, 1, 1},
        {"mov ah,bx", 0x1111, 0x2222, 0, 0x1111, 1, 1, 1},  // high byte from a word: no effect, no message
        {"mov 21h,al", 0, 0, 19, kAny, 1, 1, 1},
        {"mov af,1", 0, 0, 19, kAny, 1, 1, 1},
        {"mov xx,1", 0, 0, 19, kAny, 1, 1, 1},
        {"mov ax,xx", 0, 0, 2, 0, 1, 1, 1},
        {"mov ax,af", 0, 0, 0, 64 + 2 + 4 + 16, 0, 0, 0},
    });
}

TEST(Mov, MemoryChecksInOrder)
{
    Rig r;
    r.m.BX = 2046;
    EXPECT_EQ(r.exec("mov [bx],ax"), 0);
    r.m.BX = 2047;
    EXPECT_EQ(r.exec("mov [bx],ax"), 6);
    r.m.BX = 3070;
    EXPECT_EQ(r.exec("mov [bx],ax"), 5);
    // destination address, source, bound 3069, bound 2046, memory to memory
    r.m.BX = 3000;
    r.m.SI = 10;
    EXPECT_EQ(r.exec("mov [bx],[si]"), 6);
    r.m.BX = 10;
    EXPECT_EQ(r.exec("mov [bx],[si]"), 4);
    r.m.SI = 4000;
    EXPECT_EQ(r.exec("mov [bx],[si]"), 5);  // the source read fails first
    EXPECT_EQ(r.exec("mov [ax+1],al"), 3);
    r.m.BX = 3069;  // the destination cell is not read: no error 5 from it
    EXPECT_EQ(r.exec("mov [bx],5"), 6);
    r.m.BX = 7;
    r.m.AX = 0xABCD;
    EXPECT_EQ(r.exec("mov [bx+1],ax"), 0);
    EXPECT_EQ(r.m.Ram[8], 0xABCD);
    EXPECT_EQ(r.exec("mov [bx-1],al"), 0);
    EXPECT_EQ(r.m.Ram[6], 0xCD);
    EXPECT_EQ(r.exec("mov al,[bx+1]"), 0);
    EXPECT_EQ(r.m.AX, 0xABCD);
    r.m.SI = 1;
    EXPECT_EQ(r.exec("mov al,[bx+si]"), 0);  // a memory source has no word attribute
    EXPECT_EQ(r.exec("mov al,[1+bx]"), 0);
}

TEST(AddSub, Registers)
{
    runCases({
        {"add al,1", 0x1234, 0, 0, 0x1235, 0, 0, 0},
        {"add ah,1", 0x1234, 0, 0, 0x1334, 0, 0, 0},
        {"inc al", 0x00FF, 0, 0, 0x0000, 0, 1, 1},  // flags from the full result 0100
        {"dec al", 0x0000, 0, 0, 0x00FF, 0, 1, 0},  // FFFF: SF by the byte rule
        {"dec ax", 0x0000, 0, 0, 0xFFFF, 0, 1, 0},
        {"inc ax", 0xFFFF, 0, 0, 0x0000, 1, 0, 1},
        {"add ax,7fffh", 0x0001, 0, 0, 0x8000, 0, 1, 1},
        {"sub ax,bx", 5, 7, 0, 0xFFFE, 0, 1, 1},
        {"add ax,bl", 1, 1, 8, 1, 1, 1, 1},  // a byte register into a word
        {"add al,bx", 1, 1, 8, 1, 1, 1, 1},
        {"add al,300", 1, 1, 8, 1, 1, 1, 1},
        {"add ax,300", 1, 1, 0, 301, 0, 0, 0},
        {"add 5,al", 0, 0, 11, kAny, 1, 1, 1},
        {"add af,1", 0, 0, 11, kAny, 1, 1, 1},
        {"inc", 0, 0, 2, kAny, 1, 1, 1},
    });
}

TEST(AddSub, MemoryStoresBytes)
{
    Rig r;
    r.m.BX = 10;
    r.m.Ram[10] = 0x1234;
    r.m.Ram[11] = 0x7777;
    EXPECT_EQ(r.exec("inc [bx]"), 0);
    EXPECT_EQ(r.m.Ram[10], 0x35);  // the low byte of 1235 replaces the cell
    EXPECT_EQ(r.m.Ram[11], 0x7777);
    r.m.AX = 0x0100;
    EXPECT_EQ(r.exec("add [bx],ax"), 0);  // word source: two cells
    EXPECT_EQ(r.m.Ram[10], 0x35);
    EXPECT_EQ(r.m.Ram[11], 0x01);
    r.m.SI = 11;
    EXPECT_EQ(r.exec("add [bx],[si]"), 4);
    r.m.BX = 2046;
    EXPECT_EQ(r.exec("add [bx],ax"), 0);  // only the first cell is checked
    EXPECT_EQ(r.m.Ram[2047], 0x01);
    r.m.BX = 2047;
    EXPECT_EQ(r.exec("inc [bx]"), 6);
    r.m.BX = 3070;
    EXPECT_EQ(r.exec("inc [bx]"), 5);
}

TEST(CmpTest, Flags)
{
    runCases({
        {"cmp al,bx", 5, 7, 0, 5, 0, 1, 1},
        {"cmp ax,5", 5, 0, 0, 5, 1, 0, 1},
        {"cmp ax,4", 5, 0, 0, 5, 0, 0, 0},
        {"cmp ax,bx", 0, 0xFFFF, 0, 0, 0, 1, 0},   // unsigned: 0 is below FFFF
        {"test al,0", 0x0F, 0, 0, 0x0F, 1, 0, 1},  // PF keeps its value
        {"test ax,8000h", 0x8000, 0, 0, kAny, 0, 1, 1},
        {"test al", 0, 0, 20, kAny, 1, 1, 1},
        {"test ,al", 0, 0, 20, kAny, 1, 1, 1},
    });
}

TEST(Logic, Table)
{
    runCases({
        {"and al,0fh", 0x003C, 0, 0, 0x000C, 0, 0, 1},
        {"xor ax,ax", 0x1234, 0, 0, 0, 1, 0, 1},
        {"or ax,8001h", 0, 0, 0, 0x8001, 0, 1, 0},
        {"not al", 0x000F, 0, 0, 0x00F0, 0, 1, 1},  // flags from FFF0
        {"not ax", 0x000F, 0, 0, 0xFFF0, 0, 1, 1},
        {"shl al,1", 0x0080, 0, 0, 0x0000, 0, 0, 1},  // flags from 0100
        {"shl ax,16", 0x1234, 0, 0, 0, 1, 0, 1},
        {"shl ax,33", 0x1234, 0, 0, 0x2468, 0, 0, 1},  // counts are taken modulo 32
        {"shr ax,4", 0x1234, 0, 0, 0x0123, 0, 0, 0},
        {"rol al,1", 0x0081, 0, 0, 0x0003, 0, 0, 0},
        {"ror al,1", 0x0001, 0, 0, 0x0080, 0, 0, 1},
        {"rol al,8", 0x00A5, 0, 0, 0x00A5, 0, 0, 0},
        {"rol ax,4", 0x1234, 0, 0, 0x2341, 0, 0, 0},   // word registers rotate over 16 bits
        {"ror ah,4", 0x1200, 0, 0, 0x2100, 0, 0, 0},   // high bytes rotate within the byte
        {"shl al,cl", 0x0001, 0, 0, 0x0001, 1, 1, 1},  // the count must be a number: nothing happens
        {"and [bx],1", 0x0001, 0, 0, 0x0001, 1, 1, 1},
        {"and 5,1", 0x0001, 0, 0, 0x0001, 1, 1, 1},
        {"and al,100h", 0x00FF, 0, 0, 0x00FF, 1, 0, 1},  // flags but no store for a word source
        {"and al,bx", 0x00FF, 0x0100, 0, 0x00FF, 1, 0, 1},
        {"not al,bx", 0x0000, 0, 0, 0x00FF, 0, 1, 0},  // NOT has no source and always stores
        {"and al,xx", 0x0001, 0, 2, 0x0001, 1, 1, 1},
    });
    Rig r;
    r.m.DI = 0xFF00;
    EXPECT_EQ(r.exec("and di,0"), 0);  // DI gets the flags but no store
    EXPECT_EQ(r.m.DI, 0xFF00);
    EXPECT_TRUE(r.m.ZF);
}

TEST(Xlat, LoadsLowByteOfTableCell)
{
    Rig r;
    r.m.BX = 100;
    r.m.AX = 0x7705;
    r.m.Ram[105] = 0xABCD;
    EXPECT_EQ(r.exec("xlat"), 0);
    EXPECT_EQ(r.m.AX, 0x77CD);
    r.m.BX = 3065;
    EXPECT_EQ(r.exec("xlat"), 5);  // 3065 + CD lies beyond the RAM
}

TEST(Mov, SuccessClearsFlagsKeepsIF)
{
    Rig r;
    r.m.IF = false;
    r.m.ZF = r.m.SF = r.m.PF = true;
    r.m.RefreshFlags();
    EXPECT_EQ(r.exec("mov bx,1"), 0);
    EXPECT_EQ(r.m.AF, 0);
}

}  // namespace
}  // namespace ravx::test
