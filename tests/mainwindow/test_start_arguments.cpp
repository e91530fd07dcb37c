// The application's command line: a file to open, --help, --version, and
// what is refused before any window opens.
#include <gtest/gtest.h>

#include "mainwindow/StartArguments.h"

namespace ravx {
namespace {

using Action = StartArguments::Action;

TEST(StartArguments, FilesOptionsAndRefusals)
{
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string file;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {{}, Action::Start, "", ""},
        {{"/home/st/lab3.prg"}, Action::Start, "/home/st/lab3.prg", ""},
        {{"ЗАДАНИЕ.PRG"}, Action::Start, "ЗАДАНИЕ.PRG", ""},
        {{"fw.dmp"}, Action::Start, "fw.dmp", ""},
        {{"--help"}, Action::Help, "", ""},
        {{"-h", "a.prg"}, Action::Help, "a.prg", ""},
        {{"--version"}, Action::Version, "", ""},
        {{"--version", "--help"}, Action::Help, "", ""},
        {{"--", "-odd.prg"}, Action::Start, "-odd.prg", ""},
        {{"--verbose"}, Action::Error, "", "неизвестный параметр --verbose"},
        {{"a.prg", "b.prg"}, Action::Error, "", "только один файл"},
        {{"notes.txt"}, Action::Error, "", "notes.txt"},
        {{"my.dir/task"}, Action::Error, "", "(.prg)"},  // a dot in a folder is no extension
    };
    for (const Case& c : cases) {
        const StartArguments a = ParseStartArguments(c.args);
        const std::string shown = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(a.action, c.action) << shown;
        if (c.action != Action::Error)
            EXPECT_EQ(a.file, c.file) << shown;
        EXPECT_NE(a.error.find(c.errorPart), std::string::npos) << shown << ": " << a.error;
    }
}

TEST(StartArguments, KindByExtension)
{
    EXPECT_EQ(KindOfFile("x/Lab.Prg"), FileKind::Program);
    EXPECT_EQ(KindOfFile("x/lab.DMP"), FileKind::Firmware);
    EXPECT_EQ(KindOfFile("x.prg/lab"), FileKind::Unknown);
    EXPECT_EQ(KindOfFile("lab.prg.bak"), FileKind::Unknown);
    EXPECT_NE(StartUsage().find("--version"), std::string::npos);
    EXPECT_EQ(StartVersion().rfind("ravx ", 0), 0u);
}

}  // namespace
}  // namespace ravx
