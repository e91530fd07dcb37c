// The report's options, names and program listing, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "machine/Codepage.h"
#include "mainwindow/Report.h"
#include "tests/report/ReportLines.h"
#include "tools/ravx-run/Runner.h"

namespace ravx {
namespace {

using reporttest::Lines;

TEST(ReportOptions, MenuItemsInOrderWithTheirDefaults)
{
    const ReportOptions defaults;
    struct Expected {
        std::string caption;
        bool checked;
        bool content;
    };
    const std::vector<Expected> expected = {
        {"Текст программы", true, false},
        {"Конвертация в ДОС", false, false},
        {"UTF-8", false, false},
        {"", false, false},
        {"Отчет", true, false},
        {"", false, false},
        {"Содержимое ЗГ", true, true},
        {"Содержимое КГ", true, true},
        {"Содержимое ОЗУ данных", true, true},
        {"Содержимое ОЗУ индикации", true, true},
        {"Содержимое МОЗУ", true, true},
        {"Управляющие слова", true, true},
    };
    ASSERT_EQ(kReportOptionItems.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ReportOptionItem& item = kReportOptionItems[i];
        EXPECT_EQ(item.caption, expected[i].caption) << i;
        EXPECT_EQ(item.content, expected[i].content) << i;
        EXPECT_EQ(item.mark == nullptr, expected[i].caption.empty()) << i;  // separators
        if (item.mark) {
            EXPECT_EQ(defaults.*(item.mark), expected[i].checked) << i;
        }
    }
}

TEST(ReportOptions, FilesWrittenFollowTheTwoMainItems)
{
    struct Case {
        bool listing, report;
        std::vector<ReportFile> files;
    };
    const std::vector<Case> cases = {
        {true, true, {ReportFile::Listing, ReportFile::State}},
        {true, false, {ReportFile::Listing}},
        {false, true, {ReportFile::State}},
        {false, false, {}},
    };
    for (const Case& c : cases) {
        ReportOptions o;
        o.PrgP = c.listing;
        o.OtchC = c.report;
        o.ZGP = o.CWP = false;  // content items do not decide which files
        EXPECT_EQ(ReportFiles(o), c.files) << c.listing << c.report;
    }
    // each dialog says what it saves
    EXPECT_EQ(ReportDialogFor(ReportFile::Listing).title, "Сохранить текст программы");
    EXPECT_EQ(ReportDialogFor(ReportFile::Listing).filter, "Текст программы|*.txt");
    EXPECT_EQ(ReportDialogFor(ReportFile::Listing).defaultExtension, "txt");
    EXPECT_EQ(ReportDialogFor(ReportFile::State).title, "Сохранить отчет о состоянии");
    EXPECT_EQ(ReportDialogFor(ReportFile::State).filter, "Отчет о состоянии|*.otc");
    EXPECT_EQ(ReportDialogFor(ReportFile::State).defaultExtension, "otc");
}

// A file has one code page: checking "Конвертация в ДОС" or "UTF-8" unchecks
// the other; unchecking leaves the other as it is.
TEST(ReportOptions, DosAndUtf8ExcludeEachOther)
{
    auto index = [](std::string_view caption) {
        for (size_t i = 0; i < kReportOptionItems.size(); ++i)
            if (kReportOptionItems[i].caption == caption)
                return i;
        return kReportOptionItems.size();
    };
    const size_t dos = index("Конвертация в ДОС");
    const size_t utf8 = index("UTF-8");
    const size_t kg = index("Содержимое КГ");
    struct Case {
        bool dos, utf8;
        size_t click;
        bool dosAfter, utf8After;
        ReportCoding coding;
    };
    const std::vector<Case> cases = {
        {false, false, utf8, false, true, ReportCoding::Utf8},
        {true, false, utf8, false, true, ReportCoding::Utf8},
        {false, true, dos, true, false, ReportCoding::Dos},
        {false, true, utf8, false, false, ReportCoding::Windows},
        {true, false, dos, false, false, ReportCoding::Windows},
        {false, true, kg, false, true, ReportCoding::Utf8},
        {true, false, index(""), true, false, ReportCoding::Dos},  // a separator does nothing
    };
    for (const Case& c : cases) {
        ReportOptions o;
        o.DosP = c.dos;
        o.Utf8P = c.utf8;
        ToggleReportOption(o, c.click);
        EXPECT_EQ(o.DosP, c.dosAfter) << c.dos << c.utf8 << " click " << c.click;
        EXPECT_EQ(o.Utf8P, c.utf8After) << c.dos << c.utf8 << " click " << c.click;
        EXPECT_EQ(CodingOf(o), c.coding) << c.dos << c.utf8 << " click " << c.click;
    }
    ReportOptions both;  // set by a caller, not through the menu: UTF-8 wins
    both.DosP = both.Utf8P = true;
    EXPECT_EQ(CodingOf(both), ReportCoding::Utf8);
}

TEST(ReportOptions, SuggestedReportNamesKeepTheirOwnKind)
{
    struct Case {
        std::string last, listing, state;
    };
    const std::vector<Case> cases = {
        {"C:\\lab\\rep1.txt", "C:\\lab\\rep1.txt", "C:\\lab\\rep1.otc"},
        {"/home/lab/victim.prg", "/home/lab/victim.txt", "/home/lab/victim.otc"},  // never the program itself
        {"/home/lab/fw.dmp", "/home/lab/fw.txt", "/home/lab/fw.otc"},
        {"/home/lab.2/rep.v2.txt", "/home/lab.2/rep.txt", "/home/lab.2/rep.otc"},  // the name's first dot
        {"/home/lab/rep", "/home/lab/rep.txt", "/home/lab/rep.otc"},
        {"", "Default.txt", "Default.otc"},
        {"   ", "Default.txt", "Default.otc"},
        {"/home/lab/", "/home/lab/Default.txt", "/home/lab/Default.otc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SuggestedReportName(ReportFile::Listing, c.last), c.listing) << c.last;
        EXPECT_EQ(SuggestedReportName(ReportFile::State, c.last), c.state) << c.last;
    }
}

TEST(ReportRunnerOptions, ChangesToTheDefaults)
{
    ReportOptions o;
    ApplyReportOptionChanges("dos,no-zg,no-kg,no-ozu,no-ozui,no-mozu,no-cw", o);
    ReportOptions expected;
    expected.DosP = true;
    expected.ZGP = expected.KGP = expected.OZUP = expected.OZUiP = expected.MOZUP = expected.CWP = false;
    EXPECT_EQ(o, expected);

    ReportOptions untouched;
    ApplyReportOptionChanges("", untouched);
    EXPECT_EQ(untouched, ReportOptions{});

    ReportOptions utf8;
    ApplyReportOptionChanges("utf8,no-cw", utf8);
    EXPECT_TRUE(utf8.Utf8P);
    EXPECT_FALSE(utf8.DosP);
    EXPECT_FALSE(utf8.CWP);

    for (const char* bad :
         {"DOS", "no-zg,", ",dos", "no-prg", "dos no-kg", "no-kg,,no-cw", "UTF-8", "dos,utf8", "utf8,no-kg,dos"}) {
        ReportOptions any;
        EXPECT_THROW(ApplyReportOptionChanges(bad, any), RunnerError) << bad;
    }
    const RunOptions parsed =
        ParseRunOptions({"--listing", "l.txt", "--state-report", "s.otc", "--save-program", "p.prg", "--save-firmware",
                         "f.dmp", "--report-options", "no-cw", "x.prg"});
    EXPECT_EQ(parsed.listing, "l.txt");
    EXPECT_EQ(parsed.stateReport, "s.otc");
    EXPECT_EQ(parsed.saveProgram, "p.prg");
    EXPECT_EQ(parsed.saveFirmware, "f.dmp");
    EXPECT_FALSE(parsed.report.CWP);
    EXPECT_TRUE(parsed.report.ZGP);
}

// ---- the program listing --------------------------------------------------

const std::string kTop =
    "\xDA\xC4\xC4\xC4\xC4\xC4\xC2" + std::string(28, '\xC4') + "\xC2" + std::string(34, '\xC4') + "\xBF";
const std::string kRule =
    "\xC3\xC4\xC4\xC4\xC4\xC4\xC5" + std::string(28, '\xC4') + "\xC5" + std::string(34, '\xC4') + "\xB4";

std::string EmptyRowLine(const std::string& address)
{
    return "\xB3 " + address + " \xB3" + std::string(28, ' ') + "\xB3" + std::string(34, ' ') + "\xB3 ";
}

TEST(ProgramListing, EmptyProgramFramesAndHeadingInBothModes)
{
    const Program empty;
    struct Case {
        bool dos;
        std::string heading;
    };
    // "№", "Программа" and "Комментарии" in Windows-1251, then in 866.
    const std::vector<Case> cases = {
        {false,
         "\xB3  \xB9  \xB3       \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0            \xB3      "
         "\xCA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE8                 \xB3"},
        {true,
         "\xB3  \xFC  \xB3       \x8F\xE0\xAE\xA3\xE0\xA0\xAC\xAC\xA0            \xB3      "
         "\x8A\xAE\xAC\xAC\xA5\xAD\xE2\xA0\xE0\xA8\xA8                 \xB3"},
    };
    for (const Case& c : cases) {
        ReportOptions o;
        o.DosP = c.dos;
        const std::vector<std::string> lines = Lines(ProgramListing(empty, o));
        ASSERT_EQ(lines.size(), 502u) << c.dos;
        EXPECT_EQ(lines[0], kTop);
        EXPECT_EQ(lines[0].size(), 71u);
        EXPECT_EQ(lines[1], c.heading) << c.dos;
        EXPECT_EQ(lines[1].size(), 71u);
        EXPECT_EQ(lines[2], kRule);
        EXPECT_EQ(lines[3], EmptyRowLine("000"));
        EXPECT_EQ(lines[3 + 0x1A], EmptyRowLine("01A"));
        EXPECT_EQ(lines.back(), EmptyRowLine("1F2"));
    }
}

TEST(ProgramListing, TextsAreCutConvertedAndMarksLeftOut)
{
    Program p;
    p.rows[0] = {"mov al,12h ; ровно тридцать зн", "комментарий", true};  // 30 characters
    p.rows[1] = {"mov", "«Кавычки» — и тире, и ещё 40 знаков", false};
    p.rows[2] = {"a\rb", "c\nd", false};
    p.rows[kStatementRows] = {"spare", "row", false};  // not listed

    ReportOptions plain;
    std::vector<std::string> lines = Lines(ProgramListing(p, plain));
    ASSERT_EQ(lines.size(), 502u);
    EXPECT_EQ(lines[3],
              "\xB3 000 \xB3 mov al,12h ; \xF0\xEE\xE2\xED\xEE \xF2\xF0\xE8\xE4\xF6\xE0\xF2 \xB3 "
              "\xEA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9" +
                  std::string(21, ' ') + " \xB3 ");
    EXPECT_EQ(lines[4].substr(35),
              "\xB3 \xAB\xCA\xE0\xE2\xFB\xF7\xEA\xE8\xBB \x97 \xE8 \xF2\xE8\xF0\xE5, \xE8 "
              "\xE5\xF9\xB8 40 \xE7\xED\xE0 \xB3 ");
    EXPECT_EQ(lines[5].substr(7, 5), " a b ");  // a line break inside a text becomes a blank
    EXPECT_EQ(lines[5].substr(36, 5), " c d ");

    ReportOptions dos;
    dos.DosP = true;
    lines = Lines(ProgramListing(p, dos));
    EXPECT_EQ(lines[3].substr(7, 28), " mov al,12h ; \xE0\xAE\xA2\xAD\xAE \xE2\xE0\xA8\xA4\xE6\xA0\xE2 ");
    // quotes and dash have no 866 byte: look-alikes keep the width
    EXPECT_EQ(lines[4].substr(36, 34),
              " \"\x8A\xA0\xA2\xEB\xE7\xAA\xA8\" - \xA8 \xE2\xA8\xE0\xA5, \xA8 \xA5\xE9\xF1 40 \xA7\xAD\xA0 ");
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].size(), i < 3 ? 71u : 72u) << i;
}

// ---- the report in UTF-8 ----------------------------------------------------

// A line of the default listing as characters: the frame's bars in 866, the
// texts in Windows-1251. Frame lines are all frame.
std::string DecodeDefaultListingLine(const std::string& line, bool frameLine)
{
    static const std::vector<std::pair<char, std::string>> kFrame = {
        {'\xDA', "┌"}, {'\xBF', "┐"}, {'\xC3', "├"}, {'\xB4', "┤"},
        {'\xC2', "┬"}, {'\xC5', "┼"}, {'\xC4', "─"}, {'\xB3', "│"},
    };
    constexpr size_t kBars[] = {0, 6, 35, 70};
    std::string text;
    for (size_t i = 0; i < line.size(); ++i) {
        const bool frame = frameLine || std::find(std::begin(kBars), std::end(kBars), i) != std::end(kBars);
        const auto box = std::find_if(kFrame.begin(), kFrame.end(), [&](const auto& f) { return f.first == line[i]; });
        if (frame && box != kFrame.end())
            text += box->second;
        else
            text += Cp1251ToUtf8(line.substr(i, 1));
    }
    return text;
}

// Decodes as UTF-8: some multi-byte character and no stray byte.
void ExpectUtf8(const std::string& bytes, const std::string& what)
{
    EXPECT_TRUE(LooksLikeUtf8(bytes)) << what;
    EXPECT_EQ(Utf32ToUtf8(Utf8ToUtf32(bytes)), bytes) << what;
}

TEST(ProgramListing, Utf8HoldsTheDefaultCharactersInABoxFrame)
{
    Program p;
    p.rows[0] = {"mov al,12h ; ровно тридцать зн", "комментарий", true};  // cut to 26 characters
    p.rows[1] = {"mov", "«Кавычки» — и тире, и ещё 40 знаков", false};
    p.rows[2] = {"a\rb", "c\nd", false};
    p.rows[3] = {"★ нет в 1251", "\x01", false};

    ReportOptions utf8;
    utf8.Utf8P = true;
    const std::string bytes = ProgramListing(p, utf8);
    ExpectUtf8(bytes, "listing");
    const std::vector<std::string> lines = Lines(bytes);
    const std::vector<std::string> plain = Lines(ProgramListing(p, ReportOptions{}));
    ASSERT_EQ(lines.size(), 502u);
    ASSERT_EQ(plain.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], DecodeDefaultListingLine(plain[i], i == 0 || i == 2)) << i;
        EXPECT_EQ(Utf8ToUtf32(lines[i]).size(), i < 3 ? 71u : 72u) << i;  // in characters, as the default in bytes
    }
    EXPECT_EQ(lines[0].substr(0, 9), "┌──");
    EXPECT_EQ(lines[1], "│  №  │       Программа            │      Комментарии                 │");
    EXPECT_EQ(lines[3], "│ 000 │ mov al,12h ; ровно тридцат │ комментарий" + std::string(21, ' ') + " │ ");
    EXPECT_EQ(lines[4].substr(lines[4].find("«")), "«Кавычки» — и тире, и ещё 40 зна │ ");
    EXPECT_EQ(lines[6].rfind("│ 003 │ ? нет в 1251 ", 0), 0u);  // as the program file keeps it
}

// The golden cases' UTF-8 files (which ravx-run is checked against) hold the
// default files' rows, character for character.
TEST(ReportUtf8, GoldenCasesHoldTheDefaultRows)
{
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in.good()) << path;
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (const char* name : {"display16", "sensor8"}) {
        const std::string dir = std::string(RAVX_REPORT_DIR "/") + name + "/";
        const std::string listing = read(dir + "listing-utf8.txt");
        ExpectUtf8(listing, dir + "listing-utf8.txt");
        const std::vector<std::string> lines = Lines(listing);
        const std::vector<std::string> plain = Lines(read(dir + "listing.txt"));
        ASSERT_EQ(lines.size(), plain.size()) << name;
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], DecodeDefaultListingLine(plain[i], i == 0 || i == 2)) << name << " listing " << i;

        const std::string state = read(dir + "state-utf8.otc");
        ExpectUtf8(state, dir + "state-utf8.otc");
        EXPECT_EQ(state, Cp1251ToUtf8(read(dir + "state.otc"))) << name;
    }
}

TEST(DosConversion, OneByteForEveryCharacter)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Привет", "\x8F\xE0\xA8\xA2\xA5\xE2"},
        {"Ёё№", "\xF0\xF1\xFC"},
        {"«a» „b“ ‘c’", "\"a\" \"b\" 'c'"},
        {"–—", "--"},
        {"Іі Ґґ", "Ii \x83\xA3"},
        {"€™", "??"},  // in Windows-1251, no look-alike in 866
        {"★Ω", "??"},  // not even in Windows-1251
        {"ab\x01", "ab\x01"},
    };
    for (const auto& [utf8, dos] : cases)
        EXPECT_EQ(ToDosText(utf8), dos) << utf8;
}

}  // namespace
}  // namespace ravx
