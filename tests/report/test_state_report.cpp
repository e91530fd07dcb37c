// The state report from plain records, line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "mainwindow/Report.h"
#include "tests/report/ReportLines.h"

namespace ravx {
namespace {

using reporttest::Lines;

// Texts of the report in Windows-1251, as the unconverted file holds them.
std::string W(std::string_view utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        // two-byte Cyrillic а..я, А..Я: U+0410..U+044F -> C0..FF
        const unsigned code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        out += static_cast<char>(code - 0x0410 + 0xC0);
    }
    return out;
}

class StateReportTest : public ::testing::Test {
protected:
    StateReportTest()
    {
        controller.Display16 = true;
        for (auto& cell : panel.Indicator[0])
            cell = "#";
        for (auto& cell : panel.Indicator[1])
            cell = "#";
        for (int i = 0; i < 8; ++i)
            panel.C[i] = "c" + std::to_string(i);
    }
    std::vector<std::string> Report() const
    {
        return Lines(StateReport({program, panel, controller, machine}, options));
    }

    Program program;
    FrontPanel panel;
    RavxState controller;
    MachineState machine;
    ReportOptions options;
};

TEST_F(StateReportTest, ZeroStateWithAllItemsIsTitlesAndFixedLines)
{
    const std::vector<std::string> expected = {
        W("Линейки индикаторов:"),
        "0 1 2 3 4 5 6 7 8 9 A B C D E F",
        "# # # # # # # # # # # # # # # # ",
        W(" Дамп знакогенератора 1"),
        W(" Дамп знакогенератора 2"),
        W(" Дамп знакогенератора 3"),
        W(" Дамп знакогенератора 4"),
        W(" Дамп кодогенератора"),
        W(" Дамп ОЗУ данных"),
        "",
        W(" ОЗУ индикации                  МОЗУ"),
        " 00: 000            10: 000     00: 000 RW",
        " 01: 000            11: 000     01: 000",
        " 02: 000            12: 000     02: 000",
        " 03: 000            13: 000     03: 000",
        " 04: 000            14: 000     04: 000",
        " 05: 000            15: 000     05: 000",
        " 06: 000            16: 000     06: 000",
        " 07: 000            17: 000     07: 000",
        W("Управляющие слова"),
        "CW0:c0      CW4:c4",
        "CW1:c1      CW5:c5",
        "CW2:c2      CW7:c7",
    };
    EXPECT_EQ(Report(), expected);
}

TEST_F(StateReportTest, DumpsSkipZeroLinesAndKeepTheirAddresses)
{
    controller.Zg1[9] = 255;
    controller.Zg4[15] = 1;
    controller.Kg[255] = 0200;
    machine.Ram[255] = 0x12FF;  // one byte per cell: the low eight bits
    machine.Ram[256] = 0x0100;  // low byte zero: the line is left out
    machine.Ram[511] = 7;
    machine.Ram[512] = 0x0041;
    machine.Ram[1023] = 3;
    machine.Ram[1024] = 9;  // beyond the dump
    const std::vector<std::string> lines = Report();
    // the lines that follow a title
    auto after = [&](const std::string& title, size_t count) {
        auto it = std::find(lines.begin(), lines.end(), W(title));
        if (it == lines.end() || static_cast<size_t>(lines.end() - it) <= count)
            return std::vector<std::string>{"<" + title + " missing>"};
        return std::vector<std::string>(it + 1, it + 1 + static_cast<std::ptrdiff_t>(count));
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(after(" Дамп знакогенератора 1", 1), V{"010: 000 377 000 000 000 000 000 000 "});
    EXPECT_EQ(after(" Дамп знакогенератора 2", 1), V{W(" Дамп знакогенератора 3")});
    EXPECT_EQ(after(" Дамп знакогенератора 4", 1), V{"010: 000 000 000 000 000 000 000 001 "});
    EXPECT_EQ(after(" Дамп кодогенератора", 1), V{"370: 000 000 000 000 000 000 000 200 "});
    const V expectedRam = {
        "370: 000 000 000 000 000 000 000 377 ", "",
        "770: 000 000 000 000 000 000 000 007 ", "1000:101 000 000 000 000 000 000 000 ",
        "1770:000 000 000 000 000 000 000 003 ", W(" ОЗУ индикации                  МОЗУ"),
    };
    EXPECT_EQ(after(" Дамп ОЗУ данных", 6), expectedRam);
}

TEST_F(StateReportTest, FifoPointerMarks)
{
    struct Case {
        uint8_t read, write;
        std::vector<std::string> marks;  // the end of lines 0..7 after the value
    };
    const std::vector<Case> cases = {
        {3, 3, {"", "", "", " RW", "", "", "", ""}},
        {1, 4, {"", " R", "", "", "  W", "", "", ""}},
        {7, 0, {"  W", "", "", "", "", "", "", " R"}},
        {9, 9, {"", "", "", "", "", "", "", ""}},
    };
    controller.SensorRam = {1, 2, 3, 4, 5, 6, 7, 0377};
    for (const Case& c : cases) {
        controller.FifoReadPtr = c.read;
        controller.FifoWritePtr = c.write;
        const std::vector<std::string> lines = Report();
        const auto first = std::find(lines.begin(), lines.end(), W(" ОЗУ индикации                  МОЗУ")) + 1;
        for (size_t i = 0; i < 8; ++i) {
            const std::string value = i == 7 ? "377" : "00" + std::to_string(i + 1);
            EXPECT_EQ(first[i].substr(32), "0" + std::to_string(i) + ": " + value + c.marks[i])
                << int{c.read} << "," << int{c.write} << " line " << i;
        }
    }
}

TEST_F(StateReportTest, UncheckedItemsLeaveOnlyTheFixedLines)
{
    options.ZGP = options.KGP = options.OZUP = options.OZUiP = options.MOZUP = options.CWP = false;
    controller.Zg1[0] = 1;
    machine.Ram[0] = 1;
    const std::vector<std::string> lines = Report();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[3], "");  // the display RAM and FIFO heading, empty
    for (size_t i = 4; i < 12; ++i)
        EXPECT_EQ(lines[i], " ") << i;

    options.OZUiP = true;
    controller.DisplayRam[2] = 0123;
    controller.DisplayRam[10] = 0321;
    EXPECT_EQ(Report()[3], W(" ОЗУ индикации           "));
    EXPECT_EQ(Report()[6], " 02: 123            12: 321");
    options.OZUiP = false;
    options.MOZUP = true;
    EXPECT_EQ(Report()[3], W("       МОЗУ"));
    EXPECT_EQ(Report()[4], "      00: 000 RW");
}

TEST_F(StateReportTest, CommandWordSevenInSensorMode)
{
    struct Case {
        bool sensor, endSeen;
        std::string cw7;
    };
    const std::vector<Case> cases = {
        {false, false, "c7"}, {false, true, "c7"}, {true, false, "  0"}, {true, true, "  1"}};
    for (const Case& c : cases) {
        controller.ModeSensor = c.sensor;
        controller.EndInterruptSeen = c.endSeen;
        EXPECT_EQ(Report().back(), "CW2:c2      CW7:" + c.cw7) << c.sensor << c.endSeen;
    }
}

TEST_F(StateReportTest, IndicatorRowsFollowTheGridAndAreNotConverted)
{
    controller.Display16 = false;
    panel.DGridCols = 8;
    panel.DGridRows = 2;
    panel.Indicator[0][0] = "п";
    panel.Indicator[0][1] = "";  // painted as "#"
    panel.Indicator[1][7] = "8";
    options.DosP = true;
    const std::vector<std::string> lines = Report();
    EXPECT_EQ(lines[0], "\x8B\xA8\xAD\xA5\xA9\xAA\xA8 \xA8\xAD\xA4\xA8\xAA\xA0\xE2\xAE\xE0\xAE\xA2:");
    EXPECT_EQ(lines[1], "0 1 2 3 4 5 6 7");
    EXPECT_EQ(lines[2], "\xEF # # # # # # # ");  // "п" in Windows-1251 also in DOS mode
    EXPECT_EQ(lines[3], "# # # # # # # 8 ");
    EXPECT_EQ(lines[4], " \x84\xA0\xAC\xAF \xA7\xAD\xA0\xAA\xAE\xA3\xA5\xAD\xA5\xE0\xA0\xE2\xAE\xE0\xA0 1");

    // a 16-character display on a grid of 4 columns (decoded scan): the
    // positions the grid has not are empty
    controller.Display16 = true;
    panel.DGridCols = 4;
    panel.DGridRows = 1;
    const std::vector<std::string> narrow = Report();
    EXPECT_EQ(narrow[1], "0 1 2 3 4 5 6 7");
    EXPECT_EQ(narrow[2], "\xEF # # # " + std::string(12, ' '));
}

}  // namespace
}  // namespace ravx
