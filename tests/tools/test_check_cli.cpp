// ravx-run --check and --check-list: the teacher's table over a folder of
// students' files, the class list, the similar programs, --help.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "machine/Codepage.h"
#include "machine/Host.h"
#include "mainwindow/FileCommands.h"
#include "tests/tasks/Listing.h"
#include "tools/ravx-run/Check.h"
#include "tools/ravx-run/CheckList.h"

namespace fs = std::filesystem;
using namespace ravx;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& p, const std::string& bytes)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

class CheckCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("ravx_check_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // A student's files from a listing: its .prg, and its .dmp unless left
    // out; `edit` changes the machine before saving.
    std::string Student(const std::string& name, const fs::path& listing, bool withDump = true,
                        const std::function<void(Simulator&)>& edit = {})
    {
        NullHost host;
        Simulator sim(host);
        tasks::LoadListing(listing.string(), sim);
        if (edit)
            edit(sim);
        const fs::path prg = dir / (name + ".prg");
        fs::create_directories(prg.parent_path());
        SaveProgram(sim, prg.string());
        if (withDump)
            SaveFirmware(sim, (dir / (name + ".dmp")).string());
        return prg.string();
    }
    static fs::path Solution(const char* name) { return fs::path(RAVX_SOLUTIONS) / name; }
    static fs::path Similar(const char* name) { return fs::path(RAVX_SIMILAR) / name; }

    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return RunCheckCommand(args, RAVX_TASK_FILE, out, err);
    }
    std::vector<std::string> Lines() const { return SplitLines(out.str()); }

    fs::path dir;
    std::ostringstream out, err;
};

void LeftEntry(Simulator& sim)
{
    sim.program.rows[0x001].statement = "mov al,00h";  // left entry where task 7 asks right
}

}  // namespace

TEST_F(CheckCommand, AFolderOfGoodWrongAndUnreadableFiles)
{
    const std::string good = Student("ivanov", Solution("07-game.lst"));
    const std::string alsoGood = Student("petrov", Solution("07-game.lst"));
    const std::string wrong = Student("sidorov", Solution("07-game.lst"), true, LeftEntry);
    const std::string noDump = Student("kozlov", Solution("07-game.lst"), false);
    const fs::path broken = dir / "broken.prg";
    WriteAll(broken, "not a program\n");
    const fs::path csv = dir / "table.csv";

    EXPECT_EQ(Run({"--check", "7:game", good, alsoGood}), 0);
    EXPECT_EQ(Lines().back(), "задание 7, «Игровая»: решено 2 из 2");

    EXPECT_EQ(Run({"--check", "7:game", good, wrong, noDump}), 1);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], good + "\tрешено\tс настройкой: ЗГ1");
    EXPECT_EQ(lines[1].rfind(wrong + "\tне решено\t", 0), 0u) << lines[1];
    EXPECT_NE(lines[2].find("файл прошивки kozlov.dmp рядом нет"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "задание 7, «Игровая»: решено 1 из 3, не решено 2");

    // a file that cannot be read is a row of the table, not a usage error
    EXPECT_EQ(Run({"--check", "7:game", "--csv", csv.string(), good, broken.string(), wrong}), 1);
    lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], broken.string() + "\tне прочитано\tв строке 1 не число (адрес начала ППОП)");
    EXPECT_EQ(lines[3], "задание 7, «Игровая»: решено 1 из 3, не решено 1, не прочитано 1");
    const std::string table = ReadAll(csv);
    EXPECT_EQ(table.rfind(kBom + "file,verdict,reason\r\n" + good + ",решено,с настройкой: ЗГ1\r\n" + broken.string() +
                              ",не прочитано,в строке 1 не число (адрес начала ППОП)\r\n" + wrong + ",не решено,",
                          0),
              0u)
        << table;
}

// The folder of a class as a teacher finds it: solutions of several tasks,
// a wrong one, a copy, files that are no whole program, dumps that are no
// whole dump.
TEST_F(CheckCommand, AClassListOfMixedFiles)
{
    Student("ivanov", Solution("07-game.lst"));
    Student("petrov", Solution("07-game.lst"), true, LeftEntry);
    Student("sub/sidorov", Solution("05-strobe.lst"));
    Student("kozlov", Similar("05-strobe-own.lst"));  // the same task solved independently
    Student("orlov", Similar("05-strobe-copy.lst"));  // sidorov's, disguised
    Student("vasin", Solution("07-game.lst"));        // ivanov's, handed in for another task: no copy pair
    const std::string saved = ReadAll(Student("standard", Solution("01-standard.lst"), false));
    size_t fortyLines = 0;
    for (int i = 0; i < 40; ++i)
        fortyLines = saved.find('\n', fortyLines) + 1;
    WriteAll(dir / "cut.prg", saved.substr(0, fortyLines));
    WriteAll(dir / "utf8.prg", Cp1251ToUtf8(saved));
    WriteAll(dir / "garbage.prg", std::string("PK\x03\x04\0\0\0\0", 8));
    WriteAll(dir / "empty.prg", "");
    Student("shortdump", Solution("07-game.lst"));
    fs::resize_file(dir / "shortdump.dmp", 100);
    Student("dumpfolder", Solution("07-game.lst"), false);
    fs::create_directory(dir / "dumpfolder.dmp");
    const fs::path list = dir / "class.csv";
    WriteAll(list, kBom +
                       "file;task;kind\r\n"
                       "# группа 1\r\n"
                       "ivanov.prg;7;game\r\n"
                       "petrov.prg; 7 ;game\r\n"
                       "\r\n"
                       "sub/sidorov.prg;5;strobe\r\n"
                       "kozlov.prg;5;strobe\r\n"
                       "\"orlov.prg\";5;strobe\r\n"
                       "cut.prg;1;standard\r\n"
                       "utf8.prg;1;standard\r\n"
                       "garbage.prg;1;standard\r\n"
                       "empty.prg;1;standard\r\n"
                       "shortdump.prg;7;game\r\n"
                       "dumpfolder.prg;7;game\r\n"
                       "vasin.prg;9;game\r\n"
                       "missing.prg;1;standard");  // the last line without its line end
    const fs::path csv = dir / "out" / "table.csv";
    fs::create_directories(csv.parent_path());

    EXPECT_EQ(Run({"--check-list", list.string(), "--similar", "--csv", csv.string()}), 1) << err.str();
    EXPECT_EQ(err.str(), "");

    struct Expected {
        std::string file, task, kind, verdict, reason;  // an empty reason is the checker's own
    };
    const std::vector<Expected> rows = {
        {"ivanov.prg", "7", "game", "решено", "с настройкой: ЗГ1"},
        {"petrov.prg", "7", "game", "не решено", ""},
        {"sub/sidorov.prg", "5", "strobe", "решено", "с настройкой: ЗГ3/ЗГ4"},
        {"kozlov.prg", "5", "strobe", "решено", "с настройкой: ЗГ3/ЗГ4"},
        {"orlov.prg", "5", "strobe", "решено", "с настройкой: ЗГ3/ЗГ4"},
        {"cut.prg", "1", "standard", "не прочитано", "файл обрезан: строк 40 из 1002"},
        {"utf8.prg", "1", "standard", "не прочитано", "текст в кодировке UTF-8, а программа хранится в Windows-1251"},
        {"garbage.prg", "1", "standard", "не прочитано", "не текст программы: байт 03h в строке 1"},
        {"empty.prg", "1", "standard", "не прочитано", "файл пуст"},
        {"shortdump.prg", "7", "game", "не прочитано", "файл прошивки shortdump.dmp: файл обрезан: байт 100 из 4894"},
        {"dumpfolder.prg", "7", "game", "не прочитано", "файл прошивки dumpfolder.dmp: нет доступа к файлу"},
        {"vasin.prg", "9", "game", "не решено", ""},
        {"missing.prg", "1", "standard", "не прочитано", "файл не найден"},
    };
    const auto lines = Lines();
    ASSERT_GE(lines.size(), rows.size());
    const std::string table = ReadAll(csv);
    EXPECT_EQ(table.rfind(kBom + "file,task,kind,verdict,reason\r\n", 0), 0u) << table;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Expected& r = rows[i];
        const std::string start = r.file + '\t' + r.task + '\t' + r.kind + '\t' + r.verdict + '\t';
        if (r.reason.empty())
            EXPECT_EQ(lines[i].rfind(start, 0), 0u) << lines[i];
        else
            EXPECT_EQ(lines[i], start + r.reason);
        const std::string reason = r.reason.find(',') == std::string::npos ? r.reason : '"' + r.reason + '"';
        const std::string record = r.file + ',' + r.task + ',' + r.kind + ',' + r.verdict + ',' + reason;
        EXPECT_NE(table.find("\r\n" + record + (r.reason.empty() ? "" : "\r\n")), std::string::npos) << record;
    }
    const std::vector<std::string> rest(lines.begin() + static_cast<long>(rows.size()), lines.end());
    const std::vector<std::string> expectedRest = {
        "задание 1, «Стандартная»: решено 0 из 5, не прочитано 5",
        "задание 5, «Ввод по стробу»: решено 3 из 3",
        "задание 7, «Игровая»: решено 1 из 4, не решено 1, не прочитано 2",
        "задание 9, «Игровая»: решено 0 из 1, не решено 1",
        "всего: решено 4 из 13, не решено 2, не прочитано 7",
        "похожие программы (от 75% совпадающих операторов):",
        "ivanov.prg\tpetrov.prg\t95% совпадающих операторов (совпали 19, операторов 20 и 20)",
        "sub/sidorov.prg\torlov.prg\t89% совпадающих операторов (совпали 33, операторов 34 и 40)",
    };
    EXPECT_EQ(rest, expectedRest);
    EXPECT_EQ(ReadAll(dir / "out" / "table-similar.csv"),
              kBom +
                  "file_a,file_b,percent,matching,statements_a,statements_b\r\n"
                  "ivanov.prg,petrov.prg,95,19,20,20\r\n"
                  "sub/sidorov.prg,orlov.prg,89,33,34,40\r\n");

    // without copies the section says so
    EXPECT_EQ(Run({"--check", "5:strobe", "--similar", (dir / "sub" / "sidorov.prg").string(),
                   (dir / "kozlov.prg").string()}),
              0);
    EXPECT_EQ(Lines().back(), "похожих программ нет (от 75% совпадающих операторов)");
}

TEST(CheckList, BadLinesAreNamedWithTheirNumbers)
{
    const CheckList list = ParseCheckList(
        "a.prg;7;game\n"
        "b.prg;23;game\n"
        "c.prg;7;games\n"
        "d.prg,7,game\n"
        ";7;game\n"
        "\"e.prg;7;game\n"
        "  # a comment\n"
        "\"f;\"\"g\"\".prg\" ; 12 ; game-psoo\n"
        "file;task;kind\n"  // a header only as the first line
        "h.prg;x7;strobe\n"
        "\"i.prg\"x;7;game\n");
    ASSERT_EQ(list.files.size(), 2u);
    EXPECT_EQ(list.files[0].file, "a.prg");
    EXPECT_EQ(list.files[1].file, "f;\"g\".prg");
    EXPECT_EQ(list.files[1].line, 8);
    EXPECT_EQ(list.files[1].task, 12);
    EXPECT_EQ(list.files[1].kind, training::TaskKind::GameWithPsoo);
    const std::vector<std::string> errors = {
        "2: task \"23\" is not a number 1..22",
        "3: unknown kind \"games\" (standard, game, game-psoo, strobe, analysis)",
        "4: expected FILE;TASK;KIND, found 1 fields",
        "5: no file name",
        "6: a quote is not closed",
        "9: task \"task\" is not a number 1..22",
        "10: task \"x7\" is not a number 1..22",
        "11: text after a closing quote",
    };
    EXPECT_EQ(list.errors, errors);

    // a list a spreadsheet saved in Windows-1251
    const CheckList cyrillic = ParseCheckList(Utf8ToCp1251("Иванов.prg;1;standard\r\n"));
    ASSERT_EQ(cyrillic.files.size(), 1u);
    EXPECT_EQ(cyrillic.files[0].file, "Иванов.prg");
}

TEST_F(CheckCommand, UsageErrorsExitWithTwo)
{
    const std::string good = Student("a", Solution("01-standard.lst"));
    const fs::path badList = dir / "bad.csv";
    WriteAll(badList, "a.prg;1;standard\nb.prg;0;standard\n");
    const fs::path emptyList = dir / "empty.csv";
    WriteAll(emptyList, "# nobody yet\n");
    const std::vector<std::vector<std::string>> bad = {
        {"--check", "23:game", good},
        {"--check", "7:games", good},
        {"--check", "7", good},
        {"--check", "7:game"},
        {"--check", "x:game", good},
        {"--check", "7:game", "--csv"},
        {"--check", "7:game", "-z", good},
        {"--check", "1:standard", "--task-file", "/nonexistent", good},
        {"--check", "1:standard", "--check-list", badList.string()},
        {"--check-list", badList.string()},
        {"--check-list", emptyList.string()},
        {"--check-list", (dir / "none.csv").string()},
        {"--check-list", emptyList.string(), good},
        {"--similar", good},
        {"--check", "1:standard", "--csv", (dir / "no" / "such" / "t.csv").string(), good},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), 2) << args[1];
        EXPECT_FALSE(err.str().empty());
    }
    EXPECT_EQ(Run({"--check-list", badList.string()}), 2);
    EXPECT_EQ(err.str(), "ravx-run: " + badList.string() + ":2: task \"0\" is not a number 1..22\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Run({"--check", "1:standard", good}), 0) << out.str();
}

TEST(SimilarCsvName, SitsBesideTheTable)
{
    EXPECT_EQ(SimilarCsvName("class.csv"), "class-similar.csv");
    EXPECT_EQ(SimilarCsvName("out/table"), "out/table-similar.csv");
    EXPECT_EQ(SimilarCsvName("a.b/t.CSV"), "a.b/t-similar.CSV");
}

// The executable's --help: exit status 0 and every option of every command.
TEST(Help, NamesEveryOption)
{
    // the run's, the check's and the results commands' options
    const std::string options =
        "--firmware --steps --events --seed --zg --kg --no-auto-release --no-octal-strobe --json --trace "
        "--save-program --save-firmware --listing --state-report --report-options "
        "--check --check-list --csv --similar --task-file --results --results-purge --results-import --help";
    for (const std::string args : {" --help", " --check 7:game --help"}) {
        FILE* pipe = popen((std::string(RAVX_RUNNER) + args).c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string text;
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
            text.append(buf, n);
        const int status = pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << args;
        std::istringstream names(options);
        for (std::string option; names >> option;)
            EXPECT_NE(text.find(option + ' '), std::string::npos) << option;
    }
}
