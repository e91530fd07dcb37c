// The fill dialog's sheet and the display RAM view's texts, without windows.
#include <gtest/gtest.h>

#include "Rig.h"
#include "controller/MOZU_model.h"
#include "controller/ZGfill_model.h"

namespace ravx::test {
namespace {

int itemOf(std::string_view text)
{
    for (int k = 0; k < kFillListItems; ++k)
        if (ListItemText(k) == text)
            return k;
    return -1;
}

TEST(FillTexts, TargetsAndCaptions)
{
    struct Case {
        FillTarget target;
        int entries;
        const char* caption;
    };
    const Case cases[] = {
        {FillTarget::Zg1, 256, "Заполнение ЗГ1"}, {FillTarget::Zg2, 256, "Заполнение ЗГ2"},
        {FillTarget::Zg3, 16, "Заполнение ЗГ3"},  {FillTarget::Zg4, 16, "Заполнение ЗГ4"},
        {FillTarget::Kg, 256, "Заполнение КГ"},   {FillTarget::DataRam, 1024, "Заполнение ОЗУданных"},
    };
    Rig r;
    FillSheet sheet(r.c, r.m);
    for (const Case& c : cases) {
        sheet.Open(c.target);
        EXPECT_EQ(sheet.Entries(), c.entries) << c.caption;
        EXPECT_EQ(sheet.Caption(), c.caption);
    }
}

TEST(FillTexts, NumbersAndValues)
{
    struct Case {
        FillTarget target;
        int entry;
        uint16_t value;
        const char* octNumber;
        const char* hexNumber;
        const char* octValue;
        const char* hexValue;
    };
    const Case cases[] = {
        {FillTarget::Zg3, 0, 0, "000", "00", "000", "00"},
        {FillTarget::Zg3, 15, 0x77, "017", "0F", "167", "77"},
        {FillTarget::Zg1, 255, 0xFF, "377", "FF", "377", "FF"},
        {FillTarget::Kg, 64, 8, "100", "40", "010", "08"},
        {FillTarget::DataRam, 0, 5, "0000", "000", "000005", "0005"},
        {FillTarget::DataRam, 513, 0x1234, "1001", "201", "011064", "1234"},
        {FillTarget::DataRam, 1023, 0xFFFF, "1777", "3FF", "177777", "FFFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EntryNumberText(c.target, c.entry, false), c.octNumber);
        EXPECT_EQ(EntryNumberText(c.target, c.entry, true), c.hexNumber);
        EXPECT_EQ(ValueText(c.target, c.value, false), c.octValue);
        EXPECT_EQ(ValueText(c.target, c.value, true), c.hexValue);
        // every value text reads back as the value it shows
        EXPECT_EQ(ReadCell(c.target, c.octValue, false).value, c.value);
        EXPECT_EQ(ReadCell(c.target, c.hexValue, true).value, c.value);
    }
}

TEST(FillTexts, ListItemsAndChoices)
{
    EXPECT_EQ(ListItemText(0), "прб");
    EXPECT_EQ(ListItemText(1), "1");
    EXPECT_EQ(ListItemText(kFillListItems - 1), "@");
    struct Case {
        const char* item;
        const char* segOct;
        const char* segHex;
        const char* koiOct;
        const char* koiHex;
    };
    const Case cases[] = {
        {"A", "167", "77", "101", "41"}, {"прб", "000", "00", "40", "20"}, {"Г", "061", "31", "307", "C7"},
        {"@", "377", "FF", "100", "40"}, {".", "200", "80", "54", "2C"},
    };
    for (const Case& c : cases) {
        const int k = itemOf(c.item);
        ASSERT_GE(k, 0) << c.item;
        EXPECT_EQ(ChoiceText(k, false, false), c.segOct) << c.item;
        EXPECT_EQ(ChoiceText(k, false, true), c.segHex) << c.item;
        EXPECT_EQ(ChoiceText(k, true, false), c.koiOct) << c.item;
        EXPECT_EQ(ChoiceText(k, true, true), c.koiHex) << c.item;
    }
}

TEST(FillTexts, CellInputRules)
{
    struct Case {
        FillTarget target;
        const char* typed;
        const char* cell;
    };
    const Case cases[] = {
        {FillTarget::Zg1, "12345", "123"},
        {FillTarget::Zg1, "1g2z", "12"},
        {FillTarget::Zg1, "A-B", "AB"},
        {FillTarget::Zg1, "Ж Z9", "Z9"},
        {FillTarget::Kg, "", ""},
        {FillTarget::Zg3, "ff", "ff"},
        {FillTarget::DataRam, "1234567", "123456"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CellInput(c.target, c.typed), c.cell) << c.typed;
}

TEST(FillTexts, ReadingACell)
{
    struct Case {
        FillTarget target;
        const char* text;
        bool hex;
        uint16_t value;
        uint8_t code;
    };
    const Case cases[] = {
        {FillTarget::Zg1, "377", false, 255, 0},
        {FillTarget::Zg1, " 17 ", false, 15, 0},
        {FillTarget::Zg1, "400", false, 0, 12},
        {FillTarget::Kg, "777", false, 0, 12},
        {FillTarget::Zg1, "8", false, 0, 2},
        {FillTarget::Zg1, "", false, 0, 2},
        {FillTarget::Zg1, "1 2", false, 0, 2},
        {FillTarget::Zg4, "ff", true, 255, 0},
        {FillTarget::Zg4, "100", true, 0, 1},
        {FillTarget::Zg4, "G", true, 0, 2},
        {FillTarget::DataRam, "177777", false, 65535, 0},
        {FillTarget::DataRam, "200000", false, 0, 18},
        {FillTarget::DataRam, "777777", false, 0, 18},
        {FillTarget::DataRam, "0000017", false, 15, 0},
        {FillTarget::DataRam, "FFFF", true, 65535, 0},
        {FillTarget::DataRam, "10000", true, 0, 1},
    };
    for (const Case& c : cases) {
        const CellReading r = ReadCell(c.target, c.text, c.hex);
        EXPECT_EQ(r.code, c.code) << c.text;
        EXPECT_EQ(r.value, c.value) << c.text;
    }
}

// "Ввод" stores nothing unless every cell reads, and names the first row that does not.
TEST(FillSheet, EnterChecksEveryCellFirst)
{
    struct Case {
        FillTarget target;
        bool hex;
        int badRow;
        const char* bad;
        uint8_t code;
    };
    const Case cases[] = {
        {FillTarget::Zg1, false, 10, "400", 12},          {FillTarget::Kg, false, 255, "8", 2},
        {FillTarget::DataRam, false, 1000, "200000", 18}, {FillTarget::Zg3, true, 15, "100", 1},
        {FillTarget::DataRam, true, 1, "X", 2},
    };
    for (const Case& c : cases) {
        Rig r;
        FillSheet sheet(r.c, r.m);
        ASSERT_FALSE(sheet.SetHexValues(c.hex));
        sheet.Open(c.target);
        sheet.SetCell(0, "7");
        sheet.SetCell(c.badRow, c.bad);
        sheet.SetCell(c.badRow + (c.badRow > 1 ? -1 : 1), "12");
        const RavxState controllerBefore = r.c.State();
        const MachineState machineBefore = r.m;
        const FillFailure f = sheet.Enter();
        EXPECT_EQ(f.row, c.badRow) << c.bad;
        EXPECT_EQ(f.code, c.code) << c.bad;
        EXPECT_TRUE(r.c.State() == controllerBefore) << c.bad;
        EXPECT_TRUE(r.m == machineBefore) << c.bad;
        // a later bad cell is found only once the first one is mended
        sheet.SetCell(c.badRow, "1");
        sheet.SetCell(c.badRow == 1 ? 3 : 1, "G");
        EXPECT_EQ(sheet.Enter().row, c.badRow == 1 ? 3 : 1);
    }
}

TEST(FillSheet, StoresBytesAndWords)
{
    Rig r;
    FillSheet sheet(r.c, r.m);
    sheet.Open(FillTarget::Zg1);
    sheet.SetCell(0x41, "167");
    EXPECT_FALSE(sheet.Enter());
    EXPECT_EQ(r.c.Zg1[0x41], 0x77);

    sheet.Open(FillTarget::DataRam);
    sheet.SetCell(1023, "177777");
    sheet.SetCell(1, "400");
    EXPECT_FALSE(sheet.Enter());
    EXPECT_EQ(r.m.Ram[1023], 0xFFFF);
    EXPECT_EQ(r.m.Ram[1], 0400);
    EXPECT_EQ(r.m.Ram[1024], 0);
    // a new opening shows what is stored
    sheet.Open(FillTarget::DataRam);
    EXPECT_EQ(sheet.Cell(1023), "177777");
    ASSERT_FALSE(sheet.SetHexValues(true));
    EXPECT_EQ(sheet.Cell(1), "0100");
}

TEST(FillSheet, ClearThenEnterZeroesTheTarget)
{
    Rig r;
    r.c.Zg2.fill(0x5B);
    r.m.Ram.fill(0x1234);
    FillSheet sheet(r.c, r.m);
    sheet.Open(FillTarget::Zg2);
    EXPECT_EQ(sheet.Cell(7), "133");
    sheet.Clear();
    EXPECT_FALSE(sheet.Enter());
    for (uint8_t v : r.c.Zg2)
        EXPECT_EQ(v, 0);
    sheet.Open(FillTarget::DataRam);
    sheet.Clear();
    EXPECT_FALSE(sheet.Enter());
    for (int a = 0; a < kFillDataRamWords; ++a)
        EXPECT_EQ(r.m.Ram[a], 0) << a;
    EXPECT_EQ(r.m.Ram[kFillDataRamWords], 0x1234);  // beyond the sheet
}

TEST(FillSheet, SwitchesConvertAndPersist)
{
    Rig r;
    r.c.Zg3[2] = 0x77;
    FillSheet sheet(r.c, r.m);
    sheet.Open(FillTarget::Zg3);
    EXPECT_EQ(sheet.Cell(2), "167");
    EXPECT_FALSE(sheet.SetHexValues(true));
    EXPECT_EQ(sheet.Cell(2), "77");
    EXPECT_FALSE(sheet.SetHexValues(false));
    EXPECT_EQ(sheet.Cell(2), "167");

    // a cell that does not read in the old base stops the switch, nothing changes
    sheet.SetCell(5, "9");
    const FillFailure f = sheet.SetHexValues(true);
    EXPECT_EQ(f.row, 5);
    EXPECT_EQ(f.code, 2);
    EXPECT_FALSE(sheet.HexValues());
    EXPECT_EQ(sheet.Cell(2), "167");

    sheet.SetHexNumbers(true);
    sheet.SetKoi8(true);
    sheet.Open(FillTarget::Zg4);
    EXPECT_EQ(sheet.NumberText(15), "0F");
    sheet.Choose(3, itemOf("A"));
    EXPECT_EQ(sheet.Cell(3), "101");
    sheet.Choose(4, 0);
    EXPECT_EQ(sheet.Cell(4), "40");
}

TEST(FillSheet, GoToEntry)
{
    struct Case {
        FillTarget target;
        const char* keys;
        std::optional<int> entry;
    };
    const Case cases[] = {
        {FillTarget::Zg1, "20", 16},
        {FillTarget::Zg1, "377", 255},
        {FillTarget::Zg1, "400", std::nullopt},
        {FillTarget::Zg3, "20", std::nullopt},
        {FillTarget::Zg3, "17", 15},
        {FillTarget::Zg1, "", std::nullopt},
        {FillTarget::Zg1, "2A90", 16},
        {FillTarget::DataRam, "1777", 1023},
    };
    Rig r;
    FillSheet sheet(r.c, r.m);
    for (const Case& c : cases) {
        sheet.Open(c.target);
        sheet.BeginGoTo();
        EXPECT_TRUE(sheet.GoToActive());
        for (const char* k = c.keys; *k; ++k)
            sheet.GoToKey(*k);
        EXPECT_EQ(sheet.EndGoTo(), c.entry) << c.keys;
        EXPECT_FALSE(sheet.GoToActive());
    }
    sheet.GoToKey('1');  // no entry started
    EXPECT_EQ(sheet.EndGoTo(), std::nullopt);
}

TEST(FillSheet, SegmentEntryModeFromTheController)
{
    Rig r;
    FillSheet sheet(r.c, r.m);
    r.c.WritePort(PortRegister::Command, kModeStrobed << kCw0ModeShift);
    sheet.SetListEnabled(r.listEnabled, r.segmentUses);
    EXPECT_FALSE(sheet.ListEnabled());
    EXPECT_EQ(sheet.SegmentUses(), 3);

    sheet.Open(FillTarget::Zg1);
    sheet.SetCell(0, "6");
    EXPECT_EQ(sheet.SegmentCode(0), 6);
    sheet.SetCell(1, "9");
    EXPECT_EQ(sheet.SegmentCode(1), 0);  // does not read: an empty figure
    struct Use {
        int row;
        bool aborted;
        uint8_t code;
        int usesAfter;
        const char* cell;
    };
    const Use uses[] = {
        {0, true, 0x06, 3, "6"},  // Esc spends nothing
        {0, false, 0x06, 2, "006"}, {1, false, 0x77, 1, "167"}, {2, true, 0x77, 1, "000"},
        {2, false, 0x80, 0, "200"}, {3, false, 0x80, 0, "000"},  // the mode has ended: typing edits again
    };
    for (const Use& u : uses) {
        sheet.SegmentViewerClosed(u.row, u.aborted, u.code);
        EXPECT_EQ(sheet.SegmentUses(), u.usesAfter);
        EXPECT_EQ(sheet.Cell(u.row), u.cell);
    }
    EXPECT_TRUE(sheet.ListEnabled());

    // any other CW0 ends the mode early
    r.c.WritePort(PortRegister::Command, kModeStrobed << kCw0ModeShift);
    sheet.SetListEnabled(r.listEnabled, r.segmentUses);
    r.c.WritePort(PortRegister::Command, 0);
    sheet.SetListEnabled(r.listEnabled, r.segmentUses);
    EXPECT_TRUE(sheet.ListEnabled());
    EXPECT_FALSE(sheet.SegmentEntryActive());

    // the hidden "Скрыть" only disables the list
    sheet.SetListEnabled(false, 0);
    EXPECT_FALSE(sheet.ListEnabled());
    EXPECT_FALSE(sheet.SegmentEntryActive());
}

TEST(DisplayRamView, Texts)
{
    struct Case {
        int entry;
        uint8_t value;
        bool hex;
        const char* n;
        const char* high;
        const char* low;
        const char* byte;
    };
    const Case cases[] = {
        {5, 0x5A, true, "05", "50", "0A", "5A"},   {5, 0x5A, false, "05", "05", "12", "132"},
        {15, 0x3F, false, "0F", "03", "17", "77"}, {10, 0xFF, false, "0A", "17", "17", "377"},
        {0, 0x00, true, "00", "00", "00", "00"},   {0, 0x40, false, "00", "04", "00", "100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MozuCell(c.entry, c.value, kMozuEntry, c.hex), c.n);
        EXPECT_EQ(MozuCell(c.entry, c.value, kMozuHigh, c.hex), c.high);
        EXPECT_EQ(MozuCell(c.entry, c.value, kMozuLow, c.hex), c.low);
        EXPECT_EQ(MozuCell(c.entry, c.value, kMozuByte, c.hex), c.byte);
    }
    EXPECT_EQ(MozuHead(kMozuEntry), "N");
    EXPECT_EQ(MozuHead(kMozuHigh), "7.4");
    EXPECT_EQ(MozuHead(kMozuLow), "3.0");
    EXPECT_EQ(MozuHead(kMozuByte), "7.0");
}

}  // namespace
}  // namespace ravx::test
