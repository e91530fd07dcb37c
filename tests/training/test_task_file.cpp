// The task file reader: what the tasks window shows for a task and a kind.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "machine/Codepage.h"
#include "training/TaskFile.h"

namespace ravx::training {
namespace {

std::string Cells(const IndicatorRow& row)
{
    std::string text;
    for (const auto& cell : row)
        text += cell.text;
    return text;
}

std::vector<uint8_t> Marks(const IndicatorRow& row, std::size_t count)
{
    std::vector<uint8_t> marks;
    for (std::size_t i = 0; i < count; ++i)
        marks.push_back(row[i].mark);
    return marks;
}

struct LayoutCase {
    const char* text;
    const char* cells;
    std::vector<uint8_t> marks;
};

TEST(TaskIndicatorText, GroupsAreMarkedRedAndGreenInTurn)
{
    constexpr uint8_t R = kMarkRed, G = kMarkGreen, N = kMarkNone;
    const LayoutCase cases[] = {
        {"12(34)5(67)", "1234567", {N, N, R, R, N, G, G}},
        {"(1)(2)(3)", "123", {R, G, R}},
        {"12(345", "12345", {N, N, R, R, R}},  // unbalanced "(": all that follows is marked
        {"1)2(3)4", "1234", {N, N, G, N}},     // ")" without "(" only flips the mark
        {"1 2,3;4", "1234", {N, N, N, N}},     // separators take no cell
        {"", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        IndicatorRow row = LayIndicatorText(c.text);
        EXPECT_EQ(Cells(row), c.cells);
        EXPECT_EQ(Marks(row, c.marks.size()), c.marks);
        for (std::size_t i = c.marks.size(); i < kGridCells; ++i)
            EXPECT_EQ(row[i], IndicatorCell{}) << "cell " << i;
    }
}

TEST(TaskIndicatorText, OnlyTwentyFiveCharactersAreShown)
{
    IndicatorRow row = LayIndicatorText("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(Cells(row), "0123456789ABCDEFGHIJKLMNO");
}

TEST(TaskIndicatorText, CyrillicCharactersComeOutAsUtf8)
{
    IndicatorRow row = LayIndicatorText(Utf8ToCp1251("CHEГ-(П)"));
    EXPECT_EQ(row[3].text, "Г");
    EXPECT_EQ(row[5].text, "П");
    EXPECT_EQ(row[5].mark, kMarkRed);
}

TEST(TaskSecondRow, EachSeparatorEndsOneItem)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"A;;B", {"A", "", "B"}},
        {"A;B;", {"A", "B"}},
        {"1 2,3;45", {"1", "2", "3", "45"}},
        {";A", {"", "A"}},
    };
    for (const auto& [text, items] : cases) {
        SCOPED_TRACE(text);
        SecondRow row = LaySecondRow(text);
        for (std::size_t i = 0; i < kGridCells; ++i)
            EXPECT_EQ(row[i], i < items.size() ? items[i] : "") << "cell " << i;
    }
}

TEST(TaskCodes, TextsOfTheSingleBytes)
{
    // Latin C, o and c, as the window has always shown them.
    EXPECT_EQ(OutputOrderText(1), "C мл. разрядов");
    EXPECT_EQ(OutputOrderText(1).substr(0, 1), "\x43");
    EXPECT_EQ(OutputOrderText(2), "Co cт. разрядов");
    EXPECT_EQ(OutputOrderText(0).substr(0, 4), "\x43o c");
    EXPECT_EQ(RamContentsText(1), "7 сегм");
    EXPECT_EQ(RamContentsText(2), "КОИ-8");
    EXPECT_EQ(RamContentsText(3), "Код кл.");
    EXPECT_EQ(RamContentsText(4), "16сс");
    EXPECT_EQ(RamContentsText(0), std::nullopt);
    EXPECT_EQ(RamContentsText(5), std::nullopt);
    EXPECT_EQ(DisplayWidthText(1), "16");
    EXPECT_EQ(DisplayWidthText(2), "8");
    EXPECT_EQ(DisplayWidthText(3), "4");
    EXPECT_EQ(DisplayWidthText(0), std::nullopt);
    EXPECT_EQ(RowCountText(1), "1");
    EXPECT_EQ(RowCountText(2), "2");
    EXPECT_EQ(RowCountText(3), std::nullopt);
    EXPECT_EQ(FlagText(0), "Нет");
    EXPECT_EQ(FlagText(7), "Да");
}

// A whole file of empty texts, with the given bytes of one record set.
class TaskFileTest : public ::testing::Test {
protected:
    std::vector<uint8_t> file = std::vector<uint8_t>(kTaskFileSize, 0);
    TaskDisplay display;

    void PutText(int task, std::size_t offset, std::string_view utf8)
    {
        std::string bytes = Utf8ToCp1251(utf8);
        std::copy(bytes.begin(), bytes.end(), file.begin() + (task - 1) * kRecordSize + offset);
    }
    void Put(int task, std::size_t offset, std::initializer_list<uint8_t> bytes)
    {
        std::copy(bytes.begin(), bytes.end(), file.begin() + (task - 1) * kRecordSize + offset);
    }
    std::optional<std::string> Show(int task, TaskKind kind, std::string_view port = "2A")
    {
        return ShowTask(file, task, kind, port, display);
    }
};

TEST_F(TaskFileTest, TaskOneStandardReadsItsFourBytesAndFlag19)
{
    Put(1, 0, {1, 3, 2, 1});
    Put(1, 4, {2, 4, 3, 2});  // kind 1: must not be taken for kind 0
    Put(1, 19, {5, 0});
    PutText(1, kIndicatorOffset, "HELP(1)");
    PutText(1, kPpopOffset, "064");
    PutText(1, kCpuClockOffset, "2 МГц");
    PutText(1, kPkkiClockOffset, "1 МГц");
    ASSERT_EQ(Show(1, TaskKind::Standard), std::nullopt);
    EXPECT_EQ(display.IND, "C мл. разрядов");
    EXPECT_EQ(display.OZU, "Код кл.");
    EXPECT_EQ(display.KOL, "8");
    EXPECT_EQ(display.LIN, "1");
    EXPECT_EQ(display.KOD, "Да");
    EXPECT_EQ(display.MD, "*");
    EXPECT_FALSE(display.analysisShown);
    EXPECT_EQ(Cells(display.StringGrid1), "HELP1");
    EXPECT_EQ(display.PPOP, "064");
    EXPECT_EQ(display.PRC, "2 МГц");
    EXPECT_EQ(display.PKKI, "1 МГц");
    EXPECT_EQ(display.IO, "2A");
}

TEST_F(TaskFileTest, TaskTwentyTwoAnalysisReadsBytes8920To8922AndFlag8927)
{
    ASSERT_EQ(21 * kRecordSize + kAnalysisBytesOffset, 8920u);
    Put(22, 16, {1, 3, 2});
    Put(22, 23, {0});
    Put(22, 19, {1, 1, 1, 1});  // the flags of the other kinds
    Put(21, 16, {2, 1, 1});     // the record before
    PutText(22, kP1Offset, "Строка 1: столбцы 0 и 2");
    PutText(22, kP2Offset, "Вывести коды строк");
    ASSERT_EQ(Show(22, TaskKind::SensorAnalysis), std::nullopt);
    EXPECT_EQ(display.IND, "C мл. разрядов");
    EXPECT_EQ(display.KOL, "4");
    EXPECT_EQ(display.LIN, "2");
    EXPECT_EQ(display.MD, "Нет");
    EXPECT_EQ(display.KOD, "*");
    EXPECT_EQ(display.OZU, "*");
    EXPECT_TRUE(display.analysisShown);
    EXPECT_EQ(display.Edit1, "Строка 1: столбцы 0 и 2");
    EXPECT_EQ(display.Edit2, "Вывести коды строк");
}

TEST_F(TaskFileTest, SwitchingBackFromAnalysisHidesP1P2AndStarsMD)
{
    Put(4, 8, {2, 2, 1, 1});
    Put(4, 16, {1, 2, 1});
    Put(4, 19, {0, 0, 1, 0, 1});
    ASSERT_EQ(Show(4, TaskKind::SensorAnalysis), std::nullopt);
    EXPECT_EQ(display.MD, "Да");
    ASSERT_EQ(Show(4, TaskKind::GameWithPsoo), std::nullopt);
    EXPECT_FALSE(display.analysisShown);
    EXPECT_EQ(display.MD, "*");
    EXPECT_EQ(display.KOD, "Да");
    EXPECT_EQ(display.OZU, "КОИ-8");
    EXPECT_EQ(display.IND, "Co cт. разрядов");
}

TEST_F(TaskFileTest, ValuesOutsideTheirListsLeaveTheLabels)
{
    EXPECT_EQ(display.KOL, "IND");
    Put(2, 0, {1, 1, 0, 9});
    ASSERT_EQ(Show(2, TaskKind::Standard), std::nullopt);
    EXPECT_EQ(display.KOL, "IND");
    EXPECT_EQ(display.LIN, "IND");
    EXPECT_EQ(display.OZU, "7 сегм");
    Put(3, 0, {1, 7, 1, 2});
    Put(2, 0, {1, 0, 0, 0});
    ASSERT_EQ(Show(3, TaskKind::Standard), std::nullopt);
    ASSERT_EQ(Show(2, TaskKind::Standard), std::nullopt);
    EXPECT_EQ(display.KOL, "16");  // width byte 0: still what task 3 showed
    EXPECT_EQ(display.LIN, "2");
    EXPECT_EQ(display.OZU, "7 сегм");
}

TEST_F(TaskFileTest, AShortFileStopsWhereTheReadFailsAndKeepsWhatWasFilled)
{
    Put(1, 0, {1, 2, 1, 2});
    Put(1, 19, {1});
    PutText(1, kIndicatorOffset, "12(34)");
    display.PPOP = "old";
    display.IO = "old";
    std::vector<uint8_t> bytes(file.begin(), file.begin() + kIndicatorOffset + 3);  // "12(" without its zero
    ASSERT_EQ(ShowTask(bytes, 1, TaskKind::Standard, "2A", display), std::string("Read beyond end of file"));
    EXPECT_EQ(display.IND, "C мл. разрядов");
    EXPECT_EQ(display.KOL, "16");
    EXPECT_EQ(display.KOD, "Да");
    EXPECT_EQ(Cells(display.StringGrid1), "");
    EXPECT_EQ(display.PPOP, "old");
    EXPECT_EQ(display.IO, "old");

    TaskDisplay fresh;
    std::vector<uint8_t> two(file.begin(), file.begin() + 2);
    ASSERT_EQ(ShowTask(two, 1, TaskKind::Standard, "2A", fresh), std::string("Read beyond end of file"));
    EXPECT_EQ(fresh.IND, "C мл. разрядов");
    EXPECT_EQ(fresh.OZU, "КОИ-8");
    EXPECT_EQ(fresh.KOL, "IND");
}

TEST_F(TaskFileTest, ATextMayRunPastItsFieldUpToItsZero)
{
    std::string longText(120, '8');
    PutText(5, kIndicatorOffset, longText);  // runs on into П1
    ASSERT_EQ(Show(5, TaskKind::Standard), std::nullopt);
    EXPECT_EQ(Cells(display.StringGrid1), std::string(kGridCells, '8'));
    EXPECT_EQ(display.Edit1, std::string(120 - kIndicatorWidth, '8'));
}

// The task file built from resources/tasks/tasks.txt.
class ShippedTaskFile : public ::testing::Test {
protected:
    static std::vector<uint8_t> Load()
    {
        std::ifstream in(RAVX_TASK_FILE, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<uint8_t> file = Load();
    const uint8_t* Record(int task) const { return file.data() + (task - 1) * kRecordSize; }
};

TEST_F(ShippedTaskFile, HasTwentyTwoRecords) { EXPECT_EQ(file.size(), 9328u); }

TEST_F(ShippedTaskFile, EveryCodeByteIsInItsList)
{
    ASSERT_EQ(file.size(), kTaskFileSize);
    for (int task = 1; task <= kTaskCount; ++task) {
        SCOPED_TRACE("task " + std::to_string(task));
        const uint8_t* r = Record(task);
        for (int kind = 0; kind < 4; ++kind) {
            const uint8_t* b = r + kKindBytesOffset + kKindBytesSize * kind;
            EXPECT_TRUE(b[0] == 1 || b[0] == 2) << "kind " << kind;
            EXPECT_TRUE(RamContentsText(b[1])) << "kind " << kind;
            EXPECT_TRUE(DisplayWidthText(b[2])) << "kind " << kind;
            EXPECT_TRUE(RowCountText(b[3])) << "kind " << kind;
        }
        const uint8_t* a = r + kAnalysisBytesOffset;
        EXPECT_TRUE(a[0] == 1 || a[0] == 2);
        EXPECT_TRUE(DisplayWidthText(a[1]));
        EXPECT_TRUE(RowCountText(a[2]));
        for (int kind = 0; kind < kKindCount; ++kind)
            EXPECT_LE(r[kFlagsOffset + kind], 1) << "kind " << kind;
    }
}

TEST_F(ShippedTaskFile, EveryTextEndsInsideItsField)
{
    ASSERT_EQ(file.size(), kTaskFileSize);
    const std::pair<std::size_t, std::size_t> fields[] = {
        {kIndicatorOffset, kIndicatorWidth}, {kP1Offset, kPTextWidth},       {kP2Offset, kPTextWidth},
        {kSecondRowOffset, kSecondRowWidth}, {kPpopOffset, kShortTextWidth}, {kCpuClockOffset, kShortTextWidth},
        {kPkkiClockOffset, kShortTextWidth},
    };
    for (int task = 1; task <= kTaskCount; ++task) {
        for (auto [offset, width] : fields) {
            const uint8_t* begin = Record(task) + offset;
            EXPECT_NE(std::find(begin, begin + width, 0), begin + width) << "task " << task << " offset " << offset;
        }
    }
}

TEST_F(ShippedTaskFile, EveryTaskAndKindReadsWithoutError)
{
    for (int task = 1; task <= kTaskCount; ++task) {
        for (int kind = 0; kind < kKindCount; ++kind) {
            TaskDisplay d;
            EXPECT_EQ(ShowTask(file, task, static_cast<TaskKind>(kind), "2A", d), std::nullopt)
                << "task " << task << " kind " << kind;
            EXPECT_NE(d.IND, "IND");
            EXPECT_NE(d.KOL, "IND");
            EXPECT_NE(d.LIN, "IND");
            EXPECT_NE(d.OZU, "IND");
            EXPECT_NE(d.StringGrid1[0].text, "") << "task " << task;
            EXPECT_FALSE(d.PPOP.empty());
        }
    }
}

// The characters a seven-segment position can show (the character table), so
// a task never asks for what the indicator cannot display.
TEST_F(ShippedTaskFile, EveryIndicatorCharacterCanBeShown)
{
    const std::string shown = Utf8ToCp1251("17_J]l'IГПLCU0-^=3гп2od4569FPHAEb68.@");
    for (int task = 1; task <= kTaskCount; ++task) {
        for (std::size_t offset : {kIndicatorOffset, kSecondRowOffset}) {
            auto text = ReadText(file, (task - 1) * kRecordSize + offset);
            ASSERT_TRUE(text);
            for (char c : *text)
                EXPECT_TRUE(shown.find(c) != std::string::npos ||
                            std::string_view("();, ").find(c) != std::string::npos)
                    << "task " << task << ": " << Cp1251ToUtf8(std::string(1, c));
        }
    }
}

// Nothing is typed in "Стандартная": its groups are not coloured there.
TEST_F(ShippedTaskFile, GroupsAreColouredOnlyInTheKindsThatReceiveThem)
{
    for (int kind = 0; kind < kKindCount; ++kind) {
        TaskDisplay d;
        ASSERT_EQ(ShowTask(file, 3, static_cast<TaskKind>(kind), "2A", d), std::nullopt);  // (12)-(34)
        EXPECT_EQ(d.StringGrid1[0].mark, kind == 0 ? kMarkNone : kMarkRed) << "kind " << kind;
        EXPECT_EQ(d.StringGrid1[3].mark, kind == 0 ? kMarkNone : kMarkGreen) << "kind " << kind;
        EXPECT_EQ(d.StringGrid1[2].mark, kMarkNone);
    }
}

}  // namespace
}  // namespace ravx::training
