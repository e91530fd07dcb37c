// ravx-run --check: the teacher's table over a folder of students' files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "machine/Host.h"
#include "mainwindow/FileCommands.h"
#include "tests/tasks/Listing.h"
#include "tools/ravx-run/Check.h"

namespace fs = std::filesystem;
using namespace ravx;

namespace {

class CheckCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("ravx_check_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // A student's files from a reference solution: its .prg, and its .dmp unless
    // left out; `edit` changes the machine before saving.
    std::string Student(const std::string& name, const char* listing, bool withDump = true,
                        const std::function<void(Simulator&)>& edit = {})
    {
        NullHost host;
        Simulator sim(host);
        tasks::LoadListing((fs::path(RAVX_SOLUTIONS) / listing).string(), sim);
        if (edit)
            edit(sim);
        const fs::path prg = dir / (name + ".prg");
        SaveProgram(sim, prg.string());
        if (withDump)
            SaveFirmware(sim, (dir / (name + ".dmp")).string());
        return prg.string();
    }

    int Run(std::vector<std::string> args)
    {
        out.str({});
        err.str({});
        return RunCheckCommand(args, RAVX_TASK_FILE, out, err);
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }

    fs::path dir;
    std::ostringstream out, err;
};

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_F(CheckCommand, AFolderOfGoodWrongAndUnreadableFiles)
{
    const std::string good = Student("ivanov", "07-game.lst");
    const std::string alsoGood = Student("petrov", "07-game.lst");
    const std::string wrong = Student("sidorov", "07-game.lst", true, [](Simulator& sim) {
        sim.program.rows[0x001].statement = "mov al,00h";  // left entry where task 7 asks right
    });
    const std::string noDump = Student("kozlov", "07-game.lst", false);
    const fs::path broken = dir / "broken.prg";
    std::ofstream(broken) << "not a program\n";
    const fs::path csv = dir / "table.csv";

    EXPECT_EQ(Run({"--check", "7:game", good, alsoGood}), 0);
    EXPECT_EQ(Lines().back(), "задание 7, «Игровая»: решено 2 из 2");

    EXPECT_EQ(Run({"--check", "7:game", good, wrong, noDump}), 1);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], good + "\tрешено\tс настройкой: ЗГ1");
    EXPECT_EQ(lines[1].rfind(wrong + "\tне решено\tверхняя линейка: нужно «····bEEF», показано «bEEF····»", 0), 0u)
        << lines[1];
    EXPECT_NE(lines[2].find("файла прошивки kozlov.dmp рядом нет"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "задание 7, «Игровая»: решено 1 из 3, не решено 2");

    EXPECT_EQ(Run({"--check", "7:game", "--csv", csv.string(), good, broken.string(), wrong}), 2);
    lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].rfind(broken.string() + "\tошибка файла\t", 0), 0u) << lines[1];
    EXPECT_EQ(lines[3], "задание 7, «Игровая»: решено 1 из 3, не решено 1, не прочитано 1");
    const std::string table = ReadAll(csv);
    EXPECT_EQ(table.rfind("file,verdict,reason\r\n" + good + ",решено,с настройкой: ЗГ1\r\n" + broken.string() +
                              ",ошибка файла,",
                          0),
              0u)
        << table;
    EXPECT_NE(table.find("\r\n" + wrong + ",не решено,\"верхняя линейка"), std::string::npos) << table;  // quoted: it holds commas
}

TEST_F(CheckCommand, UsageErrorsExitWithTwo)
{
    const std::string good = Student("a", "01-standard.lst");
    const std::vector<std::vector<std::string>> bad = {
        {"--check", "23:game", good},     {"--check", "7:games", good},      {"--check", "7", good},
        {"--check", "7:game"},            {"--check", "x:game", good},       {"--check", "7:game", "--csv"},
        {"--check", "7:game", "-z", good}, {"--check", "1:standard", "--task-file", "/nonexistent", good},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), 2) << args[1];
        EXPECT_FALSE(err.str().empty());
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_EQ(Run({"--check", "1:standard", good}), 0) << out.str();
}
